#pragma once
// CWindowWnd: a native top-level window of the skin library. It is frameless: the layout draws the whole
// window, and a press in the paint manager's caption area drags it. Input, size, focus and timers reach
// HandleMessage as window messages (the numbers of UIDefine.h); a subclass offers them to its paint
// manager first, then to the base:
//
//   LRESULT HandleMessage(UINT m, WPARAM w, LPARAM l) override {
//       LRESULT r = 0;
//       if (m_pm.MessageHandler(m, w, l, r)) return r;
//       return CWindowWnd::HandleMessage(m, w, l);
//   }
//
// WM_CREATE arrives inside Create (build the layout there: m_pm.Init(GetHWND()), CDialogBuilder,
// AttachDialog); WM_CLOSE destroys the window unless handled; OnFinalMessage is the last call.

#include "dui/UIDefine.h"

#include <memory>
#include <string>
#include <string_view>

namespace dui {

class CPaintManagerUI;

// Style bits the host honours (others are kept and ignored).
inline constexpr DWORD WS_CHILD = 0x40000000, WS_VISIBLE = 0x10000000, WS_POPUP = 0x80000000,
                       WS_CAPTION = 0x00C00000, WS_EX_TOOLWINDOW = 0x00000080, WS_EX_TOPMOST = 0x00000008;
inline constexpr DWORD UI_WNDSTYLE_FRAME = WS_VISIBLE | WS_CAPTION,
                       UI_WNDSTYLE_DIALOG = WS_POPUP | WS_CAPTION;

class CWindowWnd
{
public:
    CWindowWnd();
    virtual ~CWindowWnd();
    CWindowWnd(const CWindowWnd&) = delete;
    CWindowWnd& operator=(const CWindowWnd&) = delete;

    HWND GetHWND() const { return m_hWnd; }
    // The window this one was created above (nullptr: none).
    HWND GetOwnerHWND() const;
    operator HWND() const { return m_hWnd; }

    // Creates the native window (parent: a window to stay above, or nullptr). A zero size takes the
    // paint manager's layout size. Answers the handle, nullptr on failure.
    HWND Create(HWND parent, std::string_view title, DWORD style, DWORD exStyle, int x = 0, int y = 0,
                int cx = 0, int cy = 0);
    void ShowWindow(bool show = true, bool takeFocus = true);
    bool IsWindowVisible() const;
    bool IsMinimized() const;
    // True while the window has the keyboard focus of the desktop.
    bool IsActiveWindow() const;
    // Asks the window to close: WM_CLOSE with the result code in wParam (posted).
    void Close(UINT result = 0);
    // Shows the window modal to the others and runs a nested message loop until it is destroyed;
    // answers the result code of the WM_CLOSE that closed it (0 when destroyed otherwise). The object may
    // delete itself in OnFinalMessage.
    UINT ShowModal();
    // Destroys the native window now (WM_DESTROY, then OnFinalMessage).
    void DestroyWindow();
    // Centres on the parent window, or on the screen.
    void CenterWindow();
    // The rectangle of the monitor the window is on (the primary one before it is shown); false
    // without a screen.
    bool GetMonitorRect(RECT& rc) const;
    void SetIcon(UINT resourceId);
    void SetIconFile(const std::string& path);
    // Icon resources by number: files relative to the resource path.
    static void RegisterIconResource(UINT resourceId, std::string_view file);
    // The file of an icon resource (with the resource path); empty when it is not registered.
    static std::string GetIconResourceFile(UINT resourceId);
    std::string GetTitle() const;
    void SetTitle(std::string_view title);
    void ResizeClient(int cx, int cy);
    SIZE GetClientSize() const;
    RECT GetWindowRect() const;
    void MoveWindow(int x, int y);
    void Minimize();
    void Maximize();
    void Restore();
    void BringToFront();

    // Window timers: WM_TIMER with the id in wParam, every `elapseMs` until killed.
    bool SetTimer(UINT id, UINT elapseMs);
    bool KillTimer(UINT id);

    LRESULT SendMessage(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0);
    bool PostMessage(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0);

    // Shows the manager's control tree in this window (called by CPaintManagerUI::Init).
    void AttachPaintManager(CPaintManagerUI* manager);
    CPaintManagerUI* GetPaintManager() const;

    virtual LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam);

protected:
    virtual std::string GetWindowClassName() const { return "DuiWindow"; }
    virtual UINT GetClassStyle() const { return 0; }
    virtual void OnFinalMessage(HWND hWnd);

    HWND m_hWnd = nullptr;

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

} // namespace dui
