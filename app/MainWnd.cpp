#include "app/MainWnd.h"

#include "app/WindowMessages.h"
#include "dui/Control.h"
#include "dui/ResourceManager.h"
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

dui::LRESULT CMainWnd::HandleMessage(dui::UINT msg, dui::WPARAM wParam, dui::LPARAM lParam)
{
    switch (msg) {
    case dui::WM_CREATE:
        OnCreate();
        return 0;
    case dui::WM_DESTROY:
        OnDestroy();
        return 0;
    default:
        break;
    }
    if (HandleCustomMessage(msg, wParam, lParam)) {
        return 0;
    }
    dui::LRESULT result = 0;
    if (m_pm.MessageHandler(msg, wParam, lParam, result)) {
        return result;
    }
    return CWindowWnd::HandleMessage(msg, wParam, lParam);
}

void CMainWnd::OnCreate()
{
    m_pm.Init(GetHWND(), "MainWnd");
    dui::CDialogBuilder builder;
    // The skin file is a resource name of the map, or a file name itself.
    std::string layout = dui::CResourceManager::GetInstance()->GetXmlPath(GetSkinFile());
    if (layout.empty()) {
        layout = GetSkinFile();
    }
    dui::CControlUI* root = builder.Create(layout, {}, this, &m_pm);
    if (root) {
        m_pm.AttachDialog(root);
    } else {
        platform::DebugPrintf("main layout '%s' not built: %s\n", layout.c_str(),
                              builder.GetLastError().c_str());
    }
    m_pm.AddNotifier(this);
    InitWindow();
}

void CMainWnd::InitWindow()
{
    platform::DebugOutput("InitWindow\n");
    g_hMainWnd = GetHWND();
    SetIcon(kIconResource);
    // The tray icon (icon 107, tooltip kTitle) is created here once the skin library offers CTrayIcon;
    // until then closing the window ends the program (see Notify).
    if (!m_bus.Start(kTitle, GetHWND())) {
        platform::DebugOutput("main window has no bus endpoint: outside programs cannot reach it\n");
    }
}

void CMainWnd::OnDestroy()
{
    ShowWindow(false);
    if (g_hMainWnd == GetHWND()) {
        g_hMainWnd = nullptr;
    }
    dui::PostQuitMessage(0);
}

bool CMainWnd::HandleCustomMessage(dui::UINT msg, dui::WPARAM wParam, dui::LPARAM lParam)
{
    if (msg == UWM_INSTANCE_MSG && UWM_INSTANCE_MSG != 0) {
        platform::DebugPrintf("软件标示 %d，%xd%xd\n", static_cast<int>(msg), static_cast<unsigned>(wParam),
                              static_cast<unsigned>(lParam));
        RestoreAndRaise();
        return true;
    }
    return false;
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

void CMainWnd::Exit()
{
    Close();
}

void CMainWnd::Notify(dui::TNotifyUI& msg)
{
    if (msg.sType != "click" || !msg.pSender) {
        return;
    }
    const std::string name = msg.pSender->GetName();
    if (name == "closebtn") {
        // Without a tray icon a hidden window could only come back through a second start: end the run.
        Exit();
    } else if (name == "minbtn") {
        SendMessage(dui::WM_SYSCOMMAND, dui::SC_MINIMIZE);
    } else if (name == "maxbtn") {
        SendMessage(dui::WM_SYSCOMMAND, dui::SC_MAXIMIZE);
    } else if (name == "restorebtn") {
        SendMessage(dui::WM_SYSCOMMAND, dui::SC_RESTORE);
    }
}

dui::CControlUI* CMainWnd::CreateControl(std::string_view className)
{
    (void)className;
    return nullptr;
}
