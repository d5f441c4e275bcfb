#include "app/MainWnd.h"

#include "app/MsgWnd.h"
#include "app/WindowMessages.h"
#include "app/WorkToolReply.h"
#include "devices/DeviceKinds.h"
#include "devices/IndexedControlName.h"
#include "devices/NimbrelUSBDevice.h"
#include "dui/Control.h"
#include "dui/DialogBuilder.h"
#include "dui/WindowMessages.h"
#include "panels/DeviceKeyButtonUI.h"
#include "panels/DeviceProfileUI.h"
#include "panels/SelectPanelUI.h"
#include "platform/DebugOutput.h"
#include "platform/Folders.h"

#include <memory>

namespace {

template <class T>
dui::CControlUI* Make()
{
    return new T;
}

// The elements the main window builds itself: a control class, or a sub-layout built with the window's
// paint manager. Neither: the class does not exist yet and the element is left to the library.
struct ElementEntry
{
    std::string_view name;
    dui::CControlUI* (*create)();
    std::string_view subLayout;
};

// The device pages are the generic device object until the kinds have classes of their own.
constexpr ElementEntry kElements[] = {
    {"CircleProgress", nullptr, {}},
    {"SelectPanel", &Make<CSelectPanelUI>, {}},
    {"DeviceKeyButton", &Make<CDeviceKeyButtonUI>, {}},
    {"HandImgButton", nullptr, {}},
    {"AudioRecord", nullptr, {}},
    {"HandImgSelectButton", nullptr, {}},
    {"RedioMacroButton", nullptr, {}},
    {"ComboEditContainerElement", nullptr, {}},
    {"NimbrelMousePadDevice", &Make<CNimbrelUSBDevice>, {}},
    {"NimbrelHS6533Device", &Make<CNimbrelUSBDevice>, {}},
    {"NimbrelMouseDevice", &Make<CNimbrelUSBDevice>, {}},
    {"NimbrelKeyboardDevice", &Make<CNimbrelUSBDevice>, {}},
    {"DeviceProfile", &Make<CDeviceProfileUI>, {}},
    {"LightControl", nullptr, {}},
    {"MagicControl", nullptr, {}},
    {"Voice6533Control", nullptr, {}},
    {"KeySetControl", nullptr, {}},
    {"ShootControl", nullptr, {}},
    {"DeviceProfileUI", nullptr, "XML\\CustomControlXML\\DeviceProfile.xml"},
    {"LightSetControlUI", nullptr, "XML\\CustomControlXML\\LightControl.xml"},
    {"Voice6533SetControlUI", nullptr, "XML\\CustomControlXML\\Voice6533Control.xml"},
    {"MagicSetControlUI", nullptr, "XML\\CustomControlXML\\MagicControl.xml"},
    {"KeySetControlUI", nullptr, "XML\\CustomControlXML\\KeySetControl.xml"},
    {"MacroSetControlUI", nullptr, "XML\\CustomControlXML\\MacroControl.xml"},
    {"ShootKeySetControlUI", nullptr, "XML\\CustomControlXML\\ShootControl.xml"},
    {"VirtualSetControlUI", nullptr, "XML\\CustomControlXML\\VirtualSet.xml"},
};

} // namespace

CMainWnd::~CMainWnd()
{
    // The window goes first, so that a data copy the bus thread is sending is released, then the thread.
    if (GetHWND()) {
        DestroyWindow();
    }
    StopWorkers();
    m_bus.Stop();
}

int CMainWnd::ScaleForMonitor(int width, int height)
{
    return width > 1500 && height > 960 ? 144 : 96;
}

CNimbrelUSBDevice* CMainWnd::CurrentDevice() const
{
    return m_pages ? m_pages->CurrentDevice() : nullptr;
}

std::string CMainWnd::DefaultDataFolder()
{
    return platform::DefaultDataFolder();
}

std::string CMainWnd::UserDataFolder()
{
    return platform::ProductDataFolder();
}

// ---- creation ----

void CMainWnd::InitWindow()
{
    platform::DebugOutput("InitWindow\n");
    // Language provider and skin-change receiver: not built yet.
    g_hMainWnd = GetHWND();
    SetIcon(kIconResource);
    if (!m_tray.CreateTrayIcon(GetHWND(), kIconResource, kTitle)) {
        platform::DebugOutput("no system tray: closing the main window ends the program\n");
    }
    if (!m_bus.Start(kTitle, GetHWND())) {
        platform::DebugOutput("main window has no bus endpoint: outside programs cannot reach it\n");
    }
}

