#pragma once
// CTrayIcon: the program's icon in the desktop's system tray. Its clicks reach the receiving window as a
// posted message (UM_TRAY_NOTIFY unless told otherwise) with wParam = the icon resource and lParam = the
// mouse message: WM_LBUTTONUP (514) for a left click, WM_RBUTTONUP (517) for a right click.
//
// Where the desktop has no tray (no tray host running, the offscreen platform) CreateTrayIcon answers
// false and the state says kNoTray: the program must then keep its window reachable (not hide it to the
// tray).

#include "dui/UIDefine.h"

#include <memory>
#include <string>
#include <string_view>

namespace dui {

inline constexpr UINT UM_TRAY_NOTIFY = 1025;

class CTrayIcon
{
public:
    enum class State
    {
        kNone,   // not created, or deleted
        kShown,  // in the tray
        kNoTray, // asked for, but the desktop has no tray
    };

    CTrayIcon();
    ~CTrayIcon();
    CTrayIcon(const CTrayIcon&) = delete;
    CTrayIcon& operator=(const CTrayIcon&) = delete;

    // Shows the icon of the resource (CWindowWnd::RegisterIconResource) with the tool tip. False when
    // there is no tray (state kNoTray) or no receiver.
    bool CreateTrayIcon(HWND receiver, UINT iconResource, std::string_view toolTip,
                        UINT message = UM_TRAY_NOTIFY);
    void DeleteTrayIcon();
    bool SetTooltipText(std::string_view toolTip);
    std::string GetTooltipText() const { return m_sToolTip; }
    bool SetIcon(UINT iconResource);
    State GetState() const { return m_state; }
    // True when the desktop has a system tray now.
    static bool IsTrayAvailable();

    // What a click on the icon does (the tray calls it; tests play the tray with it): posts the message
    // to the receiver, also where no tray exists. False when the icon was not asked for (or was deleted)
    // or the receiver is gone.
    bool OnClick(bool rightButton);

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
    State m_state = State::kNone;
    HWND m_hReceiver = nullptr;
    UINT m_uMessage = UM_TRAY_NOTIFY;
    UINT m_uIcon = 0;
    std::string m_sToolTip;
};

} // namespace dui
