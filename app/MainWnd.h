#pragma once
// CMainWnd: the system's one top-level window, as far as start-up needs it. It builds itself from the
// main layout ("XML_MAIN" through the skin's resource map), owns the bus endpoint titled like the
// window so that outside programs and a second instance reach it, and handles on the UI thread what
// arrives: UWM_INSTANCE_MSG restores and raises the window. Its destruction ends the message loop.

#include "app/BusReceiver.h"
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

    // Restore and raise: shows the window, restored if minimised, in front of the others.
    void RestoreAndRaise();

    void InitWindow() override;
    dui::LRESULT HandleCustomMessage(dui::UINT msg, dui::WPARAM wParam, dui::LPARAM lParam,
                                     bool& handled) override;

protected:
    std::string GetWindowClassName() const override { return "MainWnd"; }
    std::string GetSkinFile() override { return "XML_MAIN"; }

private:
    void OnDestroy();

    CBusReceiver m_bus;
    int m_instanceWakes = 0;
};
