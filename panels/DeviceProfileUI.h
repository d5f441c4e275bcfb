#pragma once
// CDeviceProfileUI: the profile panel of a device page ("DeviceProfileItem"; its children come from
// "XML\CustomControlXML\DeviceProfile.xml"). It shows the device's profiles in "device_profile_combo",
// carries out the profile operations on the device's profile list (CProfileList: the list file is the
// truth, the combo box shows it), keeps the name edit "device_profile_name_edit" and the fold-out
// "profile_menu_layout", and hides the function tabs the device kind lacks. It never talks to the
// device: the main window applies the chosen profile.
//
// UI thread only. A missing combo box makes every operation do nothing.

#include "devices/DevicePageViews.h"
#include "dui/HorizontalLayout.h"
#include "profiles/ProfileList.h"

#include <string>
#include <string_view>

namespace dui {
class CComboUI;
}

class CDeviceProfileUI : public dui::CHorizontalLayoutUI, public IProfilePanelView
{
public:
    static constexpr std::string_view kClassName = "DeviceProfile";
    // The name the device page knows the panel by.
    static constexpr std::string_view kItemName = "DeviceProfileItem";
    static constexpr std::string_view kComboName = "device_profile_combo";
    static constexpr std::string_view kNameEditName = "device_profile_name_edit";
    static constexpr std::string_view kMenuName = "profile_menu_layout";
    static constexpr int kItemHeight = 30;
    // Function tabs 1-8.
    static constexpr std::string_view kTabNames[] = {"deng_Op_tab",   "key_Op_tab",       "macro_Op_tab",
                                                     "system_Op_tab", "cursor_Op_tab",    "6533_voice_Op_tab",
                                                     "magic_Op_tab",  "Virtual7.1_Op_tab"};

    CDeviceProfileUI();

    std::string GetClass() const override;
    void* GetInterface(std::string_view name) override;

    // IProfilePanelView: SetDeviceKind, SetFolders, LoadList and function tab 1, in this order;
    // answers the current profile's identifier.
    std::string SetUpProfiles(int kind, const std::string& deviceFolder,
                              const std::string& defaultProfile) override;

    // Set-up steps.
    void SetDeviceKind(int kind);
    void SetFolders(const std::string& deviceFolder, const std::string& defaultProfile);
    // Reads the list (a fresh "profile1" on first start), fills the combo box, selects the stored
    // profile quietly and hides the tabs the kind lacks.
    void LoadList();

    // Selection: the combo item and the name edit, "profileselect" and the current identifier.
    void SelectProfile(int position, bool notify);
    int GetSelectedIndex() const;
    std::string GetCurrentProfileId() const { return list_.CurrentId(); }
    std::string GetEditedName() const;
    void SetEditedName(std::string_view name);
    void ShowMenu(bool show);
    bool IsMenuShown() const;
    // The list as stored now, and a profile's file.
    int GetProfileCount();
    std::string GetProfileFilePath(int position) const;

    // The operations on the selected profile (Add and Import append one). Each keeps the combo box in
    // step with the list file.
    void AddProfile();
    void DeleteProfile();
    void CopyProfile();
    CProfileList::RenameResult RenameProfile(std::string_view name);
    CProfileList::ImportResult ImportProfile(const std::string& file);
    bool ExportProfile(const std::string& file);
    bool ResetProfile();
    void SelectFunctionTab(int tab) override;

    const CProfileList& List() const { return list_; }

private:
    dui::CComboUI* Combo() const;
    dui::CControlUI* Find(std::string_view name) const;
    // Function tab 1-8, looked up in the device page around the panel.
    dui::CControlUI* FindTab(int tab) const;
    // Makes the combo box show the list's entries, keeping the given selection.
    void FillCombo(int selection);
    void AppendItem(const std::string& name);

    int kind_ = 0;
    CProfileList list_;
};
