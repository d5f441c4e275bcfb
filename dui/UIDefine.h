#pragma once
// The skin library's basic vocabulary: the handle and message types of its windows, the window message
// numbers (the same numbers the rest of the system uses in its message tables), control event codes and
// state bits, text style flags, and the event and notification records.

#include "dui/Geometry.h"

#include <cstdint>
#include <string>

namespace dui {

class CControlUI;
class IPainter;

using UINT = uint32_t;
using DWORD = uint32_t;
using WPARAM = uintptr_t;
using LPARAM = intptr_t;
using LRESULT = intptr_t;
// A window handle: an opaque number naming a live window; a stale handle is simply not found.
struct HWND__;
using HWND = HWND__*;
// What controls paint on (see dui/Painter.h).
using HDC = IPainter*;

inline constexpr LPARAM MAKELPARAM(int lo, int hi)
{
    return static_cast<LPARAM>(static_cast<uint32_t>((lo & 0xFFFF) | ((hi & 0xFFFF) << 16)));
}
inline constexpr int GET_X_LPARAM(LPARAM l)
{
    return static_cast<int16_t>(l & 0xFFFF);
}
inline constexpr int GET_Y_LPARAM(LPARAM l)
{
    return static_cast<int16_t>((l >> 16) & 0xFFFF);
}

// Window messages.
inline constexpr UINT WM_NULL = 0x0000, WM_CREATE = 0x0001, WM_DESTROY = 0x0002, WM_MOVE = 0x0003,
                      WM_SIZE = 0x0005, WM_ACTIVATE = 0x0006, WM_SETFOCUS = 0x0007, WM_KILLFOCUS = 0x0008,
                      WM_PAINT = 0x000F, WM_CLOSE = 0x0010, WM_QUIT = 0x0012, WM_SHOWWINDOW = 0x0018,
                      WM_DISPLAYCHANGE = 0x007E, WM_COPYDATA = 0x004A, WM_NCDESTROY = 0x0082,
                      WM_KEYDOWN = 0x0100, WM_KEYUP = 0x0101, WM_CHAR = 0x0102, WM_SYSKEYDOWN = 0x0104,
                      WM_SYSCOMMAND = 0x0112, WM_TIMER = 0x0113, WM_MOUSEMOVE = 0x0200,
                      WM_LBUTTONDOWN = 0x0201, WM_LBUTTONUP = 0x0202, WM_LBUTTONDBLCLK = 0x0203,
                      WM_RBUTTONDOWN = 0x0204, WM_RBUTTONUP = 0x0205, WM_CONTEXTMENU = 0x007B,
                      WM_MOUSEWHEEL = 0x020A, WM_MOUSEHOVER = 0x02A1, WM_MOUSELEAVE = 0x02A3,
                      WM_DPICHANGED = 0x02E0, WM_USER = 0x0400, WM_APP = 0x8000;
// System commands (WM_SYSCOMMAND wParam).
inline constexpr WPARAM SC_MINIMIZE = 0xF020, SC_MAXIMIZE = 0xF030, SC_CLOSE = 0xF060, SC_RESTORE = 0xF120;

// Mouse key state bits (wParam of mouse messages).
inline constexpr uint16_t MK_LBUTTON = 0x0001, MK_RBUTTON = 0x0002, MK_SHIFT = 0x0004, MK_CONTROL = 0x0008;

// Virtual key codes the standard controls react to.
inline constexpr int VK_BACK = 0x08, VK_TAB = 0x09, VK_RETURN = 0x0D, VK_SHIFT = 0x10, VK_CONTROL = 0x11,
                     VK_ESCAPE = 0x1B, VK_SPACE = 0x20, VK_PRIOR = 0x21, VK_NEXT = 0x22, VK_END = 0x23,
                     VK_HOME = 0x24, VK_LEFT = 0x25, VK_UP = 0x26, VK_RIGHT = 0x27, VK_DOWN = 0x28,
                     VK_DELETE = 0x2E;

// Control events.
enum
{
    UIEVENT__FIRST = 1,
    UIEVENT__KEYBEGIN,
    UIEVENT_KEYDOWN,
    UIEVENT_KEYUP,
    UIEVENT_CHAR,
    UIEVENT_SYSKEY,
    UIEVENT__KEYEND,
    UIEVENT__MOUSEBEGIN,
    UIEVENT_MOUSEMOVE,
    UIEVENT_MOUSELEAVE,
    UIEVENT_MOUSEENTER,
    UIEVENT_MOUSEHOVER,
    UIEVENT_BUTTONDOWN,
    UIEVENT_BUTTONUP,
    UIEVENT_RBUTTONDOWN,
    UIEVENT_RBUTTONUP,
    UIEVENT_DBLCLICK,
    UIEVENT_CONTEXTMENU,
    UIEVENT_SCROLLWHEEL,
    UIEVENT__MOUSEEND,
    UIEVENT_KILLFOCUS,
    UIEVENT_SETFOCUS,
    UIEVENT_WINDOWSIZE,
    UIEVENT_SETCURSOR,
    UIEVENT_TIMER,
    UIEVENT_NOTIFY,
    UIEVENT_COMMAND,
    UIEVENT__LAST,
};

// Control state bits.
inline constexpr UINT UISTATE_FOCUSED = 0x01, UISTATE_SELECTED = 0x02, UISTATE_DISABLED = 0x04,
                      UISTATE_HOT = 0x08, UISTATE_PUSHED = 0x10, UISTATE_READONLY = 0x20,
                      UISTATE_CAPTURED = 0x40;

// Control flags (GetControlFlags).
inline constexpr UINT UIFLAG_TABSTOP = 0x01, UIFLAG_SETCURSOR = 0x02, UIFLAG_WANTRETURN = 0x04;

// Mouse pointer shapes a control asks for while hovered (attribute cursor: arrow, hand, ibeam, sizewe,
// sizens, sizenwse, sizenesw, sizeall, wait, no).
enum UICursor : int
{
    UICURSOR_ARROW = 0,
    UICURSOR_HAND,
    UICURSOR_IBEAM,
    UICURSOR_SIZEWE,
    UICURSOR_SIZENS,
    UICURSOR_SIZENWSE,
    UICURSOR_SIZENESW,
    UICURSOR_SIZEALL,
    UICURSOR_WAIT,
    UICURSOR_NO,
};
// The shape of a cursor attribute value; false (and arrow) when the name is unknown.
bool ParseCursor(std::string_view name, int& cursor);

// FindControl flags.
inline constexpr UINT UIFIND_ALL = 0x0, UIFIND_VISIBLE = 0x1, UIFIND_ENABLED = 0x2, UIFIND_HITTEST = 0x4,
                      UIFIND_UPDATETEST = 0x8, UIFIND_TOP_FIRST = 0x10, UIFIND_ME_FIRST = 0x8000;

// Text style flags.
inline constexpr UINT DT_TOP = 0x0, DT_LEFT = 0x0, DT_CENTER = 0x1, DT_RIGHT = 0x2, DT_VCENTER = 0x4,
                      DT_BOTTOM = 0x8, DT_WORDBREAK = 0x10, DT_SINGLELINE = 0x20, DT_CALCRECT = 0x400,
                      DT_NOPREFIX = 0x800, DT_END_ELLIPSIS = 0x8000;

// Scroll wheel directions (low word of a UIEVENT_SCROLLWHEEL wParam).
inline constexpr int SB_LINEUP = 0, SB_LINEDOWN = 1;

// One input or timer event delivered to a control's DoEvent.
struct TEventUI
{
    int Type = 0;
    CControlUI* pSender = nullptr;
    DWORD dwTimestamp = 0;
    POINT ptMouse;
    char32_t chKey = 0;     // the character (UIEVENT_CHAR) or the virtual key (key events)
    uint16_t wKeyState = 0; // MK_* bits
    WPARAM wParam = 0;      // the timer id for UIEVENT_TIMER
    LPARAM lParam = 0;
};

// One notification sent to the window's notification receivers.
struct TNotifyUI
{
    std::string sType;
    std::string sVirtualWnd;
    CControlUI* pSender = nullptr;
    DWORD dwTimestamp = 0;
    POINT ptMouse;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
};

// A receiver of notifications (AddNotifier).
class INotifyUI
{
public:
    virtual void Notify(TNotifyUI& msg) = 0;

protected:
    ~INotifyUI() = default;
};

// A receiver that sees window messages before the controls do (AddMessageFilter); set bHandled to stop
// the message there.
class IMessageFilterUI
{
public:
    virtual LRESULT MessageHandler(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled) = 0;

protected:
    ~IMessageFilterUI() = default;
};

// Notification type texts of the standard controls.
inline constexpr const char* DUI_MSGTYPE_CLICK = "click";
inline constexpr const char* DUI_MSGTYPE_SELECTCHANGED = "selectchanged";
inline constexpr const char* DUI_MSGTYPE_VALUECHANGED = "valuechanged";
inline constexpr const char* DUI_MSGTYPE_MOVEVALUECHANGED = "movevaluechanged";
inline constexpr const char* DUI_MSGTYPE_TEXTCHANGED = "textchanged";
inline constexpr const char* DUI_MSGTYPE_RETURN = "return";
inline constexpr const char* DUI_MSGTYPE_SETFOCUS = "setfocus";
inline constexpr const char* DUI_MSGTYPE_KILLFOCUS = "killfocus";
inline constexpr const char* DUI_MSGTYPE_ITEMSELECT = "itemselect";
inline constexpr const char* DUI_MSGTYPE_ITEMCLICK = "itemclick";
inline constexpr const char* DUI_MSGTYPE_ITEMACTIVATE = "itemactivate";
inline constexpr const char* DUI_MSGTYPE_WINDOWINIT = "windowinit";
inline constexpr const char* DUI_MSGTYPE_TIMER = "timer";
inline constexpr const char* DUI_MSGTYPE_TABSELECT = "tabselect";
inline constexpr const char* DUI_MSGTYPE_SCROLL = "scroll";
inline constexpr const char* DUI_MSGTYPE_MOUSEENTER = "mouseenter";
inline constexpr const char* DUI_MSGTYPE_MOUSELEAVE = "mouseleave";
inline constexpr const char* DUI_MSGTYPE_MENU = "menu";
inline constexpr const char* DUI_MSGTYPE_WINDOWSIZE = "windowsize";

// Parses "#AARRGGBB", "#RRGGBB", "0x…" or bare hexadecimal colour text; six digits mean opaque.
DWORD ParseColor(std::string_view text);
// "true" (case-blind) is true, anything else false.
bool ParseBool(std::string_view text);
// ASCII lower case of a text.
std::string ToLower(std::string_view text);
// Case-blind comparison of ASCII texts.
bool EqualsNoCase(std::string_view a, std::string_view b);

} // namespace dui
