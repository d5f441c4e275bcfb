#include "app/DevicePages.h"

#include "app/WindowMessages.h"
#include "devices/DeviceOptionUI.h"
#include "devices/DevicePageViews.h"
#include "devices/NimbrelUSBDevice.h"
#include "devices/PartnerLinkDecision.h"
#include "devices/SupportedDevices.h"
#include "dui/Container.h"
#include "dui/TabLayout.h"
#include "dui/WindowMessages.h"
#include "platform/DebugOutput.h"
#include "platform/Event.h"

#include <algorithm>
#include <mutex>

static_assert(CDeviceOptionUI::kWirelessLinkMessage == UM_WIRELESS_LINK);
static_assert(CNimbrelUSBDevice::kWorkDoneMessage == UM_DEVICE_WORK_DONE);

namespace {

constexpr const char* kOnlineQueryFailedLine = "获取2.4G模式失败";
constexpr const char* kOnlineQueryDoneLine = "获取2";
constexpr const char* kWirelessLostLine = "2.4gcesvdfherhue 1";

bool HasReceiver(int kind)
{
    const DeviceFamilyEntry* family = FindFamily(kind);
    return family && family->receiverKind != kKindNone;
}

// Opens one side of a command link for transactions: read, write, overlapped, shared.
bool OpenSide(CHidDevice& side, const std::string& path)
{
    side.Close();
    return side.Open(path.c_str(), true, true, true, false);
}

} // namespace

CDevicePages::CDevicePages(dui::CPaintManagerUI& paintManager, dui::IDialogBuilderCallback* factory,
                           dui::HWND owner, Hooks hooks)
    : paintManager_(paintManager), factory_(factory), owner_(owner), hooks_(std::move(hooks))
{
}

// The pages, tiles and battery displays belong to the window's control tree.
CDevicePages::~CDevicePages() = default;

// Start-up and arrival -------------------------------------------------------------------------------

void CDevicePages::CreateBuiltInPages()
{
    // The first two device types: the mouse, then the keyboard.
    const auto& types = DeviceTypeTable();
    for (size_t i = 0; i < 2 && i < types.size(); ++i) {
        const DeviceTypeEntry& type = types[i];
        const int row = CDeviceSlotList::FindRow(type.vendorId, type.productId, type.kind, type.role);
        if (row >= 0)
            CreateDevicePage(row, type.role);
    }
}

void CDevicePages::OnDeviceArrived(int slot)
{
    if (!CDeviceSlotList::IsValidIndex(slot))
        return;
    const SupportedDeviceEntry s = slots_.Slot(slot);
    const DeviceFamilyEntry* family = FindFamily(s.kind);
    if (!family)
        return;
    const int row = CDeviceSlotList::FindRow(s.vendorId, s.productId, s.kind, kRoleCommand);
    const int keySlot = TileKeySlot(slots_, slot);
    if (keySlot < 0 || FindTile(slots_.Slot(keySlot)) < 0)
        CreateDevicePage(row, kRoleCommand);
    if (s.role == kRoleEvent)
        AttachEventInterface(slot, s.kind);
    else
        AttachCommandInterface(slot);
    platform::DebugOutput(family->addedLine);
    UpdateNoDeviceLink();
    RefreshWindowState();
}

void CDevicePages::OnDeviceRemoved(int slot)
{
    if (!CDeviceSlotList::IsValidIndex(slot))
        return;
    const SupportedDeviceEntry s = slots_.Slot(slot);
    const DeviceFamilyEntry* family = FindFamily(s.kind);
    if (!family)
        return;
    if (s.role == kRoleEvent)
        DetachEventInterface(slot, s.kind);
    else
        DetachCommandInterface(slot);
    platform::DebugOutput(family->removedLine);
    UpdateNoDeviceLink();
    RefreshWindowState();
}

