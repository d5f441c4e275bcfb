#include "app/MainWnd.h"

#include "app/WindowMessages.h"
#include "dui/WindowMessages.h"
#include "platform/DebugOutput.h"

#include <memory>

CMainWnd::~CMainWnd()
{
    // The window goes first, so that a data copy the bus thread is sending is released, then the thread.
    if (GetHWND()) {
        DestroyWindow();
    }
    m_bus.Stop();
}

void CMainWnd::InitWindow()
{
    platform::DebugOutput("InitWindow\n");
    g_hMainWnd = GetHWND();
    SetIcon(kIconResource);
    if (!m_tray.CreateTrayIcon(GetHWND(), kIconResource, kTitle)) {
        platform::DebugOutput("no system tray: closing the main window ends the program\n");
    }
    if (!m_bus.Start(kTitle, GetHWND())) {
        platform::DebugOutput("main window has no bus endpoint: outside programs cannot reach it\n");
    }
}

dui::LRESULT CMainWnd::HandleCustomMessage(dui::UINT msg, dui::WPARAM wParam, dui::LPARAM lParam,
                                           bool& handled)
{
    if (msg == dui::WM_DESTROY) {
        OnDestroy(); // and on to the library
        return 0;
    }
    if (msg == UWM_INSTANCE_MSG && UWM_INSTANCE_MSG != 0) {
        platform::DebugPrintf("软件标示 %d，%xd%xd\n", static_cast<int>(msg), static_cast<unsigned>(wParam),
                              static_cast<unsigned>(lParam));
        RestoreAndRaise();
        handled = true;
        return 0;
    }
    if (msg == UM_TRAY_NOTIFY) {
        OnTrayNotify(lParam);
        handled = true;
        return 0;
    }
    if (msg == UM_MENU_ITEM_CLICK) {
        std::unique_ptr<dui::MenuCmd> cmd(reinterpret_cast<dui::MenuCmd*>(wParam));
        if (cmd) {
            OnMenuItemClick(*cmd);
        }
        handled = true;
        return 0;
    }
    return 0;
}

void CMainWnd::Notify(dui::TNotifyUI& msg)
{
    // With a tray icon the window hides instead of closing; the tray or a second start brings it back.
    if (msg.sType == dui::DUI_MSGTYPE_CLICK && msg.pSender && msg.pSender->GetName() == "closebtn" &&
        m_tray.GetState() == dui::CTrayIcon::State::kShown) {
        ShowWindow(false);
        return;
    }
    WindowImplBase::Notify(msg);
}

void CMainWnd::OnTrayNotify(dui::LPARAM mouseMessage)
{
    if (mouseMessage == WM_LBUTTONUP) {
        RestoreAndRaise();
    } else if (mouseMessage == WM_RBUTTONUP) {
        OpenTrayMenu();
    }
}

void CMainWnd::OpenTrayMenu()
{
    // The skin library offers no cursor position to this layer; the last mouse position the window saw
    // stands in for it, else the window's top-left corner.
    dui::RECT rc = GetWindowRect();
    dui::POINT at{rc.left, rc.top};
    dui::POINT mouse = m_pm.GetMousePos();
    if (mouse.x >= 0 && mouse.y >= 0) {
        at = {rc.left + mouse.x, rc.top + mouse.y};
    }
    if (dui::CMenuWnd::CreateMenu("XML_MENU", at, &m_pm)) {
        ++m_trayMenus;
    } else {
        platform::DebugOutput("the tray menu could not be built\n");
    }
}

void CMainWnd::OnMenuItemClick(const dui::MenuCmd& cmd)
{
    if (cmd.szName == "exit") {
        DestroyWindow(); // ends the message loop; start-up then tears down in order
    } else if (cmd.szName == "show") {
        RestoreAndRaise();
    }
}

void CMainWnd::OnDestroy()
{
    m_tray.DeleteTrayIcon();
    ShowWindow(false);
    if (g_hMainWnd == GetHWND()) {
        g_hMainWnd = nullptr;
    }
    dui::PostQuitMessage(0);
}

void CMainWnd::RestoreAndRaise()
{
    ++m_instanceWakes;
    if (IsMinimized()) {
        Restore();
    }
    ShowWindow(true);
    BringToFront();
}
