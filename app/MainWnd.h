#pragma once
// CMainWnd: the system's one top-level window. It builds itself from the main layout ("XML_MAIN"),
// creates the custom elements the layout names, holds the device tiles and pages (CDevicePages), runs
// device discovery, owns the tray icon and the bus endpoint titled like the window (outside programs
// and a second instance reach it there) and handles every window message of the system on the UI
// thread. Control notifications go through CNotifyRouter.
//
// The discovery thread reaches the window only through IDiscoveryListener: arrivals and removals
// become UM_DEVICE_ARRIVED / UM_DEVICE_REMOVED through a CWindowCallRelay that the discovery's stop
// event ends, so a destroying window that stops discovery never waits for a thread that waits for it.
//
// Lifecycle: InitWindow (tray, bus) -> "windowinit" (pages, discovery, timer 1011: relayout, shown)
// -> running -> "exit" or close -> WM_DESTROY stops discovery (1000 ms) and ends the message loop.
// Everything but the listener calls runs on the UI thread; no locks of its own.

#include "app/BusReceiver.h"
#include "app/DevicePages.h"
#include "app/NotifyRouter.h"
#include "app/ProfileCommands.h"
#include "app/RouteTarget.h"
#include "app/WindowCallRelay.h"
#include "devices/DeviceDiscovery.h"
#include "dui/MenuWnd.h"
#include "dui/TrayIcon.h"
#include "dui/WindowImplBase.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

// The main window's handle, stored when it initialises; the discovery thread sends to it.
inline dui::HWND g_hMainWnd = nullptr;

// Power broadcast (WM_POWERBROADCAST) and its two events.
inline constexpr dui::UINT kWmPowerBroadcast = 0x0218;
inline constexpr dui::WPARAM kPowerSuspend = 4;
inline constexpr dui::WPARAM kPowerResumeAutomatic = 18;

class CMainWnd : public dui::WindowImplBase, public IRouteTarget, public IDiscoveryListener
{
public:
    static constexpr std::string_view kTitle = "ORVANT X80 PRO";
    static constexpr int kWidth = 1000;
    static constexpr int kHeight = 640;
    // Pop-up, visible, clip siblings, clip children, caption, system menu, minimise box.
    static constexpr dui::DWORD kStyle = 0x96CA0000;
    static constexpr dui::UINT kIconResource = 107;
    // Timers.
    static constexpr dui::UINT kTimerRelayout = 1011;   // 100 ms after initialisation
    static constexpr dui::UINT kTimerTrayMenu = 1032;   // 10 ms after a tray right-click
    static constexpr dui::UINT kTimerProfile = 1055;    // 400 ms after a profile choice
    static constexpr dui::UINT kTimerGameEffect = 1066; // 5000 ms after a game message
    static constexpr uint32_t kDiscoveryStopMs = 1000;
    static constexpr std::string_view kLightControlledText = "控制灯光";
    static constexpr std::string_view kLightReleasedText = "不控制灯光";

    // The size of the monitor nearest the window; without one set, the window's own monitor is used.
    using MonitorQuery = std::function<std::optional<dui::SIZE>()>;

    CMainWnd() = default;
    ~CMainWnd() override;

    // The interface scale for a monitor: 144 above 1500 x 960, else 96.
    static int ScaleForMonitor(int width, int height);

    // Operations other parts call.
    CNimbrelUSBDevice* CurrentDevice() const;
    static std::string DefaultDataFolder();
    static std::string UserDataFolder();
    CDevicePages* Pages() { return m_pages.get(); }
    int LightControlState() const { return m_lightControl; }
    bool IsPowerOn() const { return m_powerOn; }
    bool IsInitialised() const { return m_initialised; }
    int Scale() const { return m_scale; }
    // How many relayouts ran (the first one follows initialisation by 100 ms).
    int RelayoutCount() const { return m_relayouts; }
    bool HasBusEndpoint() const { return m_bus.IsRunning(); }
    const platform::BusEndpoint& BusEndpoint() const { return m_bus.Endpoint(); }
    bool IsDiscoveryRunning() const { return m_discovery && m_discovery->IsRunning(); }
    // How many times UWM_INSTANCE_MSG restored and raised the window.
    int InstanceWakeCount() const { return m_instanceWakes; }
    dui::CTrayIcon& TrayIcon() { return m_tray; }
    // How many tray menus were opened.
    int TrayMenuCount() const { return m_trayMenus; }
    // Replaces the monitor query (none known: scale 96).
    void SetMonitorQuery(MonitorQuery query) { m_monitorQuery = std::move(query); }

    // Restore and raise: shows the window, restored if minimised, in front of the others.
    void RestoreAndRaise();
    // Relayout and scale; show: true shows the window afterwards, false keeps its visibility.
    void Relayout(bool show);
    // The broadcasts over the device lists.
    void SetLightControl(int state);
    void SetWindowFocusState(int state);
    void SetWindowHidden(int hidden);

    // Skin library.
    void InitWindow() override;
    dui::LRESULT HandleCustomMessage(dui::UINT msg, dui::WPARAM wParam, dui::LPARAM lParam,
                                     bool& handled) override;
    void Notify(dui::TNotifyUI& msg) override;
    dui::CControlUI* CreateControl(std::string_view className) override;

    // IRouteTarget.
    int CurrentDeviceKind() const override;
    dui::CControlUI* FindControl(std::string_view name) override;
    void OnWindowInit() override;
    void OnRootResized() override;
    void CloseToTray() override;
    void HideMainWindow() override;
    void ToggleLightControl() override;
    void SystemCommand(dui::WPARAM command) override;
    void DeviceSelectionChanged() override;
    void SelectNeighbourDevice(int direction) override;
    void StartProfileTimer() override;
    void RunProfileAction(ProfileAction action) override;
    void SelectFunctionTab(int tab) override;
    void HookControl(bool start) override;

    // IDiscoveryListener (discovery thread).
    void OnDeviceArrived(int slot) override;
    void OnDeviceRemoved(int slot) override;
    void OnFirstScanComplete() override;

protected:
    std::string GetWindowClassName() const override { return "MainWnd"; }
    std::string GetSkinFile() override { return "XML_MAIN"; }

private:
    void OnDestroy();
    void OnTimer(dui::UINT id);
    void OnTrayNotify(dui::LPARAM mouseMessage);
    void OnMenuItemClick(const dui::MenuCmd& cmd);
    void OnLightControlMessage(dui::WPARAM wParam, dui::LPARAM lParam);
    void OnDeviceMessage(dui::UINT msg, dui::WPARAM slot, dui::LPARAM ticket);
    void SetLightControlText();
    void BroadcastLightOwner(int state);
    void OpenTrayMenu();
    void CloseChildWindows();
    void StopWorkers();

    CBusReceiver m_bus;
    dui::CTrayIcon m_tray;
    CNotifyRouter m_router{*this};
    std::unique_ptr<CDevicePages> m_pages;
    CProfileCommands m_profiles{nullptr, {}}; // given the window and its message box on initialisation
    CWindowCallRelay m_relay;
    std::unique_ptr<CDeviceDiscovery> m_discovery; // after m_pages: it holds the pages' slots
    MonitorQuery m_monitorQuery;
    int m_instanceWakes = 0;
    int m_trayMenus = 0;
    int m_lightControl = 1; // 1: this system drives the device lighting
    int m_active = 0;
    int m_pointerInside = 0;
    bool m_displayChanged = false;
    int m_scale = 96;
    int m_relayouts = 0;
    bool m_initialised = false;
    bool m_powerOn = true; // false while the machine is suspended
};