dui::CControlUI* CMainWnd::CreateControl(std::string_view className)
{
    for (const ElementEntry& entry : kElements) {
        if (!SamePrefix(className, entry.name)) {
            continue;
        }
        if (entry.create) {
            return entry.create();
        }
        if (!entry.subLayout.empty()) {
            dui::CDialogBuilder builder;
            return builder.Create(entry.subLayout, {}, nullptr, &m_pm, nullptr);
        }
        return nullptr; // the element's class is not built yet
    }
    return nullptr;
}

void CMainWnd::OnWindowInit()
{
    if (m_initialised) {
        return;
    }
    // The bus has no message filter to open: every registered message reaches the endpoint.
    BroadcastLightOwner(1);
    // Language index: not built yet.
    CDevicePages::Hooks hooks;
    hooks.closeChildWindows = [this] { CloseChildWindows(); };
    hooks.stopKeyCapture = [this] { HookControl(false); };
    m_profiles = CProfileCommands(GetHWND(), [this](std::string_view text, bool isKey, int buttons) {
        return CMsgWnd::ShowMessage(GetHWND(), {}, text, m_scale, isKey, buttons);
    });
    m_pages = std::make_unique<CDevicePages>(m_pm, this, GetHWND(), std::move(hooks));
    m_pages->CreateBuiltInPages();
    ShowWindow(false);
    m_discovery = std::make_unique<CDeviceDiscovery>(m_pages->Slots(), *this);
    if (!m_discovery->Start()) {
        platform::DebugOutput("device discovery did not start\n");
    }
    // Audio daemon, synchronised lighting and the audio process: not built yet.
    SetTimer(kTimerRelayout, 100);
    m_initialised = true;
}

// ---- discovery (discovery thread) ----

void CMainWnd::OnDeviceArrived(int slot)
{
    m_relay.Call(GetHWND(), UM_DEVICE_ARRIVED, static_cast<dui::WPARAM>(slot), m_discovery->StopEvent());
}

void CMainWnd::OnDeviceRemoved(int slot)
{
    m_relay.Call(GetHWND(), UM_DEVICE_REMOVED, static_cast<dui::WPARAM>(slot), m_discovery->StopEvent());
}

void CMainWnd::OnFirstScanComplete()
{
    dui::PostMessage(GetHWND(), UWM_INSTANCE_MSG, 0, 0);
}

// ---- messages ----

