#include "panels/DeviceProfileUI.h"

#include "devices/DeviceKinds.h"
#include "devices/NimbrelUSBDevice.h"
#include "dui/Combo.h"
#include "dui/ListElement.h"
#include "dui/Option.h"

#include <array>

namespace {

// The tabs each device kind lacks; the headset shows its three audio tabs.
struct KindTabs
{
    int kind;
    std::array<int, 4> hidden; // tab numbers, 0 ends the list
    bool audioTabs;
};
constexpr KindTabs kKindTabs[] = {
    {kKindKeyboard, {5, 0, 0, 0}, false},
    {kKindMouse, {0, 0, 0, 0}, false},
    {kKindMousePad, {5, 3, 4, 2}, false},
    {kKindHeadset, {5, 3, 4, 2}, true},
};
constexpr int kAudioTabs[] = {6, 7, 8};

} // namespace

CDeviceProfileUI::CDeviceProfileUI()
{
    SetName(kItemName);
}

std::string CDeviceProfileUI::GetClass() const
{
    return std::string(kClassName);
}

void* CDeviceProfileUI::GetInterface(std::string_view name)
{
    if (name == kClassName)
        return this;
    if (name == IProfilePanelView::kInterfaceName)
        return static_cast<IProfilePanelView*>(this);
    return CHorizontalLayoutUI::GetInterface(name);
}

dui::CControlUI* CDeviceProfileUI::Find(std::string_view name) const
{
    return const_cast<CDeviceProfileUI*>(this)->FindSubControl(name);
}

dui::CControlUI* CDeviceProfileUI::FindTab(int tab) const
{
    if (tab < 1 || tab > static_cast<int>(std::size(kTabNames)))
        return nullptr;
    // The tabs belong to the device page around the panel (or to the panel itself).
    dui::CControlUI* scope = const_cast<CDeviceProfileUI*>(this);
    for (dui::CControlUI* up = GetParent(); up; up = up->GetParent()) {
        if (up->GetInterface(CNimbrelUSBDevice::kClassName)) {
            scope = up;
            break;
        }
    }
    return scope->FindSubControl(kTabNames[tab - 1]);
}

dui::CComboUI* CDeviceProfileUI::Combo() const
{
    dui::CControlUI* c = Find(kComboName);
    return c ? static_cast<dui::CComboUI*>(c->GetInterface("Combo")) : nullptr;
}

// Set-up -----------------------------------------------------------------------------------------------

std::string CDeviceProfileUI::SetUpProfiles(int kind, const std::string& deviceFolder,
                                            const std::string& defaultProfile)
{
    SetDeviceKind(kind);
    SetFolders(deviceFolder, defaultProfile);
    LoadList();
    SelectFunctionTab(1);
    return GetCurrentProfileId();
}

void CDeviceProfileUI::SetDeviceKind(int kind)
{
    kind_ = kind;
    list_.SetDeviceKind(kind);
}

void CDeviceProfileUI::SetFolders(const std::string& deviceFolder, const std::string& defaultProfile)
{
    list_.SetFolders(deviceFolder, defaultProfile);
}

void CDeviceProfileUI::LoadList()
{
    if (!Combo())
        return;
    list_.Load();
    FillCombo(-1);
    SelectProfile(list_.StoredSelection(), false);
    for (const KindTabs& row : kKindTabs) {
        if (row.kind != kind_)
            continue;
        for (const int tab : row.hidden) {
            if (tab == 0)
                break;
            if (dui::CControlUI* c = FindTab(tab))
                c->SetVisible(false);
        }
        for (const int tab : kAudioTabs) {
            if (dui::CControlUI* c = row.audioTabs ? FindTab(tab) : nullptr)
                c->SetVisible(true);
        }
    }
}

void CDeviceProfileUI::AppendItem(const std::string& name)
{
    auto* item = new dui::CListLabelElementUI;
    item->SetText(name);
    item->SetToolTip(name);
    item->SetFixedHeight(kItemHeight);
    Combo()->Add(item);
}

