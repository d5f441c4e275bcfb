#pragma once
// CMainWnd: the system's one top-level window, as far as start-up needs it. It builds itself from the
// main layout ("XML_MAIN" through the skin's resource map), owns the bus endpoint titled like the
// window so that outside programs and a second instance reach it, and handles on the UI thread what
// arrives: UWM_INSTANCE_MSG restores and raises the window. It owns the tray icon: a left click restores
// and raises the window, a right click opens the tray menu ("XML_MENU") whose "show" restores it and
// "exit" destroys the window. "closebtn" hides the window to the tray; where the desktop has no tray it
// closes the window instead, so that it never becomes unreachable. Its destruction removes the tray icon
// and ends the message loop.

#include "app/BusReceiver.h"
#include "dui/MenuWnd.h"
#include "dui/TrayIcon.h"
#include "dui/WindowImplBase.h"

#include <string>
#include <string_view>

// The main window's handle, stored when it initialises; the discovery thread sends to it.
inline dui::HWND g_hMainWnd = nullptr;

class CMainWnd : public dui::WindowImplBase
{
public:
    static constexpr std::string_view kTitle = "ORVANT X80 PRO";
    static constexpr int kWidth = 800;
    static constexpr int kHeight = 572;
    // Pop-up, visible, clip siblings, clip children, caption, system menu, minimise box.
    static constexpr dui::DWORD kStyle = 0x96CA0000;
    static constexpr dui::UINT kIconResource = 107;

    CMainWnd() = default;
    ~CMainWnd() override;

    bool HasBusEndpoint() const { return m_bus.IsRunning(); }
    // How many times UWM_INSTANCE_MSG restored and raised the window.
    int InstanceWakeCount() const { return m_instanceWakes; }
    dui::CTrayIcon& TrayIcon() { return m_tray; }
    // How many tray menus were opened.
    int TrayMenuCount() const { return m_trayMenus; }

    // Restore and raise: shows the window, restored if minimised, in front of the others.
    void RestoreAndRaise();

    void InitWindow() override;
    dui::LRESULT HandleCustomMessage(dui::UINT msg, dui::WPARAM wParam, dui::LPARAM lParam,
                                     bool& handled) override;
    void Notify(dui::TNotifyUI& msg) override;

protected:
    std::string GetWindowClassName() const override { return "MainWnd"; }
    std::string GetSkinFile() override { return "XML_MAIN"; }

private:
    void OnDestroy();
    void OnTrayNotify(dui::LPARAM mouseMessage);
    void OnMenuItemClick(const dui::MenuCmd& cmd);
    void OpenTrayMenu();

    CBusReceiver m_bus;
    int m_instanceWakes = 0;
    dui::CTrayIcon m_tray;
    int m_trayMenus = 0;
};
