#include "app/ProfileCommands.h"

#include "app/MsgWnd.h"
#include "devices/NimbrelUSBDevice.h"
#include "dui/FileDialog.h"
#include "panels/DeviceProfileUI.h"

namespace {

constexpr const char* kNameTaken = "message_text_5";
constexpr const char* kNameBlank = "message_text_25";
constexpr const char* kConfirmReset = "message_text_22";
constexpr const char* kMacrosFailed = "message_text_7";
constexpr const char* kMacrosTooLong = "message_text_16";
constexpr const char* kNotAProfile = "message_text_profile_import";
constexpr const char* kExportFailed = "message_text_profile_export";
constexpr int kOneButton = 0;
constexpr int kTwoButtons = 1;

} // namespace

CProfileCommands::CProfileCommands(dui::HWND owner, ShowMessage showMessage)
    : owner_(owner), showMessage_(std::move(showMessage))
{
}

CDeviceProfileUI* CProfileCommands::PanelOf(CNimbrelUSBDevice* device)
{
    dui::CControlUI* panel = device ? device->FindSubControl(CDeviceProfileUI::kItemName) : nullptr;
    return panel ? static_cast<CDeviceProfileUI*>(panel->GetInterface(CDeviceProfileUI::kClassName))
                 : nullptr;
}

void CProfileCommands::Run(CNimbrelUSBDevice* device, ProfileAction action)
{
    CDeviceProfileUI* panel = PanelOf(device);
    if (!panel)
        return;
    switch (action) {
    case ProfileAction::Add:
        panel->AddProfile();
        break;
    case ProfileAction::Delete:
        panel->DeleteProfile();
        break;
    case ProfileAction::Copy:
        panel->CopyProfile();
        break;
    case ProfileAction::Rename:
        Rename(*panel);
        break;
    case ProfileAction::Import:
        Import(*panel);
        break;
    case ProfileAction::Export:
        Export(*panel);
        break;
    case ProfileAction::Reset:
        Reset(device, *panel);
        break;
    case ProfileAction::ToggleMenu:
        panel->ShowMenu(!panel->IsMenuShown());
        break;
    }
}

void CProfileCommands::Rename(CDeviceProfileUI& panel)
{
    const std::string name = panel.GetEditedName();
    if (name.empty())
        return;
    switch (panel.RenameProfile(name)) {
    case CProfileList::RenameResult::Duplicate:
        showMessage_(kNameTaken, true, kOneButton);
        break;
    case CProfileList::RenameResult::Blank:
        showMessage_(kNameBlank, true, kOneButton);
        break;
    case CProfileList::RenameResult::Renamed:
        break;
    }
}

void CProfileCommands::Import(CDeviceProfileUI& panel)
{
    std::string path;
    if (panel.GetSelectedIndex() < 0 ||
        !dui::ShowOpenFileDialog(owner_, {{kFilterName, kFilterPattern}}, path))
        return;
    if (panel.ImportProfile(path) != CProfileList::ImportResult::Imported)
        showMessage_(kNotAProfile, true, kOneButton);
}

void CProfileCommands::Export(CDeviceProfileUI& panel)
{
    std::string path;
    if (panel.GetSelectedIndex() < 0 ||
        !dui::ShowSaveFileDialog(owner_, {{kFilterName, kFilterPattern}}, path, "json") || path.empty())
        return;
    if (!panel.ExportProfile(path))
        showMessage_(kExportFailed, true, kOneButton);
}

void CProfileCommands::Reset(CNimbrelUSBDevice* device, CDeviceProfileUI& panel)
{
    if (showMessage_(kConfirmReset, true, kTwoButtons) != 1 || !panel.ResetProfile())
        return;
    // The audio lighting styles are reset here too once the audio lighting exists.
    Apply(device);
}

void CProfileCommands::ApplyChosen(CNimbrelUSBDevice* device)
{
    CDeviceProfileUI* panel = PanelOf(device);
    if (!panel)
        return;
    panel->SelectProfile(panel->GetSelectedIndex(), false);
    Apply(device);
}

void CProfileCommands::Apply(CNimbrelUSBDevice* device)
{
    CDeviceProfileUI* panel = PanelOf(device);
    if (!panel)
        return;
    device->SetProfileId(panel->GetCurrentProfileId());
    device->ApplyCurrentProfile([show = showMessage_](int macroResult) {
        if (macroResult == -1) {
            show(kMacrosFailed, true, kOneButton);
        } else if (macroResult != 0) {
            // The text holds "%d" for the number; it goes out filled in.
            std::string text = CMsgWnd::ResolveText(kMacrosTooLong);
            const size_t at = text.find("%d");
            const std::string number = std::to_string(macroResult);
            text = at == std::string::npos ? text + " (" + number + ")" : text.replace(at, 2, number);
            show(text, false, kOneButton);
        }
    });
}
