// The battery display reads the device's battery record into its controls.
#include "panels/MpDevicePowerUI.h"

#include "dui/DialogBuilder.h"
#include "dui/Progress.h"

#include <gtest/gtest.h>

#include <array>
#include <memory>

namespace {

constexpr const char* kLayout =
    "<MpDevicePower><VerticalLayout name=\"device_power_Layout\">"
    "<Control name=\"device_wuxian_logo\" visible=\"false\"/><Control name=\"device_phone_type\"/>"
    "<Label name=\"device_power_value\"/><Progress name=\"device_Power_progress\" min=\"0\" max=\"100\"/>"
    "<Control name=\"device_power_status\"/></VerticalLayout></MpDevicePower>";

struct PowerDisplay
{
    PowerDisplay(int kind)
    {
        struct Factory : dui::IDialogBuilderCallback
        {
            dui::CControlUI* CreateControl(std::string_view name) override
            {
                return name == "MpDevicePower" ? new CMpDevicePowerUI : nullptr;
            }
        } factory;
        dui::CDialogBuilder builder;
        root.reset(builder.Create(std::string_view(kLayout), {}, &factory, nullptr));
        display = root ? static_cast<CMpDevicePowerUI*>(root->GetInterface("MpDevicePower")) : nullptr;
        if (display)
            display->SetDeviceKind(kind, 0);
    }
    dui::CControlUI* Find(std::string_view name) { return display->FindSubControl(name); }
    int Progress()
    {
        return static_cast<dui::CProgressUI*>(Find("device_Power_progress")->GetInterface("Progress"))
            ->GetValue();
    }
    std::unique_ptr<dui::CControlUI> root;
    CMpDevicePowerUI* display = nullptr;
};

TEST(MpDevicePower, ShowsLevelChargingStateAndWirelessMark)
{
    struct Case
    {
        int kind;
        std::array<uint8_t, 6> record;
        const char* text;
        int progress;
        bool progressVisible;
        const char* statusImage;
        bool wirelessLogo;
    };
    const Case cases[] = {
        {2, {57, 2, 0, 0, 0, 0}, "57%", 43, true, "file='power/power.png'", false},
        {2, {80, 1, 0, 1, 0, 0}, "80%", 20, false, "file='power/wuxian_powering.png'", true},
        {1, {100, 1, 0, 0, 0, 0}, "100%", 0, true, "file='power/powering.png'", false},
        {1, {5, 0, 0, 1, 0, 0}, "5%", 95, true, "file='power/powered.png'", false}, // only a mouse shows the
                                                                                    // mark
    };
    for (const Case& c : cases) {
        PowerDisplay d(c.kind);
        ASSERT_NE(d.display, nullptr);
        d.display->ShowBatteryRecord(c.record.data(), c.record.size());
        EXPECT_EQ(d.Find("device_power_value")->GetText(), c.text);
        EXPECT_EQ(d.Progress(), c.progress) << c.text;
        EXPECT_EQ(d.Find("device_Power_progress")->IsVisible(), c.progressVisible) << c.text;
        EXPECT_EQ(d.Find("device_power_status")->GetBkImage(), c.statusImage) << c.text;
        EXPECT_EQ(d.Find("device_wuxian_logo")->IsVisible(), c.wirelessLogo) << c.text;
    }
}

TEST(MpDevicePower, MousePadShowsThePhoneAndUnknownStatesChangeNothing)
{
    PowerDisplay d(3);
    const uint8_t samsung[] = {40, 7, 0, 0, 0, 2};
    d.display->ShowBatteryRecord(samsung, sizeof samsung);
    EXPECT_EQ(d.Find("device_phone_type")->GetToolTip(), "Phone_type_samsung");
    EXPECT_EQ(d.Find("device_power_status")->GetBkImage(), ""); // state 7 is not a charging state
    const uint8_t unknownPhone[] = {40, 0, 0, 0, 0, 9};
    d.display->ShowBatteryRecord(unknownPhone, sizeof unknownPhone);
    EXPECT_EQ(d.Find("device_phone_type")->GetToolTip(), "Phone_type_no_device");
    // A short record reads as zeros; a missing one too.
    d.display->ShowBatteryRecord(nullptr, 0);
    EXPECT_EQ(d.Find("device_power_value")->GetText(), "0%");
}

TEST(MpDevicePower, BatteryPoweredFlagShowsTheLayout)
{
    PowerDisplay d(2);
    d.display->SetBatteryPowered(false);
    EXPECT_FALSE(d.Find("device_power_Layout")->IsVisible());
    d.display->SetBatteryPowered(true);
    EXPECT_TRUE(d.Find("device_power_Layout")->IsVisible());
}

} // namespace
