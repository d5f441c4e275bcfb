#pragma once
// CPaintManagerUI: the control tree of one window. It lays the tree out, paints it, turns the window's
// messages into control events (hot tracking, capture, focus), keeps the control timers, the option
// groups, the default attribute lists and the font table, and delivers notifications to the window's
// receivers. It also holds the process-wide paths of the skin (instance and resource path).
//
// A manager works without a window too (tests): give it a client size, drive it with the message
// numbers of UIDefine.h through MessageHandler, advance its clock, and Paint it onto a surface.

#include "dui/Painter.h"
#include "dui/UIDefine.h"

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace dui {

class CControlUI;
class CWindowWnd;

// What the manager needs of the native window that shows it.
class IPaintHost
{
public:
    virtual void HostInvalidate() = 0;
    virtual SIZE HostClientSize() const = 0;
    virtual void HostResize(SIZE size) = 0;
    // The next control timer falls due in this many milliseconds (kNoTimer: none left).
    virtual void HostScheduleTimers(uint32_t dueInMs) = 0;
    virtual void HostSetCapture(bool capture) = 0;
    // Shows the tool tip text below the client point; empty text hides it.
    virtual void HostShowToolTip(const std::string& text, POINT pt) = 0;
    // The mouse pointer's shape over the window (UICURSOR_*).
    virtual void HostSetCursor(int cursor) = 0;

protected:
    ~IPaintHost() = default;
};

class CPaintManagerUI
{
public:
    static constexpr uint32_t kNoTimer = 0xFFFFFFFFu;
    // How long the pointer rests on a control before its tool tip shows.
    static constexpr UINT kToolTipDelayMs = 500;
    // The control timer id the tool tip delay runs on (not delivered to the control).
    static constexpr UINT kToolTipTimerId = 0xD0170001u;

    CPaintManagerUI();
    ~CPaintManagerUI();
    CPaintManagerUI(const CPaintManagerUI&) = delete;
    CPaintManagerUI& operator=(const CPaintManagerUI&) = delete;

    // Binds the manager to a window (nullptr: no window; use SetClientSize).
    void Init(HWND hWnd, std::string_view name = {});
    HWND GetPaintWindow() const { return m_hWnd; }
    std::string GetName() const { return m_sName; }
    void SetHost(IPaintHost* host);

    // Process-wide paths; both end with a '/'. The instance path defaults to the executable's folder.
    static void SetInstancePath(std::string_view path);
    static std::string GetInstancePath();
    static void SetResourcePath(std::string_view path);
    static std::string GetResourcePath();
    // The module handle of the program (kept for callers that pass one; resources are files here).
    static void SetInstance(void* instance);
    static void* GetInstance();
    // Resource kinds: only plain files are read; the value is kept for callers that ask.
    enum
    {
        UILIB_FILE = 1,
        UILIB_ZIP,
        UILIB_RESOURCE,
        UILIB_ZIPRESOURCE
    };
    static void SetResourceType(int type);
    static int GetResourceType();
    // The window message loop of the process (needs the host application, see CWindowWnd.h).
    static int MessageLoop();

    // The tree.
    bool AttachDialog(CControlUI* root);
    CControlUI* GetRoot() const { return m_pRoot; }
    // Registers a control (and its subtree) that joined the tree: names, option groups, DoInit.
    bool InitControls(CControlUI* control, CControlUI* parent = nullptr);
    // Forgets every reference to a control that leaves the tree or is deleted.
    void ReapObjects(CControlUI* control);
    void RenameControl(CControlUI* control, std::string_view oldName);
    // Deletes a removed control after the current message (it may be the one handling it).
    void AddDelayedCleanup(CControlUI* control);
    void ProcessDelayedCleanup();

    CControlUI* FindControl(std::string_view name) const;
    CControlUI* FindControl(POINT pt) const;
    CControlUI* FindSubControlByName(CControlUI* parent, std::string_view name) const;
    CControlUI* FindSubControlByClass(CControlUI* parent, std::string_view className, int index = 0) const;
    CControlUI* FindSubControlByPoint(CControlUI* parent, POINT pt) const;

    // Window size and layout.
    SIZE GetClientSize() const;
    void SetClientSize(SIZE size);
    SIZE GetInitSize() const { return m_szInitWindowSize; }
    // The client size for a layout size at the current scale, within what a back buffer can hold.
    SIZE ClientSizeFor(SIZE layoutSize) const;
    void SetInitSize(int cx, int cy);
    RECT GetCaptionRect() const { return m_rcCaption; }
    void SetCaptionRect(RECT rc) { m_rcCaption = rc; }
    RECT GetSizeBox() const { return m_rcSizeBox; }
    void SetSizeBox(RECT rc) { m_rcSizeBox = rc; }
    SIZE GetRoundCorner() const { return m_szRoundCorner; }
    void SetRoundCorner(int cx, int cy) { m_szRoundCorner = {cx, cy}; }
    SIZE GetMinInfo() const { return m_szMinWindow; }
    void SetMinInfo(int cx, int cy) { m_szMinWindow = {cx, cy}; }
    SIZE GetMaxInfo() const { return m_szMaxWindow; }
    void SetMaxInfo(int cx, int cy) { m_szMaxWindow = {cx, cy}; }
    // True when a press at the point should drag the window: inside the caption and not on a control that
    // takes the mouse itself (buttons, options, edits, sliders, lists, combos).
    bool IsCaptionPoint(POINT pt) const;

    // Repaint and relayout.
    void Invalidate();
    void Invalidate(const RECT& rc);
    void NeedUpdate()
    {
        m_bUpdateNeeded = true;
        Invalidate();
    }
    bool IsUpdateNeeded() const { return m_bUpdateNeeded; }
    bool IsInvalid() const { return m_bInvalid; }
    // Lays out what needs it.
    void UpdateLayout();
    // Lays out and paints the tree onto the surface; the first paint sends "windowinit".
    void Paint(CRenderSurface& surface);
    // Paints onto an open painter of the window's size.
    void PaintTo(HDC hDC);

    // Window messages, translated to control events. True when handled (lRes holds the result).
    bool MessageHandler(UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lRes);
    bool PreMessageHandler(UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lRes);
    void AddMessageFilter(IMessageFilterUI* filter);
    void RemoveMessageFilter(IMessageFilterUI* filter);

    // Hot tracking, capture and focus.
    CControlUI* GetHoverControl() const { return m_pEventHover; }
    CControlUI* GetFocus() const { return m_pFocus; }
    void SetFocus(CControlUI* control);
    void SetCapture();
    void ReleaseCapture();
    bool HasCapture() const { return m_bMouseCapture; }
    POINT GetMousePos() const { return m_ptLastMousePos; }
    // Tool tips: a hovered control's tool tip shows after kToolTipDelayMs on the manager's clock and
    // hides when the pointer leaves it, leaves the window or presses. The text shown (empty: none).
    std::string GetShownToolTip() const { return m_sShownToolTip; }
    // The pointer shape of the hovered control (UICURSOR_ARROW over none).
    int GetCurrentCursor() const { return m_nCursor; }
    bool SetNextTabControl(bool forward = true);

    // Notifications.
    bool AddNotifier(INotifyUI* notifier);
    bool RemoveNotifier(INotifyUI* notifier);
    // Sends now, or (async) queues for delivery after the current message.
    void SendNotify(TNotifyUI& msg, bool async = false);
    void SendNotify(CControlUI* control, std::string_view type, WPARAM wParam = 0, LPARAM lParam = 0,
                    bool async = false);
    // Delivers queued notifications (done after every message; tests call it directly).
    void ProcessAsyncNotify();

    // Control timers.
    bool SetTimer(CControlUI* control, UINT id, UINT elapseMs);
    bool KillTimer(CControlUI* control, UINT id);
    void KillTimer(CControlUI* control);
    void RemoveAllTimers();
    // Fires every timer that is due on the manager's clock; answers how many fired.
    int FireDueTimers();
    // Milliseconds until the next timer falls due (kNoTimer: none).
    uint32_t NextTimerDue() const;
    // Tests: run the timers on a clock of their own that only AdvanceClock moves.
    void UseManualClock(bool manual);
    // Moves the manual clock forward, firing each timer as its time comes (in time order).
    void AdvanceClock(uint32_t ms);
    uint32_t Now() const;

    // Option groups.
    bool AddOptionGroup(std::string_view group, CControlUI* control);
    const std::vector<CControlUI*>* GetOptionGroup(std::string_view group) const;
    void RemoveOptionGroup(std::string_view group, CControlUI* control);

    // Default attribute lists by control class or element name (case-blind).
    void AddDefaultAttributeList(std::string_view name, std::string_view list);
    std::string GetDefaultAttributeList(std::string_view name) const;
    void RemoveAllDefaultAttributeList() { m_defaultAttributes.clear(); }

    // Fonts: a table by index plus the default font, per window or shared by every window (shared = true).
    // A window's own entry comes before the shared one; -1 or an unknown index gives the default font
    // (the window's own when set, else the shared one, else the built-in one).
    void AddFont(int id, std::string_view name, int size, bool bold, bool underline, bool italic,
                 bool shared = false);
    const TFontInfo& GetFontInfo(int id) const;
    const TFontInfo& GetDefaultFontInfo() const;
    void SetDefaultFont(std::string_view name, int size, bool bold, bool underline, bool italic,
                        bool shared = false);
    // Forgets the window's fonts (or, shared = true, the shared ones and the shared default).
    void RemoveAllFonts(bool shared = false);
    // Registers the fonts of a file for this process only; answers their family names (empty: the file
    // is missing or holds no font).
    // A file already registered is not registered twice (its families are answered again). UI thread.
    static std::vector<std::string> AddFontFile(const std::string& path);
    // Unregisters the fonts of a file added with AddFontFile; false when it was not registered.
    static bool RemoveFontFile(const std::string& path);
    DWORD GetDefaultFontColor() const { return m_dwDefaultFontColor; }
    void SetDefaultFontColor(DWORD color) { m_dwDefaultFontColor = color; }
    DWORD GetDefaultDisabledColor() const { return m_dwDefaultDisabledColor; }
    void SetDefaultDisabledColor(DWORD color) { m_dwDefaultDisabledColor = color; }

    // Display scale: 96 = 100 %. Layout values (control sizes, paddings, insets, offsets, the window's
    // size, caption, size box and corners, font sizes, image dest and corner rectangles) are given and
    // read back at 96; layout and painting turn them into pixels at the current scale, so control
    // rectangles (GetPos), the client size and mouse coordinates are pixels. Supported: 48, 72, 96, 120,
    // 144, 168 and 192; others are refused (false, nothing changes). Changing it resizes the window in
    // proportion (the layout size when it had that) and lays the tree out again.
    static bool IsSupportedDPI(int dpi);
    int GetDPI() const { return m_nDPI; }
    bool SetDPI(int dpi);
    // A layout value in pixels at the current scale (rounded), and back.
    int ScaleValue(int value) const;
    int UnscaleValue(int pixels) const;
    RECT ScaleRect(const RECT& rc) const;
    SIZE ScaleSize(SIZE size) const;
    // Every live manager of the process takes the scale, and managers created later start with it.
    static bool SetAllDPI(int dpi);
    static int GetAllDPI();
    // Lays the tree out again and repaints at the current scale (sizes, fonts and images follow it).
    void ResetDPIAssets() { NeedUpdate(); }
    // The font of the table as drawn at the current scale.
    TFontInfo GetScaledFontInfo(int id) const;

    // Calls fn for every live manager of the process (UI thread).
    static void ForEachManager(const std::function<void(CPaintManagerUI&)>& fn);

private:
    struct Timer
    {
        CControlUI* control;
        UINT id;
        UINT elapse;
        uint32_t due;
        bool killed;
    };
    void ScheduleTimers();
    void SetHover(CControlUI* control, POINT pt, DWORD timestamp);
    void ShowToolTip(CControlUI* control);
    void HideToolTip();
    void UpdateCursor();
    void SendEvent(CControlUI* control, int type, POINT pt, WPARAM wParam, LPARAM lParam, uint16_t keyState,
                   char32_t key = 0);

    HWND m_hWnd = nullptr;
    std::string m_sName;
    IPaintHost* m_pHost = nullptr;
    CControlUI* m_pRoot = nullptr;
    CControlUI* m_pFocus = nullptr;
    CControlUI* m_pEventHover = nullptr;
    CControlUI* m_pEventClick = nullptr;
    CControlUI* m_pEventKey = nullptr;
    bool m_bMouseCapture = false;
    bool m_bFirstLayout = true;
    bool m_bUpdateNeeded = true;
    bool m_bInvalid = true;
    POINT m_ptLastMousePos{-1, -1};
    SIZE m_szClient;
    SIZE m_szInitWindowSize;
    SIZE m_szMinWindow;
    SIZE m_szMaxWindow;
    SIZE m_szRoundCorner;
    RECT m_rcCaption;
    RECT m_rcSizeBox;
    int m_nDPI;

    std::vector<CControlUI*> m_delayedCleanup;
    std::vector<INotifyUI*> m_notifiers;
    std::deque<TNotifyUI> m_asyncNotify;
    std::vector<IMessageFilterUI*> m_messageFilters;
    std::multimap<std::string, CControlUI*, std::less<>> m_nameMap;
    std::vector<Timer> m_timers;
    std::string m_sShownToolTip;
    int m_nCursor = UICURSOR_ARROW;
    bool m_manualClock = false;
    uint32_t m_manualNow = 0;
    std::map<std::string, std::vector<CControlUI*>, std::less<>> m_optionGroups;
    std::map<std::string, std::string> m_defaultAttributes; // keys lower-case
    std::map<int, TFontInfo> m_fonts;
    TFontInfo m_defaultFont;
    bool m_bOwnDefaultFont = false;
    DWORD m_dwDefaultFontColor = 0xFF000000;
    DWORD m_dwDefaultDisabledColor = 0xFFA7A6AA;
};

} // namespace dui