dui::LRESULT CMainWnd::HandleCustomMessage(dui::UINT msg, dui::WPARAM wParam, dui::LPARAM lParam,
                                           bool& handled)
{
    const bool registered = msg >= kFirstRegisteredMessage;
    if (msg == dui::WM_ACTIVATE) {
        m_active = m_pointerInside = wParam != 0 ? 1 : 0;
        SetWindowFocusState(m_active);
        return 0;
    }
    if (msg == dui::WM_MOUSELEAVE || msg == dui::WM_MOUSEHOVER) {
        const int inside = msg == dui::WM_MOUSEHOVER ? 1 : 0;
        platform::DebugOutput(inside ? "鼠标移入\n" : "鼠标移出\n");
        if (!m_active) {
            m_pointerInside = inside;
            SetWindowFocusState(inside);
        }
        return 0;
    }
    if (registered && msg == UWM_INSTANCE_MSG) {
        platform::DebugPrintf("软件标示 %d，%xd%xd\n", static_cast<int>(msg), static_cast<unsigned>(wParam),
                              static_cast<unsigned>(lParam));
        RestoreAndRaise();
        handled = true;
        return 0;
    }
    if (registered && msg == UWM_UPDATE_PROGRESS_MSG) {
        // Forwarded to the settings window once that window exists.
        handled = true;
        return 0;
    }
    if (registered && msg == UWM_LIGHT_CONTROL_MSG) {
        OnLightControlMessage(wParam, lParam);
        handled = true;
        return 0;
    }
    if (registered && msg == UWM_WORKTOOL_QUERY_MSG) {
        SendWorkToolReply(m_bus.Endpoint(), reinterpret_cast<uintptr_t>(GetHWND()));
        handled = true;
        return 0;
    }
    if (msg == dui::WM_DESTROY) {
        platform::DebugOutput("退出测试\n");
        OnDestroy(); // and on to the library
        return 0;
    }
    if (msg == kWmPowerBroadcast) {
        if (wParam == kPowerResumeAutomatic) {
            m_powerOn = true;
            SetLightControl(m_lightControl);
        } else if (wParam == kPowerSuspend) {
            m_powerOn = false;
            SetLightControl(0);
        }
        handled = true;
        return 1;
    }
    if (msg == UM_DEVICE_ARRIVED || msg == UM_DEVICE_REMOVED) {
        OnDeviceMessage(msg, wParam, lParam); // completes the discovery's wait also while suspended
        handled = true;
        return 0;
    }
    if (msg == UM_DEVICE_WORK_DONE) {
        // Kept while suspended too: a device posts it once per batch of answers, so a dropped one
        // would leave the answers waiting for ever.
        if (m_pages) {
            m_pages->RunDeviceCompletions();
        }
        handled = true;
        return 0;
    }
    if (!m_powerOn) {
        if (msg == UM_MENU_ITEM_CLICK) {
            delete reinterpret_cast<dui::MenuCmd*>(wParam); // dropped, but the record is ours to free
        }
        handled = registered || msg >= WM_USER;
        return 0;
    }
    // Hook and game messages: key capture, macro recording and the game effect are not built yet.
    switch (msg) {
    case dui::WM_TIMER:
        if (wParam == kTimerRelayout || wParam == kTimerTrayMenu || wParam == kTimerProfile ||
            wParam == kTimerGameEffect) {
            OnTimer(static_cast<dui::UINT>(wParam));
            handled = true;
        }
        return 0;
    case dui::WM_COPYDATA:
        // Audio data (record types 1 and 2) goes to the audio lighting once it exists.
        return 0;
    case dui::WM_DISPLAYCHANGE:
        platform::DebugOutput("显示器分辨率发生变化\n");
        m_displayChanged = true;
        Relayout(false);
        return 0;
    case dui::WM_DPICHANGED: {
        const int dpi = static_cast<int>(wParam & 0xFFFF);
        if (m_pm.SetDPI(dpi)) {
            m_scale = dpi;
            m_pm.ResetDPIAssets();
            CenterWindow();
        }
        platform::DebugOutput("界面 DPI 发生变化\n");
        handled = true;
        return 0;
    }
    default:
        break;
    }
    if (msg == UM_TRAY_NOTIFY) {
        OnTrayNotify(lParam);
    } else if (msg == UM_HOOK_CONTROL) {
        HookControl(wParam == 1);
    } else if (msg == UM_MENU_ITEM_CLICK) {
        std::unique_ptr<dui::MenuCmd> cmd(reinterpret_cast<dui::MenuCmd*>(wParam));
        if (cmd) {
            OnMenuItemClick(*cmd);
        }
    } else if (msg == UM_SHOW_SETTING_PROGRESS) {
        if (dui::CControlUI* progress = m_pm.FindControl("setting_progress")) {
            progress->SetVisible(true);
        }
    } else if (msg == UM_LANGUAGE_CHANGED || msg == UM_OPEN_SETTINGS) {
        // The language switch and the settings window are not built yet.
    } else if (msg == UM_CLEAR_UPDATE_BADGE) {
        if (dui::CControlUI* set = m_pm.FindControl("setbtn")) {
            set->SetForeImage("");
        }
    } else if (msg == UM_WIRELESS_LINK) {
        if (m_pages) {
            if (lParam == 0) {
                platform::DebugOutput("2.4gcesvdfherhue 1\n");
            }
            m_pages->OnWirelessLink(static_cast<int>(wParam), lParam != 0);
        }
    } else {
        return 0;
    }
    handled = true;
    return 0;
}

void CMainWnd::OnDeviceMessage(dui::UINT msg, dui::WPARAM slot, dui::LPARAM ticket)
{
    if (m_powerOn && m_pages) {
        if (msg == UM_DEVICE_ARRIVED) {
            m_pages->OnDeviceArrived(static_cast<int>(slot));
        } else {
            m_pages->OnDeviceRemoved(static_cast<int>(slot));
        }
    }
    m_relay.Complete(ticket);
}

