#include "dui/TrayIcon.h"

#include "dui/WindowMessages.h"
#include "dui/WindowWnd.h"
#include "platform/DebugOutput.h"

#include <QIcon>
#include <QSystemTrayIcon>

namespace dui {

struct CTrayIcon::Impl
{
    std::unique_ptr<QSystemTrayIcon> icon;
};

CTrayIcon::CTrayIcon() : m_impl(std::make_unique<Impl>()) {}

CTrayIcon::~CTrayIcon()
{
    DeleteTrayIcon();
}

bool CTrayIcon::IsTrayAvailable()
{
    return QSystemTrayIcon::isSystemTrayAvailable();
}

bool CTrayIcon::CreateTrayIcon(HWND receiver, UINT iconResource, std::string_view toolTip, UINT message)
{
    DeleteTrayIcon();
    if (!IsWindow(receiver)) {
        platform::DebugOutput("dui: tray icon without a receiving window\n");
        return false;
    }
    m_hReceiver = receiver;
    m_uMessage = message;
    m_uIcon = iconResource;
    m_sToolTip = toolTip;
    if (!IsTrayAvailable()) {
        platform::DebugOutput("dui: the desktop has no system tray; the window stays reachable\n");
        m_state = State::kNoTray;
        return false;
    }
    m_impl->icon = std::make_unique<QSystemTrayIcon>();
    QObject::connect(m_impl->icon.get(), &QSystemTrayIcon::activated,
                     [this](QSystemTrayIcon::ActivationReason reason) {
                         if (reason == QSystemTrayIcon::Trigger)
                             OnClick(false);
                         else if (reason == QSystemTrayIcon::Context)
                             OnClick(true);
                     });
    SetIcon(iconResource);
    SetTooltipText(toolTip);
    m_impl->icon->show();
    m_state = State::kShown;
    return true;
}

void CTrayIcon::DeleteTrayIcon()
{
    m_impl->icon.reset();
    m_state = State::kNone;
}

bool CTrayIcon::SetTooltipText(std::string_view toolTip)
{
    m_sToolTip = toolTip;
    if (!m_impl->icon)
        return false;
    m_impl->icon->setToolTip(QString::fromUtf8(toolTip.data(), static_cast<qsizetype>(toolTip.size())));
    return true;
}

bool CTrayIcon::SetIcon(UINT iconResource)
{
    m_uIcon = iconResource;
    if (!m_impl->icon)
        return false;
    std::string file = CWindowWnd::GetIconResourceFile(iconResource);
    QIcon icon(QString::fromStdString(file));
    if (file.empty() || icon.isNull()) {
        platform::DebugPrintf("dui: no tray icon resource %u\n", iconResource);
        return false;
    }
    m_impl->icon->setIcon(icon);
    return true;
}

bool CTrayIcon::OnClick(bool rightButton)
{
    if (m_state == State::kNone)
        return false;
    return PostMessage(m_hReceiver, m_uMessage, m_uIcon, rightButton ? WM_RBUTTONUP : WM_LBUTTONUP);
}

} // namespace dui
