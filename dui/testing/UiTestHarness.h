#pragma once
// Test driver of the skin library: a paint manager without a native window, driven by the same window
// messages a window sends it. Tests build a layout, find controls by name, click, type, select items,
// advance the control timers on a clock of their own, read the notifications sent, and render the
// window to a PNG.

#include "dui/DialogBuilder.h"
#include "dui/PaintManager.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace dui::testing {

// Makes sure the process has a Qt application object (fonts and images need one); chooses the
// offscreen platform when none is set.
void EnsureApplication();
// Runs the event loop until the condition holds (true) or the time runs out (false).
bool PumpEventsUntil(const std::function<bool()>& done, int timeoutMs = 3000);
// Clicks a control of a real window by name through the window's message path (move, press, release
// at its centre); false when the window or a visible control of that name is missing.
bool ClickInWindow(HWND hWnd, std::string_view name);

// A notification as recorded (the sender's name, so it outlives the sender).
struct TRecordedNotify
{
    std::string sType;
    std::string sSender;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
};

class CUiTestHarness : public INotifyUI
{
public:
    explicit CUiTestHarness(SIZE clientSize = {800, 600});
    ~CUiTestHarness();

    CPaintManagerUI& Manager() { return m_pm; }
    // Builds a layout (file name or XML text) and makes it the window's tree; nullptr when it fails.
    CControlUI* Load(std::string_view layout, IDialogBuilderCallback* callback = nullptr);
    void Attach(CControlUI* root);
    void Resize(SIZE clientSize);
    // Lays out what needs it (also done before every input).
    void Layout();
    CControlUI* Find(std::string_view name) const;
    // The centre of a visible control; false when there is no such control.
    bool CentreOf(std::string_view name, POINT& pt);

    // Mouse input at a point (keys: MK_CONTROL, MK_SHIFT).
    void MouseMove(POINT pt, uint16_t keys = 0);
    void MouseDown(POINT pt, uint16_t keys = 0);
    void MouseUp(POINT pt, uint16_t keys = 0);
    void DoubleClickAt(POINT pt);
    void ClickAt(POINT pt, uint16_t keys = 0);
    void Wheel(POINT pt, int delta);
    // The same on a control by name, at its centre; false when it is not found or not visible.
    bool Click(std::string_view name, uint16_t keys = 0);
    bool DoubleClick(std::string_view name);
    bool Hover(std::string_view name);
    // Keyboard input to the focused control.
    void Key(int virtualKey);
    void Char(char32_t ch);
    // Clicks the control (giving it the focus) and types the UTF-8 text.
    bool Type(std::string_view name, std::string_view text);
    // Selects an item of a list or combo, or a page of a tab layout, as the user would (with notification).
    bool SelectItem(std::string_view name, int index);

    // Control timers on the manual clock.
    void AdvanceTimers(uint32_t ms) { m_pm.AdvanceClock(ms); }

    // Lays out and paints the window; false when the PNG cannot be written.
    bool RenderPng(const std::string& path);
    // Lays out, paints, and answers one pixel (0xAARRGGBB).
    DWORD PixelAt(int x, int y);

    const std::vector<TRecordedNotify>& Notifications() const { return m_notes; }
    int Count(std::string_view type, std::string_view sender = {}) const;
    void ClearNotifications() { m_notes.clear(); }

    void Notify(TNotifyUI& msg) override;

private:
    void Send(UINT msg, WPARAM wParam, LPARAM lParam);

    CPaintManagerUI m_pm;
    CRenderSurface m_surface;
    std::vector<TRecordedNotify> m_notes;
};

} // namespace dui::testing
