#pragma once
// CMpDevicePowerUI: the battery display of one device, a page of the main window's
// "device_power_switch". The device page gives it its kind and role, shows or hides it with the
// battery-powered flag and feeds it the device's battery record (level, charging state, wireless flag,
// connected phone type for the mouse pad).

#include "devices/DevicePageViews.h"
#include "dui/VerticalLayout.h"

#include <cstddef>
#include <cstdint>

class CMpDevicePowerUI : public dui::CVerticalLayoutUI, public IBatteryDisplayView
{
public:
    static constexpr std::string_view kClassName = "MpDevicePower";
    // Bytes of the battery record the display reads at most.
    static constexpr size_t kRecordLimit = 64;

    std::string GetClass() const override;
    void* GetInterface(std::string_view name) override;

    // IBatteryDisplayView: shows or hides "device_power_Layout"; remembers the device kind.
    void SetBatteryPowered(bool powered) override;
    void SetDeviceKind(int kind, int role) override;
    // Byte 0 level in percent, byte 1 charging state (0 charged, 1 charging, 2 on battery), byte 3
    // wireless flag, byte 5 the phone on a mouse pad. Does nothing unless the display's controls exist.
    void ShowBatteryRecord(const uint8_t* bytes, size_t length);

    int GetKind() const { return kind_; }
    int GetRole() const { return role_; }
    bool IsWireless() const { return wireless_; }

private:
    dui::CControlUI* Find(std::string_view name);

    int kind_ = 0;
    int role_ = 0;
    bool wireless_ = false;
};