CNimbrelUSBDevice* CDevicePages::CreateDevicePage(int row, int role)
{
    if (!CDeviceSlotList::IsValidIndex(row))
        return nullptr;
    const SupportedDeviceEntry record = slots_.Slot(row);
    std::vector<CNimbrelUSBDevice*>* list = FamilyList(record.kind);
    const int typeIndex =
        CDeviceSlotList::FindDeviceType(record.vendorId, record.productId, record.kind, role);
    if (typeIndex < 0 || !list)
        return nullptr;
    const DeviceTypeEntry& type = DeviceTypeTable()[static_cast<size_t>(typeIndex)];
    const DeviceXmlEntry& pageEntry = DeviceXmlTable()[static_cast<size_t>(typeIndex)];

    dui::CContainerUI* tileRow = FindContainer(kTileRowName);
    dui::CTabLayoutUI* pageSwitch = FindTab(kPageSwitchName);
    dui::CContainerUI* powerSwitch = FindContainer(type.powerSwitch.c_str());
    if (!tileRow || !pageSwitch || !powerSwitch)
        return nullptr;

    // Battery display, page and tile, in this order; nothing stays when one does not build.
    dui::CDialogBuilder batteryBuilder;
    dui::CControlUI* battery = batteryBuilder.Create(kBatteryDisplayLayout, {}, factory_, &paintManager_);
    dui::CDialogBuilder pageBuilder;
    dui::CControlUI* pageRoot =
        battery ? pageBuilder.Create(pageEntry.pageLayout, {}, factory_, &paintManager_) : nullptr;
    auto* page = pageRoot
                     ? static_cast<CNimbrelUSBDevice*>(pageRoot->GetInterface(CNimbrelUSBDevice::kClassName))
                     : nullptr;
    CDeviceOptionUI* tile =
        page ? CDeviceOptionUI::Create(type.optionLayout, &paintManager_, factory_) : nullptr;
    if (!tile) {
        delete pageRoot;
        delete battery;
        return nullptr;
    }

    powerSwitch->Add(battery);
    if (auto* view =
            static_cast<IBatteryDisplayView*>(battery->GetInterface(IBatteryDisplayView::kInterfaceName)))
        view->SetDeviceKind(type.kind, type.role);
    batteryDisplays_.push_back(battery);

    paintManager_.InitControls(page);
    page->SetPageLayoutPath(pageEntry.pageLayout);
    page->SetOwnerWindow(owner_);
    page->SetKeyCount(pageEntry.keyCount);
    page->SetLedCount(pageEntry.ledCount);
    if (record.kind != kKindHeadset)
        page->SetTypeIndex(typeIndex);
    page->SetBatteryPowered(pageEntry.batteryPowered != 0);
    page->SetProfileId(initialProfileId_);
    page->SetTypeName(type.typeName);
    page->SetBatteryDisplay(battery);
    page->SetDeviceRecord(record);
    page->SetTypeOrder(type.order);
    page->SetLightingListName(pageEntry.lightingListName);
    page->InitPage();

    pageSwitch->Add(page);
    list->push_back(page);
    platform::DebugPrintf("device page created: %s\n", type.typeName.c_str());

    tileRow->Add(tile);
    tile->SetSynchronised(false);
    tile->SetGroup(type.tabGroup);
    tile->BindPage(kPageSwitchName, pageSwitch->GetItemIndex(page));
    tile->SetPowerPage(type.powerSwitch, powerSwitch->GetItemIndex(battery));
    tile->SetKindRole(type.kind, type.role);
    tile->SetShown(false);
    tile->SetNameText(type.typeName);
    tile->SetDevice(page);
    return page;
}

// Command interface ----------------------------------------------------------------------------------

bool CDevicePages::Proceed(CommandLinkAction action, CommandLinkAction proceed, int slot)
{
    if (action == CommandLinkAction::SwitchPartnerLink)
        SwitchPartnerLink(slot);
    return action == proceed;
}

