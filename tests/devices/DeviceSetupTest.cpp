// Set-up operations of the device object and its live lighting record.

#include "PageDoubles.h"

#include "devices/DeviceKinds.h"
#include "devices/DeviceOptionUI.h"

#include <gtest/gtest.h>

namespace devices_test {
namespace {

TEST(DeviceSetup, StartsUnboundWithTabOneAndNoSelection)
{
    CNimbrelUSBDevice device;
    EXPECT_EQ(device.GetClass(), "NimbrelUSBDevice");
    EXPECT_EQ(device.GetInterface("NimbrelUSBDevice"), &device);
    EXPECT_EQ(device.GetDeviceIndex(), -1);
    EXPECT_EQ(device.GetFunctionTab(), 1);
    EXPECT_EQ(device.GetSelectedLightItem(), -1);
    EXPECT_EQ(device.GetKeyPanel(), nullptr);
    EXPECT_FALSE(device.HasLightingControl());
    EXPECT_TRUE(device.IsWirelessOnline());
    EXPECT_TRUE(device.UsedMacroIndexes().empty());
    EXPECT_EQ(device.GetProfilePath(), "");
}

TEST(DeviceSetup, SetUpInCreationOrder)
{
    CNimbrelUSBDevice device;
    BatteryDisplay battery;
    SupportedDeviceEntry record;
    record.vendorId = 0x320F;
    record.productId = 0x221C;
    record.kind = kKindMouse;
    record.role = kRoleEvent;
    record.path = "some path";

    device.SetPageLayoutPath("XML\\DeviceXml\\mousedevice.xml");
    device.SetKeyCount(11);
    device.SetLedCount(15);
    device.SetTypeIndex(0);
    device.SetBatteryPowered(true);
    device.SetProfileId("2024_01_02_03_04_05_006");
    device.SetTypeName("mouse");
    device.SetBatteryDisplay(&battery);
    device.SetDeviceRecord(record);
    device.SetTypeOrder(1);
    device.SetLightingListName("zentor_light");

    EXPECT_EQ(device.GetPageLayoutPath(), "XML\\DeviceXml\\mousedevice.xml");
    EXPECT_EQ(device.GetKeyCount(), 11);
    EXPECT_EQ(device.GetLedCount(), 15);
    EXPECT_EQ(device.GetDeviceIndex(), 0);
    EXPECT_EQ(device.GetProfileId(), "2024_01_02_03_04_05_006");
    EXPECT_EQ(device.GetTypeName(), "mouse");
    EXPECT_EQ(device.GetTypeOrder(), 1);
    EXPECT_EQ(device.GetLightingListName(), "zentor_light");
    EXPECT_EQ(device.GetKind(), kKindMouse);
    EXPECT_EQ(device.GetRole(), kRoleEvent);
    EXPECT_EQ(device.GetDeviceRecord().path, "some path");
    // The display set after the flag still learns it.
    EXPECT_TRUE(device.IsBatteryPowered());
    EXPECT_EQ(device.GetBatteryDisplay(), &battery);
    EXPECT_TRUE(battery.powered);
    // And a flag set after the display reaches it too.
    device.SetBatteryPowered(false);
    EXPECT_FALSE(battery.powered);
    EXPECT_EQ(battery.calls, 2);
}

TEST(DeviceSetup, LedCountClearsFrameAndCustomColoursEvenWhenUnchanged)
{
    CNimbrelUSBDevice device;
    device.SetLedCount(4);
    for (int i = 0; i < 4; ++i) {
        device.SetLedColour(i, 0x80FF2010u + i);
        device.SetCustomColour(i, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, static_cast<uint8_t>(i)});
    }
    ASSERT_EQ(device.GetLedColour(3), 0x80FF2013u);
    ASSERT_EQ(device.GetCustomColour(3)[13], 3);

    device.SetLedCount(4);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(device.GetLedColour(i), 0u) << i;
        EXPECT_EQ(device.GetCustomColour(i), CNimbrelUSBDevice::CustomColourRecord{}) << i;
    }

