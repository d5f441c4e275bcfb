#include "devices/SupportedDevices.h"

namespace {

constexpr uint16_t kMaker = 0x320F;
constexpr uint16_t kHeadsetMaker = 0x0C76;
constexpr uint16_t kVendorPage = 0xFF1C;
constexpr uint16_t kVendorUsage = 0x92;
constexpr uint16_t kConsumerPage = 0x000C;
constexpr uint16_t kConsumerUsage = 0x01;

// A table row: connected 0 and no path.
SupportedDeviceEntry Row(uint16_t vendor, uint16_t product, uint16_t interfaceNumber, uint16_t collection,
                         uint16_t kind, uint16_t role, uint16_t usagePage, uint16_t usage,
                         uint16_t hasPartner, uint16_t partnerRow)
{
    return {vendor, product,   interfaceNumber, collection, kind,       role,
            0,      usagePage, usage,           hasPartner, partnerRow, {}};
}

constexpr const char* kOptionLayout = "XML\\CustomControlXML\\DeviceOption.xml";
constexpr const char* kTabGroup = "tab_header_device";
constexpr const char* kPowerSwitch = "device_power_switch";
constexpr const char* kLightingList = "zentor_light";

} // namespace

const std::array<SupportedDeviceEntry, kSupportedDeviceCount>& SupportedDeviceTable()
{
    static const std::array<SupportedDeviceEntry, kSupportedDeviceCount> table = {
        Row(kMaker, 0x5055, 1, 4, 1, 0, kVendorPage, kVendorUsage, 1, 2),
        Row(kMaker, 0x5055, 1, 3, 1, 255, kConsumerPage, kConsumerUsage, 1, 3),
        Row(kMaker, 0x0000, 1, 4, 9, 0, kVendorPage, kVendorUsage, 1, 0),
        Row(kMaker, 0x0000, 1, 3, 9, 255, kConsumerPage, kConsumerUsage, 1, 1),
        Row(kMaker, 0x221C, 1, 4, 2, 0, kVendorPage, kVendorUsage, 1, 6),
        Row(kMaker, 0x221C, 1, 3, 2, 255, kConsumerPage, kConsumerUsage, 1, 7),
        Row(kMaker, 0x0000, 1, 4, 6, 0, kVendorPage, kVendorUsage, 1, 4),
        Row(kMaker, 0x0000, 1, 3, 6, 255, kConsumerPage, kConsumerUsage, 1, 5),
        Row(kMaker, 0x0000, 1, 4, 3, 0, kVendorPage, kVendorUsage, 0, 0),
        Row(kMaker, 0x0000, 1, 3, 3, 255, kConsumerPage, kConsumerUsage, 0, 0),
        Row(kHeadsetMaker, 0x0000, 3, 0, 7, 0, kConsumerPage, kConsumerUsage, 0, 0),
    };
    return table;
}

const std::array<DeviceTypeEntry, kDeviceTypeCount>& DeviceTypeTable()
{
    static const std::array<DeviceTypeEntry, kDeviceTypeCount> table = {{
        {kOptionLayout, kTabGroup, kPowerSwitch, "mouse", 0, 0, 0, 1, kMaker, 0x221C, 2, 0},
        {kOptionLayout, kTabGroup, kPowerSwitch, "keyboard", 1, 1, -1, 0, kMaker, 0x5055, 1, 0},
        {kOptionLayout, kTabGroup, kPowerSwitch, "MousePad", 2, 2, 1, 2, kMaker, 0x0000, 3, 0},
        {kOptionLayout, kTabGroup, kPowerSwitch, "HD", 3, 3, -1, 3, kHeadsetMaker, 0x0000, 7, 0},
    }};
    return table;
}

const std::array<DeviceXmlEntry, kDeviceTypeCount>& DeviceXmlTable()
{
    static const std::array<DeviceXmlEntry, kDeviceTypeCount> table = {{
        {15, 11, 1, -1, "XML\\DeviceXml\\mousedevice.xml", kLightingList},
        {170, 170, 0, -1, "XML\\DeviceXml\\keyboarddevice.xml", kLightingList},
        {15, 0, 0, -1, "XML\\DeviceXml\\mousepaddevice.xml", kLightingList},
        {13, 0, 0, -1, "XML\\DeviceXml\\hs6533device.xml", kLightingList},
    }};
    return table;
}

const DeviceFamilyEntry* FindFamily(int kind)
{
    // The headset shares the mouse pad's debug lines.
    static const DeviceFamilyEntry families[] = {
        {DeviceFamily::Keyboard, kKindKeyboard, kKindKeyboardReceiver, "添加一个键盘设备", "删除一个键盘设备",
         "键盘设备丢失"},
        {DeviceFamily::Mouse, kKindMouse, kKindMouseReceiver, "添加一个鼠标设备", "删除一个鼠标设备",
         "鼠标设备丢失"},
        {DeviceFamily::MousePad, kKindMousePad, kKindNone, "添加一个鼠标垫设备", "删除一个鼠标垫设备",
         nullptr},
        {DeviceFamily::Headset, kKindHeadset, kKindNone, "添加一个鼠标垫设备", "删除一个鼠标垫设备", nullptr},
    };
    if (kind == kKindNone) {
        return nullptr;
    }
    for (const DeviceFamilyEntry& f : families) {
        if (f.wiredKind == kind || f.receiverKind == kind) {
            return &f;
        }
    }
    return nullptr;
}

const char* TileImagePrefix(int kind, int role)
{
    struct Picture
    {
        int kind;
        int role; // -1: any role
        const char* prefix;
    };
    static const Picture pictures[] = {
        {kKindKeyboard, -1, "kb_device_"},     {kKindMouse, -1, "ms_device_"},
        {kKindMousePad, 1, "soft_mp_device_"}, {kKindMousePad, 0, "hard_mp_device_"},
        {kKindHeadsetTile, -1, "hd_device_"},  {kKindHeadset, -1, "hd_device_"},
        {kKindHub, -1, "hub_device_"},
    };
    for (const Picture& p : pictures) {
        if (p.kind == kind && (p.role < 0 || p.role == role)) {
            return p.prefix;
        }
    }
    return kind == kKindMousePad ? nullptr : "unknow_device_";
}
