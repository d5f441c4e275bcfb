#pragma once
// CDevicePages: the main window's device tiles and device pages. It keeps the device slots, one list of
// device objects per kind family, and carries a device from arrival to shown and talking and back:
// creating the page and tile of a device type, opening and closing the command and event links,
// switching a keyboard or mouse between its cable and its receiver, showing, hiding and selecting
// tiles, and keeping "No_device_Link" and the two tab layouts ("device_switch",
// "device_power_switch") in step with the shown tiles.
//
// Everything here runs on the UI thread. The discovery thread writes the slots only while the UI
// thread is inside OnDeviceArrived / OnDeviceRemoved for that slot (it waits for the send).

#include "devices/DeviceSlotList.h"
#include "dui/DialogBuilder.h"
#include "dui/PaintManager.h"

#include <functional>
#include <vector>

class CNimbrelUSBDevice;
class CDeviceOptionUI;

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

    // Start-up: the mouse and keyboard pages with hidden tiles, before any device arrives.
    void CreateBuiltInPages();

    // UM_DEVICE_ARRIVED / UM_DEVICE_REMOVED for a slot (out-of-range slots are ignored).
    void OnDeviceArrived(int slot);
    void OnDeviceRemoved(int slot);
    // UM_WIRELESS_LINK: the tile at index lost (present false) or regained its wireless link.
    void OnWirelessLink(int tileIndex, bool present);

    // "selectchanged" from "device_select" / "synchro_device_select": records the first selected
    // tile as current and shows its page.
    void OnSelectionChanged();
    // "device_select_prev" / "device_select_next": selects the previous / next shown tile.
    void SelectNeighbour(int direction);
    // Shows "No_device_Link" exactly when no tile stands for a connected device.
    void UpdateNoDeviceLink();

    // The device of the first tile that is both shown (connected) and selected; null when none.
    CNimbrelUSBDevice* CurrentDevice() const;
    // The tiles, in "device_select_layout" order.
    std::vector<CDeviceOptionUI*> Tiles() const;
    // The device lists by family.
    const std::vector<CNimbrelUSBDevice*>& Keyboards() const { return keyboards_; }
    const std::vector<CNimbrelUSBDevice*>& Mice() const { return mice_; }
    const std::vector<CNimbrelUSBDevice*>& MousePads() const { return mousePads_; }
    const std::vector<CNimbrelUSBDevice*>& Headsets() const { return headsets_; }
    const std::vector<dui::CControlUI*>& BatteryDisplays() const { return batteryDisplays_; }

private:
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
};