void CDevicePages::AttachCommandInterface(int slot)
{
    if (!CDeviceSlotList::IsValidIndex(slot))
        return;
    if (!Proceed(DecideCommandArrival(slots_, slot), CommandLinkAction::Attach, slot))
        return;
    const SupportedDeviceEntry s = slots_.Slot(slot);
    const SupportedDeviceEntry key = slots_.Slot(DeviceKeySlot(slots_, slot));
    CNimbrelUSBDevice* device = FindDevice(s.kind, key);
    if (!device || device->CommandLink().IsOpen())
        return;
    CDeviceLink& link = device->CommandLink();
    const bool receiver = IsReceiverKind(s.kind);
    {
        std::lock_guard lock(link.TransactionLock());
        if (!OpenSide(receiver ? link.LinkB() : link.LinkA(), s.path))
            return; // stays detached, its tile hidden
        link.SetOpen(true);
        if (HasReceiver(s.kind))
            link.SetLinkMode(receiver ? kLinkModeWireless : kLinkModeWired);
        device->SetDeviceRecord(key);
    }
    TraceLink(*device);
    auto* tile = static_cast<CDeviceOptionUI*>(device->GetTile());
    const int index = TileIndexOf(tile);
    if (index < 0)
        return;
    // A receiver's tile appears once the device answers there (the attach timer reports it).
    if (!receiver)
        ShowTile(index, true, FirstShownTile(-1, false) < 0);
    tile->StartAttachTimer();
}

void CDevicePages::DetachCommandInterface(int slot)
{
    if (!CDeviceSlotList::IsValidIndex(slot))
        return;
    const SupportedDeviceEntry s = slots_.Slot(slot);
    const DeviceFamilyEntry* family = FindFamily(s.kind);
    if (family && family->lostLine)
        platform::DebugOutput(family->lostLine);
    if (!Proceed(DecideCommandRemoval(slots_, slot), CommandLinkAction::Detach, slot))
        return;
    const std::vector<CNimbrelUSBDevice*>* list = FamilyList(s.kind);
    if (!list || list->empty())
        return;
    CNimbrelUSBDevice* device = FindDevice(s.kind, slots_.Slot(DeviceKeySlot(slots_, slot)));
    if (!device)
        return;
    // Closing cuts short a command the device worker has in flight, so nothing here waits on it.
    CDeviceLink& link = device->CommandLink();
    link.SetOpen(false);
    link.LinkA().Close();
    link.LinkB().Close();
    const int index = TileIndexOf(static_cast<CDeviceOptionUI*>(device->GetTile()));
    if (index >= 0)
        HideTileAndReselect(index);
}

void CDevicePages::SwitchPartnerLink(int slot)
{
    if (!CDeviceSlotList::IsValidIndex(slot))
        return;
    const SupportedDeviceEntry s = slots_.Slot(slot);
    if (s.hasPartner == 0)
        return;
    int index = FindTile(s);
    if (index < 0)
        index = FindTile(slots_.Slot(s.partnerRow));
    if (index < 0)
        return;
    CDeviceOptionUI* tile = Tiles()[static_cast<size_t>(index)];
    CNimbrelUSBDevice* device = tile->GetDevice();
    CDeviceLink& link = device->CommandLink();
    const bool wasWireless = device->IsWireless();
    const std::string path = PartnerSwitchPath(slots_, slot, wasWireless);
    {
        // The side left behind is closed first: its interface is gone or no longer used, and closing
        // cuts short a command in flight there, so the lock is not held for a reply that never comes.
        CHidDevice& to = wasWireless ? link.LinkA() : link.LinkB();
        CHidDevice& from = wasWireless ? link.LinkB() : link.LinkA();
        link.SetOpen(false);
        from.Close();
        std::lock_guard lock(link.TransactionLock());
        if (!OpenSide(to, path))
            return;
        link.SetOpen(true);
        link.SetLinkMode(wasWireless ? kLinkModeWired : kLinkModeWireless);
    }
    TraceLink(*device);
    if (wasWireless) {
        tile->StartAttachTimer();
        dui::SendMessage(owner_, UM_WIRELESS_LINK, static_cast<dui::WPARAM>(device->GetDeviceIndex()), 1);
        if (device->IsBatteryPowered())
            device->PostDeviceWork("battery", [device](platform::Event&) { device->RefreshBattery(); });
        return;
    }
    // Now on the receiver: the device may take a moment to answer there. The questions run on the
    // device's worker; the presence timer starts once they are done.
    const bool ask = device->IsBatteryPowered();
    device->AskDevice(
        "switch-online",
        [device, ask](platform::Event& stop) {
            if (ask)
                AwaitWirelessOnline(*device, stop);
            return true;
        },
        [device](bool) {
            if (CDeviceOptionUI* t = CDeviceOptionUI::Of(device))
                t->StartPresenceTimer(CDeviceOptionUI::kFirstPresenceMs);
        });
}

