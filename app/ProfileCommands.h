#pragma once
// CProfileCommands: what the main window does with the profile panel of the current device page: the
// panel's buttons (with their file dialogs and messages) and applying the profile chosen in its combo
// box. The panel keeps the list; the device object applies a profile.
//
// UI thread only.

#include "app/RouteTarget.h"
#include "dui/UIDefine.h"

#include <functional>
#include <string>
#include <string_view>

class CNimbrelUSBDevice;
class CDeviceProfileUI;

class CProfileCommands
{
public:
    // Shows a message (a language key, or a plain text) with one (0) or two (1) buttons; answers 1
    // for confirm.
    using ShowMessage = std::function<int(std::string_view text, bool isKey, int buttons)>;

    static constexpr const char* kFilterName = "Profile Files(*.json)";
    static constexpr const char* kFilterPattern = "*.json;";

    CProfileCommands(dui::HWND owner, ShowMessage showMessage);

    // The profile panel of a device page; nullptr when the page has none.
    static CDeviceProfileUI* PanelOf(CNimbrelUSBDevice* device);

    // A button of the device's profile panel. Nothing happens without a device or a panel.
    void Run(CNimbrelUSBDevice* device, ProfileAction action);
    // The profile chosen in the combo box becomes current and is applied.
    void ApplyChosen(CNimbrelUSBDevice* device);
    // The panel's current profile is applied to the device; problems with its macros are told.
    void Apply(CNimbrelUSBDevice* device);

private:
    void Rename(CDeviceProfileUI& panel);
    void Import(CDeviceProfileUI& panel);
    void Export(CDeviceProfileUI& panel);
    void Reset(CNimbrelUSBDevice* device, CDeviceProfileUI& panel);

    dui::HWND owner_;
    ShowMessage showMessage_;
};
