#pragma once
// CDevicePages: the main window's device tiles and device pages. It keeps the device slots, one list of
// device objects per kind family, and carries a device from arrival to shown and talking and back:
// creating the page and tile of a device type, opening and closing the command and event links,
// switching a keyboard or mouse between its cable and its receiver, showing, hiding and selecting
// tiles, and keeping "No_device_Link" and the two tab layouts ("device_switch",
// "device_power_switch") in step with the shown tiles.
//
// Everything here runs on the UI thread, which never waits on a device: what asks the device (the
// online questions after a switch to the receiver, battery reads) runs on the device's worker and
// reports back through RunDeviceCompletions. The discovery thread writes the slots only while the UI
// thread is inside OnDeviceArrived / OnDeviceRemoved for that slot (it waits for the send). Command
// links are closed first (which cuts short a command in flight) and opened under their transaction
// lock (see CDeviceLink); nothing else is held.

#include "devices/DeviceSlotList.h"
#include "devices/PartnerLinkDecision.h"
#include "dui/DialogBuilder.h"
#include "dui/PaintManager.h"
#include "platform/Event.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class CNimbrelUSBDevice;
class CDeviceOptionUI;
namespace dui {
class CContainerUI;
class CTabLayoutUI;
} // namespace dui

class CDevicePages
{
public:
    // What the pages ask of the main window.
    struct Hooks
    {
        // Closes the open child windows (settings, about, colour picker, music).
        std::function<void()> closeChildWindows;
        // Stops key capture when it is running.
        std::function<void()> stopKeyCapture;
        // Refreshes the window state after a device change.
        std::function<void()> refreshWindowState;
    };

    // The paint manager holds the main layout (with "device_select_layout", "device_switch",
    // "device_power_switch" and "No_device_Link"); the factory builds the custom elements of the
    // device layouts; owner is the main window handle given to every page and used for sends.
    CDevicePages(dui::CPaintManagerUI& paintManager, dui::IDialogBuilderCallback* factory, dui::HWND owner,
                 Hooks hooks = {});
    ~CDevicePages();
    CDevicePages(const CDevicePages&) = delete;
    CDevicePages& operator=(const CDevicePages&) = delete;

    // The slots the discovery thread fills.
    CDeviceSlotList& Slots() { return slots_; }

    // Layout files the pages are built from (relative to the skin's resource path).
    static constexpr const char* kBatteryDisplayLayout = "XML\\CustomControlXML\\MpDevicePower.xml";
    // Names of the main layout's controls.
    static constexpr const char* kTileRowName = "device_select_layout";
    static constexpr const char* kPageSwitchName = "device_switch";
    static constexpr const char* kPowerSwitchName = "device_power_switch";
    static constexpr const char* kNoDeviceName = "No_device_Link";
    // A link switch to the receiver asks this often whether the device answers there.
    static constexpr int kOnlineQueryTries = 26;
    static constexpr uint32_t kOnlineQueryPauseMs = 50;

    // Start-up: the mouse and keyboard pages with hidden tiles, before any device arrives.
    void CreateBuiltInPages();
    // The profile identifier every new page starts with (its profile panel replaces it).
    void SetInitialProfileId(std::string id) { initialProfileId_ = std::move(id); }

    // UM_DEVICE_ARRIVED / UM_DEVICE_REMOVED for a slot (out-of-range slots are ignored).
    void OnDeviceArrived(int slot);
    void OnDeviceRemoved(int slot);
    // UM_WIRELESS_LINK: the device with this index (the index it sends, that of its tile in the
    // row) lost (present false) or regained its wireless link.
    void OnWirelessLink(int tileIndex, bool present);

    // "selectchanged" from "device_select" / "synchro_device_select" (or a click on a tile): records
    // the first selected tile as current and shows its device page and battery page.
    void OnSelectionChanged();
    // "device_select_prev" / "device_select_next": selects the previous / next shown tile.
    void SelectNeighbour(int direction);
    // Shows "No_device_Link" exactly when no tile stands for a connected device.
    void UpdateNoDeviceLink();
    // CNimbrelUSBDevice::kWorkDoneMessage: runs what the devices' workers handed to the UI thread.
    void RunDeviceCompletions();
    // True when no device has work waiting, running or handed back.
    bool IsDeviceWorkIdle() const;