void CDevicePages::AwaitWirelessOnline(CNimbrelUSBDevice& device, platform::Event& stop)
{
    CDeviceLink& link = device.CommandLink();
    for (int attempt = 1; attempt <= kOnlineQueryTries && !link.QueryWirelessOnline(); ++attempt) {
        if (!link.IsOpen())
            break; // the receiver went meanwhile: nobody to ask
        if (attempt < kOnlineQueryTries) {
            platform::DebugOutput(kOnlineQueryFailedLine);
            if (platform::WaitOne(stop, kOnlineQueryPauseMs))
                return;
        }
    }
    platform::DebugOutput(kOnlineQueryDoneLine);
    device.RefreshBattery();
}

void CDevicePages::RunDeviceCompletions()
{
    for (CNimbrelUSBDevice* device : AllDevices())
        device->RunUiCompletions();
}

bool CDevicePages::IsDeviceWorkIdle() const
{
    const std::vector<CNimbrelUSBDevice*> devices = AllDevices();
    return std::all_of(devices.begin(), devices.end(),
                       [](const CNimbrelUSBDevice* d) { return d->IsDeviceWorkIdle(); });
}

// Event interface ------------------------------------------------------------------------------------

void CDevicePages::AttachEventInterface(int slot, int kind)
{
    const std::vector<CNimbrelUSBDevice*>* list = FamilyList(kind);
    if (!list || !CDeviceSlotList::IsValidIndex(slot))
        return;
    const std::string path = slots_.Slot(slot).path;
    const bool onlyClosed = !HasReceiver(kind);
    for (CNimbrelUSBDevice* device : *list) {
        if (onlyClosed && device->IsEventSideOpen(kind))
            continue;
        if (EventSlotMatchesDevice(slots_, slot, device->GetDeviceRecord()))
            device->OpenEventLink(path, kind);
    }
}

void CDevicePages::DetachEventInterface(int slot, int kind)
{
    const std::vector<CNimbrelUSBDevice*>* list = FamilyList(kind);
    if (!list || !CDeviceSlotList::IsValidIndex(slot))
        return;
    for (CNimbrelUSBDevice* device : *list) {
        if (EventSlotMatchesDevice(slots_, slot, device->GetDeviceRecord()))
            device->CloseEventLink(kind);
    }
}

// Tiles ----------------------------------------------------------------------------------------------

void CDevicePages::ShowTile(int index, bool visible, bool select)
{
    const std::vector<CDeviceOptionUI*> tiles = Tiles();
    if (index < 0 || index >= static_cast<int>(tiles.size()))
        return;
    CDeviceOptionUI* tile = tiles[static_cast<size_t>(index)];
    tile->SetShown(visible);
    if (select) {
        ShowPagesOf(*tile);
        tile->Select();
    }

    int shown = 0;
    int synchronised = 0;
    for (const CDeviceOptionUI* t : tiles) {
        if (t->IsShown()) {
            ++shown;
            synchronised += t->IsSynchronised() ? 1 : 0;
        }
    }
    if (dui::CControlUI* noDevice = Find(kNoDeviceName))
        noDevice->SetVisible(shown == 0);
    platform::DebugPrintf("device tiles shown %d, No_device_Link %s\n", shown,
                          shown == 0 ? "shown" : "hidden");
    if (shown == 0) {
        SelectPage(kPowerSwitchName, 0);
        SelectPage(kPageSwitchName, 0);
    }
    // Synchronised lighting needs two shown devices.
    if (shown < 2) {
        for (CNimbrelUSBDevice* device : AllDevices())
            device->SetSynchronised(false);
    }
    if (synchronised < 2) {
        for (CDeviceOptionUI* t : tiles)
            t->SetSynchronised(false);
    }
}

