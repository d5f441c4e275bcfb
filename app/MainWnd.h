#pragma once
// CMainWnd: the system's one top-level window, as far as start-up needs it. It builds itself from the
// main layout ("XML_MAIN" through the skin's resource map), owns the bus endpoint titled like the window so
// that outside programs and a second instance reach it, and handles on the UI thread what arrives:
// UWM_INSTANCE_MSG restores and raises the window. Its destruction ends the message loop.

#include "app/BusReceiver.h"
#include "dui/DialogBuilder.h"
#include "dui/PaintManager.h"
#include "dui/WindowWnd.h"

#include <string>
#include <string_view>

// The main window's handle, stored when it initialises; the discovery thread sends to it.
inline dui::HWND g_hMainWnd = nullptr;

class CMainWnd : public dui::CWindowWnd, public dui::INotifyUI, public dui::IDialogBuilderCallback
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

    dui::CPaintManagerUI& PaintManager() { return m_pm; }
    // The resource name of the main layout.
    std::string GetSkinFile() const { return "XML_MAIN"; }
    // False when the layout could not be built (the window then shows nothing).
    bool HasLayout() const { return m_pm.GetRoot() != nullptr; }
    bool HasBusEndpoint() const { return m_bus.IsRunning(); }
    // How many times UWM_INSTANCE_MSG restored and raised the window.
    int InstanceWakeCount() const { return m_instanceWakes; }

    // Restore and raise: shows the window, restored if minimised, in front of the others.
    void RestoreAndRaise();
    // Ends the system's run: closes this window, whose destruction ends the message loop.
    void Exit();

    dui::LRESULT HandleMessage(dui::UINT msg, dui::WPARAM wParam, dui::LPARAM lParam) override;
    void Notify(dui::TNotifyUI& msg) override;
    // Elements of the main layout that the skin library does not know; none are built yet.
    dui::CControlUI* CreateControl(std::string_view className) override;

protected:
    std::string GetWindowClassName() const override { return "MainWnd"; }

private:
    void OnCreate();
    void InitWindow();
    void OnDestroy();
    // Registered messages of the main window's table; true when the message was one of them.
    bool HandleCustomMessage(dui::UINT msg, dui::WPARAM wParam, dui::LPARAM lParam);

    dui::CPaintManagerUI m_pm;
    CBusReceiver m_bus;
    int m_instanceWakes = 0;
};
