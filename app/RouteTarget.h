#pragma once
// IRouteTarget: what the notification router may ask of the main window. The router decides which
// control name reaches which operation; the main window carries the operations out. Tests stand in a
// recording target.

#include "dui/UIDefine.h"

#include <string_view>

namespace dui {
class CControlUI;
}

// The profile panel's buttons.
enum class ProfileAction
{
    Add,
    Delete,
    Copy,
    Rename,
    Import,
    Export,
    Reset,
    ToggleMenu
};

class IRouteTarget
{
public:
    virtual ~IRouteTarget() = default;

    // The kind of the current device (DeviceKind); kKindNone when there is none.
    virtual int CurrentDeviceKind() const = 0;
    // A control of the main window's tree by name, or nullptr.
    virtual dui::CControlUI* FindControl(std::string_view name) = 0;

    // "windowinit": the window's one-time initialisation.
    virtual void OnWindowInit() = 0;
    // "windowsize" of "root": relayout when the display changed.
    virtual void OnRootResized() = 0;
    // "closebtn": close the child windows, hide to the tray, tell the devices.
    virtual void CloseToTray() = 0;
    // "nodevice_ok_btn": hide the window.
    virtual void HideMainWindow() = 0;
    // "control_light_status": flip the lighting-control state and broadcast it.
    virtual void ToggleLightControl() = 0;
    // A system command (SC_MINIMIZE, SC_MAXIMIZE, SC_RESTORE).
    virtual void SystemCommand(dui::WPARAM command) = 0;
    // "device_select" / "synchro_device_select" changed.
    virtual void DeviceSelectionChanged() = 0;
    // Previous (-1) or next (+1) shown device tile.
    virtual void SelectNeighbourDevice(int direction) = 0;
    // "device_profile_combo": start the profile timer (1055).
    virtual void StartProfileTimer() = 0;
    // A button of the current device's profile panel.
    virtual void RunProfileAction(ProfileAction action) = 0;
    // A function tab (1-8) of the current device page was chosen.
    virtual void SelectFunctionTab(int tab) = 0;
    // Key capture on (true) or off, as UM_HOOK_CONTROL.
    virtual void HookControl(bool start) = 0;

protected:
    IRouteTarget() = default;
};