    // The steps of the handlers above, by slot (out-of-range slots are ignored).
    // Builds the battery display, page and hidden tile of the device type of that supported-device
    // row; nothing when the row has no device type or a layout does not build. Answers the page.
    CNimbrelUSBDevice* CreateDevicePage(int row, int role);
    void AttachCommandInterface(int slot);
    void DetachCommandInterface(int slot);
    // Moves a keyboard or mouse between its cable and its receiver.
    void SwitchPartnerLink(int slot);
    void AttachEventInterface(int slot, int kind);
    void DetachEventInterface(int slot, int kind);
    // Shows or hides the tile at index (and selects it and its pages); keeps "No_device_Link", the
    // tab layouts and the synchronised options in step.
    void ShowTile(int index, bool visible, bool select);
    // Hides the tile at index; the selection moves to another shown tile when the hidden one had it.
    void HideTileAndReselect(int index);

    // The device of the first tile that is both shown (connected) and selected; null when none.
    CNimbrelUSBDevice* CurrentDevice() const;
    // The tile the last selection change recorded as current; -1 before any.
    int CurrentTileIndex() const { return currentTile_; }
    // The tiles, in "device_select_layout" order.
    std::vector<CDeviceOptionUI*> Tiles() const;
    // The device lists by family.
    const std::vector<CNimbrelUSBDevice*>& Keyboards() const { return keyboards_; }
    const std::vector<CNimbrelUSBDevice*>& Mice() const { return mice_; }
    const std::vector<CNimbrelUSBDevice*>& MousePads() const { return mousePads_; }
    const std::vector<CNimbrelUSBDevice*>& Headsets() const { return headsets_; }
    const std::vector<dui::CControlUI*>& BatteryDisplays() const { return batteryDisplays_; }

private:
    // Debug trace of a device's command link after it opened or moved: side and chunk size.
    static void TraceLink(CNimbrelUSBDevice& device);
    // On the device worker after a switch to the receiver: asks a battery device until it answers
    // there (kOnlineQueryTries at most, or until stop), then reads its battery.
    static void AwaitWirelessOnline(CNimbrelUSBDevice& device, platform::Event& stop);
    // Runs a partner switch when that is the action; true when the action is the one to go on with.
    bool Proceed(CommandLinkAction action, CommandLinkAction proceed, int slot);
    std::vector<CNimbrelUSBDevice*>* FamilyList(int kind);
    // Every device, of every family.
    std::vector<CNimbrelUSBDevice*> AllDevices() const;
    // The device of a family whose record describes the key slot's interface, or null.
    CNimbrelUSBDevice* FindDevice(int kind, const SupportedDeviceEntry& key);
    // The index of the tile whose device's record describes one of these entries; -1 when none.
    int FindTile(const SupportedDeviceEntry& key) const;
    int TileIndexOf(const CDeviceOptionUI* tile) const;
    int FirstShownTile(int except, bool selectedOnly) const;
    // Shows the device page and battery page a tile names.
    void ShowPagesOf(const CDeviceOptionUI& tile);
    dui::CControlUI* Find(const char* name) const;
    dui::CContainerUI* FindContainer(const char* name) const;
    dui::CTabLayoutUI* FindTab(const char* name) const;
    // Selects a page of a tab layout by name (nothing when it is not a tab layout).
    void SelectPage(const char* name, int page) const;
    void RefreshWindowState() const;

    dui::CPaintManagerUI& paintManager_;
    dui::IDialogBuilderCallback* factory_;
    dui::HWND owner_;
    Hooks hooks_;
    CDeviceSlotList slots_;
    std::vector<CNimbrelUSBDevice*> keyboards_;
    std::vector<CNimbrelUSBDevice*> mice_;
    std::vector<CNimbrelUSBDevice*> mousePads_;
    std::vector<CNimbrelUSBDevice*> headsets_;
    std::vector<dui::CControlUI*> batteryDisplays_;
    std::string initialProfileId_;
    int currentTile_ = -1;
};