void CDevicePages::HideTileAndReselect(int index)
{
    const std::vector<CDeviceOptionUI*> tiles = Tiles();
    if (index < 0 || index >= static_cast<int>(tiles.size()))
        return;
    CDeviceOptionUI* tile = tiles[static_cast<size_t>(index)];
    const bool hadSelection = tile->IsShown() && tile->IsSelected();
    if (hadSelection) {
        if (hooks_.closeChildWindows)
            hooks_.closeChildWindows();
        if (hooks_.stopKeyCapture)
            hooks_.stopKeyCapture();
    }
    // The selection stays where it is unless it leaves with this tile.
    int other = hadSelection ? -1 : FirstShownTile(index, true);
    if (other < 0)
        other = FirstShownTile(index, false);
    ShowTile(index, false, false);
    tile->Unselect();
    if (other >= 0)
        ShowTile(other, true, true);
}

void CDevicePages::OnWirelessLink(int tileIndex, bool present)
{
    // The index is the one the device sends: its device index, which its tile carries.
    int index = -1;
    const std::vector<CDeviceOptionUI*> tiles = Tiles();
    for (size_t i = 0; i < tiles.size(); ++i) {
        if (tiles[i]->GetDevice() && tiles[i]->GetDevice()->GetDeviceIndex() == tileIndex) {
            index = static_cast<int>(i);
            break;
        }
    }
    if (index < 0)
        return;
    if (!present) {
        HideTileAndReselect(index);
        platform::DebugOutput(kWirelessLostLine);
        return;
    }
    if (!tiles[static_cast<size_t>(index)]->IsShown())
        ShowTile(index, true, FirstShownTile(index, false) < 0);
}

void CDevicePages::OnSelectionChanged()
{
    const std::vector<CDeviceOptionUI*> tiles = Tiles();
    for (size_t i = 0; i < tiles.size(); ++i) {
        if (tiles[i]->IsSelected()) {
            currentTile_ = static_cast<int>(i);
            ShowPagesOf(*tiles[i]);
            return;
        }
    }
}

void CDevicePages::SelectNeighbour(int direction)
{
    const std::vector<CDeviceOptionUI*> tiles = Tiles();
    std::vector<int> shown;
    int at = -1;
    for (size_t i = 0; i < tiles.size(); ++i) {
        if (!tiles[i]->IsShown())
            continue;
        if (at < 0 && tiles[i]->IsSelected())
            at = static_cast<int>(shown.size());
        shown.push_back(static_cast<int>(i));
    }
    if (shown.empty())
        return;
    const int step = direction < 0 ? -1 : 1;
    const int target = at < 0 ? 0 : at + step;
    if (target < 0 || target >= static_cast<int>(shown.size()))
        return;
    ShowTile(shown[static_cast<size_t>(target)], true, true);
    OnSelectionChanged();
}

void CDevicePages::TraceLink(CNimbrelUSBDevice& device)
{
    CDeviceLink& link = device.CommandLink();
    platform::DebugPrintf("%s link: %s, %u-byte chunks\n", device.GetTypeName().c_str(),
                          link.IsWireless() ? "wireless" : "wired",
                          static_cast<unsigned>(link.GetChunkSize()));
}

void CDevicePages::UpdateNoDeviceLink()
{
    if (dui::CControlUI* noDevice = Find(kNoDeviceName))
        noDevice->SetVisible(FirstShownTile(-1, false) < 0);
}

CNimbrelUSBDevice* CDevicePages::CurrentDevice() const
{
    const std::vector<CDeviceOptionUI*> tiles = Tiles();
    const int index = FirstShownTile(-1, true);
    return index < 0 ? nullptr : tiles[static_cast<size_t>(index)]->GetDevice();
}

std::vector<CDeviceOptionUI*> CDevicePages::Tiles() const
{
    std::vector<CDeviceOptionUI*> tiles;
    dui::CContainerUI* container = FindContainer(kTileRowName);
    if (!container)
        return tiles;
    for (int i = 0; i < container->GetCount(); ++i) {
        dui::CControlUI* child = container->GetItemAt(i);
        if (child && child->GetClass() == CDeviceOptionUI::kClassName)
            tiles.push_back(static_cast<CDeviceOptionUI*>(child->GetInterface(CDeviceOptionUI::kClassName)));
    }
    return tiles;
}

// Helpers --------------------------------------------------------------------------------------------