void CMainWnd::OnLightControlMessage(dui::WPARAM wParam, dui::LPARAM lParam)
{
    if (wParam != 1) {
        return;
    }
    if (lParam == 0 || lParam == 1) {
        m_lightControl = static_cast<int>(lParam);
        SetLightControlText();
    }
    SetLightControl(m_lightControl);
}

void CMainWnd::OnTimer(dui::UINT id)
{
    KillTimer(id);
    switch (id) {
    case kTimerRelayout:
        Relayout(true);
        m_pm.NeedUpdate();
        // The audio process's initial commands follow once it exists.
        break;
    case kTimerTrayMenu:
        OpenTrayMenu();
        break;
    case kTimerProfile:
        m_profiles.ApplyChosen(CurrentDevice());
        break;
    case kTimerGameEffect:
        // Restoring the lighting after a game effect needs the kinds' lighting record, not built yet.
        break;
    default:
        break;
    }
}

void CMainWnd::Notify(dui::TNotifyUI& msg)
{
    const std::string name = msg.pSender ? msg.pSender->GetName() : std::string();
    if (m_router.Route(msg.sType, msg.pSender, name)) {
        WindowImplBase::Notify(msg);
    }
}

// ---- route targets ----

int CMainWnd::CurrentDeviceKind() const
{
    const CNimbrelUSBDevice* device = CurrentDevice();
    return device ? device->GetKind() : kKindNone;
}

dui::CControlUI* CMainWnd::FindControl(std::string_view name)
{
    return m_pm.FindControl(name);
}

void CMainWnd::OnRootResized()
{
    if (m_displayChanged) {
        m_displayChanged = false;
        Relayout(false);
    }
}

void CMainWnd::CloseToTray()
{
    CloseChildWindows();
    // Without a tray a hidden window could not be reached again: close it instead.
    if (m_tray.GetState() != dui::CTrayIcon::State::kShown) {
        Close(0);
        return;
    }
    ShowWindow(false);
    SetWindowHidden(1);
}

void CMainWnd::HideMainWindow()
{
    ShowWindow(false);
}

void CMainWnd::ToggleLightControl()
{
    m_lightControl = m_lightControl ? 0 : 1;
    BroadcastLightOwner(m_lightControl);
    SetLightControlText();
    SetLightControl(m_lightControl);
}

void CMainWnd::SystemCommand(dui::WPARAM command)
{
    SendMessage(dui::WM_SYSCOMMAND, command, 0);
}

void CMainWnd::DeviceSelectionChanged()
{
    if (m_pages) {
        m_pages->OnSelectionChanged();
    }
}

void CMainWnd::SelectNeighbourDevice(int direction)
{
    if (m_pages) {
        m_pages->SelectNeighbour(direction);
    }
}

void CMainWnd::StartProfileTimer()
{
    SetTimer(kTimerProfile, 400);
}

void CMainWnd::RunProfileAction(ProfileAction action)
{
    m_profiles.Run(CurrentDevice(), action);
}

void CMainWnd::SelectFunctionTab(int tab)
{
    if (CNimbrelUSBDevice* device = CurrentDevice()) {
        device->SetFunctionTab(tab);
        if (CDeviceProfileUI* panel = CProfileCommands::PanelOf(device)) {
            panel->SelectFunctionTab(tab);
        }
    }
}

void CMainWnd::HookControl(bool)
{
    // Key capture (the keyboard hook) is not built yet.
}

// ---- window state ----

void CMainWnd::SetLightControlText()
{
    if (dui::CControlUI* button = m_pm.FindControl("control_light_status")) {
        button->SetText(m_lightControl ? kLightControlledText : kLightReleasedText);
    }
}

void CMainWnd::BroadcastLightOwner(int state)
{
    if (std::optional<platform::BusMessage> owner =
            platform::MakeRegisteredMessage(UWM_LIGHT_OWNER_MSG, 1, state)) {
        m_bus.Endpoint().Broadcast(*owner);
    }
}