void CDeviceProfileUI::FillCombo(int selection)
{
    dui::CComboUI* combo = Combo();
    combo->RemoveAll();
    for (const CProfileList::Entry& e : list_.Entries())
        AppendItem(e.name);
    if (selection >= 0 && selection < combo->GetCount())
        combo->SelectItem(selection, false, false);
}

// Selection --------------------------------------------------------------------------------------------

void CDeviceProfileUI::SelectProfile(int position, bool notify)
{
    dui::CComboUI* combo = Combo();
    if (!combo || !list_.Select(position))
        return;
    combo->SelectItem(position, false, notify);
    SetEditedName(list_.Entries()[static_cast<size_t>(position)].name);
}

int CDeviceProfileUI::GetSelectedIndex() const
{
    const dui::CComboUI* combo = Combo();
    return combo ? combo->GetCurSel() : -1;
}

std::string CDeviceProfileUI::GetEditedName() const
{
    const dui::CControlUI* edit = Find(kNameEditName);
    return edit ? edit->GetText() : std::string();
}

void CDeviceProfileUI::SetEditedName(std::string_view name)
{
    if (dui::CControlUI* edit = Find(kNameEditName))
        edit->SetText(name);
}

void CDeviceProfileUI::ShowMenu(bool show)
{
    if (dui::CControlUI* menu = Find(kMenuName))
        menu->SetVisible(show);
}

bool CDeviceProfileUI::IsMenuShown() const
{
    const dui::CControlUI* menu = Find(kMenuName);
    return menu && menu->IsVisible();
}

int CDeviceProfileUI::GetProfileCount()
{
    list_.Load();
    return list_.Count();
}

std::string CDeviceProfileUI::GetProfileFilePath(int position) const
{
    return list_.ProfileFile(position);
}

// Operations -------------------------------------------------------------------------------------------

void CDeviceProfileUI::AddProfile()
{
    if (!Combo())
        return;
    // The selection stays where it is until the user chooses (the list file names the new profile).
    if (list_.Add() >= 0)
        FillCombo(GetSelectedIndex());
}

void CDeviceProfileUI::DeleteProfile()
{
    const int selected = GetSelectedIndex();
    if (!Combo() || selected < 0 || !list_.Delete(selected))
        return;
    FillCombo(-1);
    // The previous profile (the one the list file names now) takes the deleted one's place.
    SelectProfile(list_.StoredSelection(), true);
}

void CDeviceProfileUI::CopyProfile()
{
    const int selected = GetSelectedIndex();
    if (!Combo() || selected < 0)
        return;
    if (list_.Copy(selected) >= 0)
        FillCombo(selected);
}

CProfileList::RenameResult CDeviceProfileUI::RenameProfile(std::string_view name)
{
    const int selected = GetSelectedIndex();
    if (!Combo() || selected < 0)
        return CProfileList::RenameResult::Duplicate;
    const CProfileList::RenameResult result = list_.Rename(selected, name);
    if (result == CProfileList::RenameResult::Renamed) {
        FillCombo(selected);
        SetEditedName(name);
    }
    return result;
}

CProfileList::ImportResult CDeviceProfileUI::ImportProfile(const std::string& file)
{
    if (!Combo())
        return CProfileList::ImportResult::Failed;
    const int selected = GetSelectedIndex();
    const CProfileList::ImportResult result = list_.Import(file);
    if (result == CProfileList::ImportResult::Imported)
        FillCombo(selected);
    return result;
}

bool CDeviceProfileUI::ExportProfile(const std::string& file)
{
    const int selected = GetSelectedIndex();
    return Combo() && selected >= 0 && list_.Export(selected, file);
}

bool CDeviceProfileUI::ResetProfile()
{
    const int selected = GetSelectedIndex();
    return Combo() && selected >= 0 && list_.Reset(selected);
}

void CDeviceProfileUI::SelectFunctionTab(int tab)
{
    for (int n = 1; n <= static_cast<int>(std::size(kTabNames)); ++n) {
        dui::CControlUI* c = FindTab(n);
        auto* option = c ? static_cast<dui::COptionUI*>(c->GetInterface("Option")) : nullptr;
        if (option)
            option->Selected(n == tab, false);
    }
}