std::vector<CNimbrelUSBDevice*>* CDevicePages::FamilyList(int kind)
{
    const DeviceFamilyEntry* family = FindFamily(kind);
    switch (family ? family->family : DeviceFamily::None) {
    case DeviceFamily::Keyboard:
        return &keyboards_;
    case DeviceFamily::Mouse:
        return &mice_;
    case DeviceFamily::MousePad:
        return &mousePads_;
    case DeviceFamily::Headset:
        return &headsets_;
    case DeviceFamily::None:
        break;
    }
    return nullptr;
}

std::vector<CNimbrelUSBDevice*> CDevicePages::AllDevices() const
{
    std::vector<CNimbrelUSBDevice*> all;
    for (const auto* list : {&mousePads_, &mice_, &keyboards_, &headsets_})
        all.insert(all.end(), list->begin(), list->end());
    return all;
}

CNimbrelUSBDevice* CDevicePages::FindDevice(int kind, const SupportedDeviceEntry& key)
{
    if (const std::vector<CNimbrelUSBDevice*>* list = FamilyList(kind)) {
        for (CNimbrelUSBDevice* device : *list) {
            if (CDeviceSlotList::RecordsMatch(device->GetDeviceRecord(), key))
                return device;
        }
    }
    return nullptr;
}

int CDevicePages::FindTile(const SupportedDeviceEntry& key) const
{
    const std::vector<CDeviceOptionUI*> tiles = Tiles();
    for (size_t i = 0; i < tiles.size(); ++i) {
        const CNimbrelUSBDevice* device = tiles[i]->GetDevice();
        if (device && CDeviceSlotList::RecordsMatch(device->GetDeviceRecord(), key))
            return static_cast<int>(i);
    }
    return -1;
}

int CDevicePages::TileIndexOf(const CDeviceOptionUI* tile) const
{
    const std::vector<CDeviceOptionUI*> tiles = Tiles();
    for (size_t i = 0; i < tiles.size(); ++i) {
        if (tiles[i] == tile)
            return static_cast<int>(i);
    }
    return -1;
}

int CDevicePages::FirstShownTile(int except, bool selectedOnly) const
{
    const std::vector<CDeviceOptionUI*> tiles = Tiles();
    for (size_t i = 0; i < tiles.size(); ++i) {
        if (static_cast<int>(i) != except && tiles[i]->IsShown() && (!selectedOnly || tiles[i]->IsSelected()))
            return static_cast<int>(i);
    }
    return -1;
}

void CDevicePages::ShowPagesOf(const CDeviceOptionUI& tile)
{
    if (dui::CControlUI* pages = Find(tile.GetTabLayoutName().c_str())) {
        pages->SetVisible(tile.GetPageIndex() >= 0);
        if (tile.GetPageIndex() >= 0)
            SelectPage(tile.GetTabLayoutName().c_str(), tile.GetPageIndex());
    }
    if (dui::CControlUI* power = Find(tile.GetPowerLayoutName().c_str())) {
        power->SetVisible(tile.GetPowerPage() >= 0);
        if (tile.GetPowerPage() >= 0)
            SelectPage(tile.GetPowerLayoutName().c_str(), tile.GetPowerPage());
    }
}

dui::CControlUI* CDevicePages::Find(const char* name) const
{
    return name && *name ? paintManager_.FindControl(name) : nullptr;
}

dui::CContainerUI* CDevicePages::FindContainer(const char* name) const
{
    dui::CControlUI* control = Find(name);
    return control ? static_cast<dui::CContainerUI*>(control->GetInterface("Container")) : nullptr;
}

dui::CTabLayoutUI* CDevicePages::FindTab(const char* name) const
{
    dui::CControlUI* control = Find(name);
    return control ? static_cast<dui::CTabLayoutUI*>(control->GetInterface("TabLayout")) : nullptr;
}

void CDevicePages::SelectPage(const char* name, int page) const
{
    if (dui::CTabLayoutUI* tab = FindTab(name))
        tab->SelectItem(page);
}

void CDevicePages::RefreshWindowState() const
{
    if (hooks_.refreshWindowState)
        hooks_.refreshWindowState();
}