    device.SetLedCount(6);
    device.SetLedColour(5, 7);
    EXPECT_EQ(device.GetLedColour(5), 7u);
    EXPECT_EQ(device.GetLedButton(5), nullptr);
}

TEST(DeviceSetup, LedColourIgnoresInvalidIndexes)
{
    CNimbrelUSBDevice device;
    device.SetLedCount(2);
    device.SetLedColour(-1, 5);
    device.SetLedColour(2, 5);
    EXPECT_EQ(device.GetLedColour(-1), 0u);
    EXPECT_EQ(device.GetLedColour(2), 0u);
    EXPECT_EQ(device.GetLedColour(0), 0u);
    EXPECT_EQ(device.GetLedColour(1), 0u);
}

TEST(DeviceSetup, KeyCountKeepsButtonsOnlyWhileUnchanged)
{
    CNimbrelUSBDevice device;
    device.SetPageLayoutPath("page.xml");
    device.SetKeyCount(3);
    auto* panel = AddTo<KeyPanel>(device);
    auto* key = AddTo<KeyButton>(*panel, "key_2");
    device.InitPage();
    ASSERT_EQ(device.GetKeyButton(2), key);
    device.SetKeyCount(3);
    EXPECT_EQ(device.GetKeyButton(2), key);
    device.SetKeyCount(4);
    EXPECT_EQ(device.GetKeyButton(2), nullptr);
    EXPECT_EQ(device.GetKeyCount(), 4);
}

TEST(DeviceSetup, LightEffectTravelsAsFourWordsInByteOrder)
{
    CNimbrelUSBDevice device;
    device.SetLightEffect({0x04030201u, 0x08070605u, 0x0C0B0A09u, 0x100F0E0Du});
    const LightEffect e = device.GetLightEffectRecord();
    EXPECT_EQ(e.mode, 1);
    EXPECT_EQ(e.brightness, 2);
    EXPECT_EQ(e.speed, 3);
    EXPECT_EQ(e.direction, 4);
    EXPECT_EQ(e.colourful, 5);
    EXPECT_EQ(e.red, 6);
    EXPECT_EQ(e.green, 7);
    EXPECT_EQ(e.blue, 8);
    EXPECT_EQ(e.kindBytes[7], 16);
    const auto bytes = device.GetLightEffect();
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(bytes[i], i + 1);
    EXPECT_EQ(e.ToWords(), (LightEffect::Words{0x04030201u, 0x08070605u, 0x0C0B0A09u, 0x100F0E0Du}));
}

TEST(DeviceSetup, StoresSimpleState)
{
    CNimbrelUSBDevice device;
    device.SelectLightItem(3);
    EXPECT_EQ(device.GetSelectedLightItem(), 3);
    device.SetLivePreview(true);
    EXPECT_TRUE(device.IsLivePreview());
    device.SetKeyNameMap({{1, "Esc"}, {2, "F1"}});
    EXPECT_EQ(device.GetKeyNameMap().at(2), "F1");
    // Without a lighting panel the colour reads back as stored.
    device.SetLightColour(1, 2, 3);
    EXPECT_EQ(device.GetLightColour(), (std::array<uint8_t, 3>{1, 2, 3}));
}

// The skin frees a page and its tile in either order; whichever goes first unlinks the other, so the
// one left never reaches the freed one.
TEST(DeviceSetup, PageAndTileUnlinkWhicheverIsFreedFirst)
{
    for (const bool pageFirst : {true, false}) {
        SCOPED_TRACE(pageFirst ? "page first" : "tile first");
        auto* page = new CNimbrelUSBDevice;
        auto* tile = new CDeviceOptionUI;
        tile->SetDevice(page);
        ASSERT_EQ(page->GetTile(), tile);
        if (pageFirst) {
            delete page;
            EXPECT_EQ(tile->GetDevice(), nullptr);
            delete tile;
        } else {
            delete tile;
            EXPECT_EQ(page->GetTile(), nullptr);
            delete page;
        }
    }
}

} // namespace
} // namespace devices_test
