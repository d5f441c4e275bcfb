#include "panels/MpDevicePowerUI.h"

#include "dui/Progress.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>

namespace {

constexpr int kKindMouse = 2;
constexpr int kKindMousePad = 3;

// Charging state → whether the bar shows and the status picture; wireless charging has its own.
struct ChargeLook
{
    bool progressVisible;
    const char* image;
};
constexpr ChargeLook kCharged{true, "file='power/powered.png'"};
constexpr ChargeLook kChargingWired{true, "file='power/powering.png'"};
constexpr ChargeLook kChargingWireless{false, "file='power/wuxian_powering.png'"};
constexpr ChargeLook kOnBattery{true, "file='power/power.png'"};

// Phone on the mouse pad (byte 5): tool tip key and picture; the last row for anything else.
struct PhoneLook
{
    const char* tip;
    const char* image;
};
constexpr std::array<PhoneLook, 4> kPhones{{
    {"Phone_type_no_device", "file='power/Phone_type_no_device.png'"},
    {"Phone_type_iphone", "file='power/Phone_type_iphone.png'"},
    {"Phone_type_samsung", "file='power/Phone_type_samsung.png'"},
    {"Phone_type_other", "file='power/Phone_type_other.png'"},
}};

} // namespace

std::string CMpDevicePowerUI::GetClass() const
{
    return std::string(kClassName);
}

void* CMpDevicePowerUI::GetInterface(std::string_view name)
{
    if (name == kClassName)
        return this;
    if (name == IBatteryDisplayView::kInterfaceName)
        return static_cast<IBatteryDisplayView*>(this);
    return CVerticalLayoutUI::GetInterface(name);
}

dui::CControlUI* CMpDevicePowerUI::Find(std::string_view name)
{
    return FindSubControl(name);
}

void CMpDevicePowerUI::SetBatteryPowered(bool powered)
{
    if (dui::CControlUI* layout = Find("device_power_Layout"))
        layout->SetVisible(powered);
}

void CMpDevicePowerUI::SetDeviceKind(int kind, int role)
{
    kind_ = kind;
    role_ = role;
}

void CMpDevicePowerUI::ShowBatteryRecord(const uint8_t* bytes, size_t length)
{
    std::array<uint8_t, kRecordLimit> record{};
    if (bytes)
        std::memcpy(record.data(), bytes, std::min(length, record.size()));
    dui::CControlUI* progressControl = Find("device_Power_progress");
    dui::CControlUI* value = Find("device_power_value");
    dui::CControlUI* wirelessLogo = Find("device_wuxian_logo");
    dui::CControlUI* status = Find("device_power_status");
    dui::CControlUI* phone = Find("device_phone_type");
    auto* progress =
        progressControl ? static_cast<dui::CProgressUI*>(progressControl->GetInterface("Progress")) : nullptr;
    if (!progress || !value || !wirelessLogo || !status || !phone)
        return;

    progress->SetValue(100 - record[0]);
    char text[16];
    std::snprintf(text, sizeof text, "%d%s", record[0], "%");
    value->SetText(text);

    wireless_ = record[3] != 0;
    if (kind_ == kKindMouse)
        wirelessLogo->SetVisible(wireless_);

    const ChargeLook* look = nullptr;
    switch (record[1]) {
    case 0:
        look = &kCharged;
        break;
    case 1:
        look = wireless_ ? &kChargingWireless : &kChargingWired;
        break;
    case 2:
        look = &kOnBattery;
        break;
    default:
        break;
    }
    if (look) {
        progress->SetVisible(look->progressVisible);
        status->SetBkImage(look->image);
    }

    if (kind_ == kKindMousePad) {
        const PhoneLook& p = kPhones[record[5] < kPhones.size() ? record[5] : 0];
        phone->SetToolTip(p.tip);
        phone->SetBkImage(p.image);
    }
}