void CMainWnd::SetLightControl(int state)
{
    platform::DebugPrintf("lighting control %d\n", state);
    if (!m_pages) {
        return;
    }
    for (const auto* list : {&m_pages->Mice(), &m_pages->MousePads(), &m_pages->Keyboards()}) {
        for (CNimbrelUSBDevice* device : *list) {
            device->RequestLightingControl(state != 0);
        }
    }
}

void CMainWnd::SetWindowFocusState(int)
{
    // The device objects have no focus state yet; the mouse pad, mouse and keyboard lists get it here.
}

void CMainWnd::SetWindowHidden(int)
{
    // The device objects have no hidden state yet; the mouse and keyboard lists get it here.
}

void CMainWnd::CloseChildWindows()
{
    // Settings, about, colour picker and music windows are not built yet.
}

void CMainWnd::Relayout(bool show)
{
    const bool wasVisible = IsWindowVisible() && !IsMinimized();
    if (IsMinimized()) {
        Restore();
    }
    std::optional<dui::SIZE> monitor;
    if (m_monitorQuery) {
        monitor = m_monitorQuery();
    } else if (dui::RECT rc; GetMonitorRect(rc)) {
        monitor = dui::SIZE{rc.right - rc.left, rc.bottom - rc.top};
    }
    m_scale = monitor ? ScaleForMonitor(monitor->cx, monitor->cy) : 96;
    dui::CPaintManagerUI::SetAllDPI(96);
    ResizeClient(kWidth, kHeight);
    dui::CPaintManagerUI::SetAllDPI(m_scale);
    CenterWindow();
    m_displayChanged = false;
    ++m_relayouts;
    ShowWindow(show || wasVisible);
    if (show || wasVisible) {
        const dui::RECT rc = GetWindowRect();
        platform::DebugPrintf("main window shown %dx%d at scale %d\n", static_cast<int>(rc.right - rc.left),
                              static_cast<int>(rc.bottom - rc.top), m_scale);
    }
}

void CMainWnd::RestoreAndRaise()
{
    ++m_instanceWakes;
    if (m_pages) {
        m_pages->UpdateNoDeviceLink();
    }
    SetWindowHidden(0);
    if (IsMinimized()) {
        Restore();
    }
    ShowWindow(true);
    BringToFront();
}

// ---- tray ----

void CMainWnd::OnTrayNotify(dui::LPARAM mouseMessage)
{
    if (mouseMessage == WM_LBUTTONUP) {
        if (m_pages) {
            m_pages->UpdateNoDeviceLink();
        }
        CloseChildWindows();
        if (IsWindowVisible() && !IsMinimized()) {
            ShowWindow(false);
            SetWindowHidden(1);
        } else {
            Relayout(true);
            RestoreAndRaise();
            m_pm.NeedUpdate();
        }
    } else if (mouseMessage == WM_RBUTTONUP) {
        SetTimer(kTimerTrayMenu, 10);
    }
}

void CMainWnd::OpenTrayMenu()
{
    // The menu's top-left corner at the pointer (the desktop tells no taskbar edge to place it by);
    // the window's top-left corner where the pointer position is unknown.
    dui::POINT at{};
    if (!dui::GetCursorPos(at)) {
        const dui::RECT rc = GetWindowRect();
        at = {rc.left, rc.top};
    }
    if (dui::CMenuWnd::CreateMenu("XML_MENU", at, &m_pm)) {
        ++m_trayMenus;
    } else {
        platform::DebugOutput("the tray menu could not be built\n");
    }
}

void CMainWnd::OnMenuItemClick(const dui::MenuCmd& cmd)
{
    if (SamePrefix(cmd.szName, "exit")) {
        CloseChildWindows();
        DestroyWindow(); // ends the message loop; start-up then tears down in order
    } else if (SamePrefix(cmd.szName, "show")) {
        RestoreAndRaise();
    } else {
        m_router.RouteMenuItem(cmd.szName);
    }
}

// ---- teardown ----

void CMainWnd::StopWorkers()
{
    if (m_discovery && m_discovery->IsRunning()) {
        m_discovery->Stop(kDiscoveryStopMs);
    }
}

void CMainWnd::OnDestroy()
{
    m_tray.DeleteTrayIcon();
    ShowWindow(false);
    StopWorkers();
    if (g_hMainWnd == GetHWND()) {
        g_hMainWnd = nullptr;
    }
    dui::PostQuitMessage(0);
}
