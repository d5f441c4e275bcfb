#include "app/MainWnd.h"

#include "app/WindowMessages.h"
#include "dui/WindowMessages.h"
#include "platform/DebugOutput.h"

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
    // The tray icon (icon 107, tooltip kTitle) is created here once the skin library offers CTrayIcon.
    // Until then "closebtn" keeps the library's default and closes the window, ending the program: a
    // window hidden without a tray icon could only come back through a second start.
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
    return 0;
}

void CMainWnd::OnDestroy()
{
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
