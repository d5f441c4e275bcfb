#pragma once
// The built-in device tables: the supported HID interfaces (the device slots are copies of its rows),
// the device types that get a page and a tile, the page layouts of those types, the kind families the
// main window keeps its device lists by, and the tile pictures of each kind.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "devices/DeviceKinds.h"
#include "devices/SupportedDeviceEntry.h"

// Supported-device table: 11 rows; a slot's index is its row's index.
inline constexpr size_t kSupportedDeviceCount = 11;
const std::array<SupportedDeviceEntry, kSupportedDeviceCount>& SupportedDeviceTable();

// Device-type table: the devices that get a page and a tile. The row index is the device's type index.
struct DeviceTypeEntry
{
    std::string optionLayout; // the layout of the device's selector tile
    std::string tabGroup;     // option group of the tile's "device_select" option
    std::string powerSwitch;  // the tab layout holding the battery displays
    std::string typeName;     // type word: data folder and profile file name
    int32_t spare1 = 0;       // carried, not read
    int32_t spare2 = 0;
    int32_t spare3 = 0;
    int32_t order = 0; // given to the device's SetTypeOrder
    int32_t vendorId = 0;
    int32_t productId = 0;
    int32_t kind = 0;
    int32_t role = 0;
};
inline constexpr size_t kDeviceTypeCount = 4;
const std::array<DeviceTypeEntry, kDeviceTypeCount>& DeviceTypeTable();

// Device-page table: same rows and order as the device-type table.
struct DeviceXmlEntry
{
    int32_t ledCount = 0;
    int32_t keyCount = 0;
    int32_t batteryPowered = 0;
    int32_t reserved = -1; // not read
    std::string pageLayout;
    std::string lightingListName;
};
const std::array<DeviceXmlEntry, kDeviceTypeCount>& DeviceXmlTable();

// The main window keeps one device list per family.
enum class DeviceFamily
{
    None,
    Keyboard, // kinds 1 and 9
    Mouse,    // kinds 2 and 6
    MousePad, // kind 3
    Headset   // kind 7
};

struct DeviceFamilyEntry
{
    DeviceFamily family;
    int wiredKind;           // the kind of the family's own (cable) rows
    int receiverKind;        // the kind reaching it through a receiver; kKindNone without one
    const char* addedLine;   // debug line on arrival
    const char* removedLine; // debug line on removal
    const char* lostLine;    // debug line when the command interface goes; null when none
};
// The family of a kind; null for kinds outside every family.
const DeviceFamilyEntry* FindFamily(int kind);

// The picture prefix of a tile's kind (e.g. "kb_device_"): its pictures are kTileImageFolder + prefix +
// one of the four endings, its tool tip prefix + "name_text". Null for kind 3 with a role other than 0
// or 1 (the tile keeps its pictures). Unknown kinds give "unknow_device_", every tile's initial prefix.
const char* TileImagePrefix(int kind, int role);
inline constexpr const char* kTileImageFolder = "common/device_ico/";
// The four endings each prefix takes.
inline constexpr const char* kTileImageNormal = "normal.png";
inline constexpr const char* kTileImageSelected = "selected.png";
inline constexpr const char* kTileImageSynchroNormal = "synchro_normal.png";
inline constexpr const char* kTileImageSynchroSelected = "synchro_selected.png";
