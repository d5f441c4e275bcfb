// The device object's own traffic against simulated firmware: taking lighting control, the base
// lighting frame, and the event link's reader threads.

#include "PageDoubles.h"
#include "SimulatedDevice.h"

#include "devices/DeviceKinds.h"
#include "platform/DebugOutput.h"
#include "platform/Event.h"

#include <chrono>
#include <gtest/gtest.h>
#include <thread>

namespace devices_test {
namespace {

constexpr uint8_t kTakeLightingControl = 0x1C;

// Generous limit for "does not hang"; the stop limits themselves are checked by the debug lines.
constexpr auto kPatience = std::chrono::seconds(5);

template <class F>
bool Eventually(F condition)
{
    const auto end = std::chrono::steady_clock::now() + kPatience;
    while (std::chrono::steady_clock::now() < end) {
        if (condition())
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return condition();
}

class DeviceTraffic : public SimulatedDevice
{
protected:
    // Opens the device's command link on the product's command collection, as the main window does.
    void Attach(CNimbrelUSBDevice& device, int kind, const std::string& fragment, bool wireless)
    {
        SupportedDeviceEntry record;
        record.kind = static_cast<uint16_t>(kind);
        device.SetDeviceRecord(record);
        CDeviceLink& link = device.CommandLink();
        CHidDevice& side = wireless ? link.LinkB() : link.LinkA();
        const std::string path = PathWith(fragment);
        ASSERT_TRUE(side.Open(path.c_str(), true, true, true, false));
        link.SetOpen(true);
        link.SetLinkMode(wireless ? kLinkModeWireless : kLinkModeWired);
    }
};

TEST_F(DeviceTraffic, LightingControlTellsOnlyAWiredKeyboard)
{
    ASSERT_TRUE(sim_->AddDevice("keyboard"));
    CNimbrelUSBDevice keyboard;
    Attach(keyboard, kKindKeyboard, kKeyboardCommand, false);

    EXPECT_EQ(keyboard.SetLightingControl(false), kLinkOk);
    EXPECT_FALSE(keyboard.HasLightingControl());
    EXPECT_EQ(CommandCount("keyboard", kTakeLightingControl), 0);

    EXPECT_EQ(keyboard.SetLightingControl(true), kLinkOk);
    EXPECT_TRUE(keyboard.HasLightingControl());
    EXPECT_EQ(CommandCount("keyboard", kTakeLightingControl), 1);
}

TEST_F(DeviceTraffic, LightingControlSendsNothingForOtherKindsOrAClosedLink)
{
    ASSERT_TRUE(sim_->AddDevice("mouse"));
    ASSERT_TRUE(sim_->AddDevice("keyboard"));
    ASSERT_TRUE(sim_->SwitchLink("keyboard", devsim::LinkChoice::Receiver));

    CNimbrelUSBDevice viaReceiver;
    Attach(viaReceiver, kKindKeyboardReceiver, kReceiverCommand, true);
    EXPECT_EQ(viaReceiver.SetLightingControl(true), kLinkOk);
    EXPECT_TRUE(viaReceiver.HasLightingControl());

    CNimbrelUSBDevice mouse;
    Attach(mouse, kKindMouse, kMouseCommand, false);
    EXPECT_EQ(mouse.SetLightingControl(true), kLinkOk);

    CNimbrelUSBDevice detached;
    SupportedDeviceEntry record;
    record.kind = kKindKeyboard;
    detached.SetDeviceRecord(record);
    EXPECT_EQ(detached.SetLightingControl(true), kLinkOk);
    EXPECT_TRUE(detached.HasLightingControl());

    EXPECT_EQ(CommandCount("keyboard", kTakeLightingControl), 0);
    EXPECT_EQ(CommandCount("keyboard-receiver", kTakeLightingControl), 0);
    EXPECT_EQ(CommandCount("mouse", kTakeLightingControl), 0);
}

TEST_F(DeviceTraffic, BaseFrameGoesOutInLedOrderScaledByBrightness)
{
    ASSERT_TRUE(sim_->AddDevice("mouse"));
    CNimbrelUSBDevice mouse;
    mouse.SetLedCount(3);
    Attach(mouse, kKindMouse, kMouseCommand, false);
    mouse.SetLedColour(0, 0xFF0080FFu); // red 255, green 128, blue 0, brightness 255
    mouse.SetLedColour(1, 0x80204060u); // brightness 128
    mouse.SetLedColour(2, 0x00FFFFFFu); // brightness 0

    mouse.SendLightFrame();
    EXPECT_EQ(CommandCount("mouse", 0x12), 0) << "no frame without lighting control";

    mouse.SetLightingControl(true);
    mouse.SendLightFrame();
    ASSERT_EQ(CommandCount("mouse", 0x12), 1);
    const auto frame = sim_->ReadMemory("mouse", devsim::Region::Frame);
    ASSERT_GE(frame.size(), 9u);
    const uint8_t expected[9] = {254, 127, 0, 0x60 * 128 / 256, 0x40 * 128 / 256, 0x20 * 128 / 256, 0, 0, 0};
    for (int i = 0; i < 9; ++i)
        EXPECT_EQ(frame[i], expected[i]) << i;
}

// Event readers -------------------------------------------------------------------------------------

class RecordingCodes : public CNimbrelUSBDevice
{
public:
    ~RecordingCodes() override { StopEventReaders(); }
    std::atomic<int> reports{0};

protected:
    void HandleEventCode(uint16_t code) override
    {
        CNimbrelUSBDevice::HandleEventCode(code);
        ++reports;
    }
};

TEST_F(DeviceTraffic, WiredReaderReceivesEventsAndStopsWhenTheLinkCloses)
{
    ASSERT_TRUE(sim_->AddDevice("keyboard"));
    RecordingCodes keyboard;
    platform::DebugCapture debug;
    ASSERT_TRUE(keyboard.OpenEventLink(PathWith(kKeyboardEvents), kKindKeyboard));
    EXPECT_TRUE(keyboard.IsEventSideOpen(kKindKeyboard));
    EXPECT_FALSE(keyboard.IsEventSideOpen(kKindKeyboardReceiver));
    EXPECT_TRUE(keyboard.EventLink().IsOpen());

    ASSERT_TRUE(sim_->PressButton("keyboard", 0x0402));
    ASSERT_TRUE(Eventually([&] { return keyboard.GetEventCode() == 0x0402; }));
    ASSERT_TRUE(sim_->PressButton("keyboard", 0x1103));
    ASSERT_TRUE(Eventually([&] { return keyboard.GetEventCode() == 0x1103; }));
    EXPECT_EQ(keyboard.reports.load(), 2);
    EXPECT_TRUE(debug.Contains("接收到自动添加设备的同步信息要求  TEST"));

    // The reader is blocked in a read without time-out; closing must still end it within its limit.
    const auto start = std::chrono::steady_clock::now();
    keyboard.CloseEventLink(kKindKeyboard);
    EXPECT_LT(std::chrono::steady_clock::now() - start, kPatience);
    EXPECT_FALSE(keyboard.IsEventSideOpen(kKindKeyboard));
    EXPECT_FALSE(keyboard.EventLink().LinkA().IsOpen());
    EXPECT_TRUE(debug.Contains("MS 设备同步线程设定退出"));
    EXPECT_TRUE(debug.Contains("线程退出：：对象处于激发状态\n"));
    EXPECT_FALSE(debug.Contains("超时"));

    // Closing again does nothing.
    debug.Clear();
    keyboard.CloseEventLink(kKindKeyboard);
    EXPECT_FALSE(debug.Contains("线程退出"));
}

TEST_F(DeviceTraffic, ReceiverReaderUsesLinkB)
{
    ASSERT_TRUE(sim_->AddDevice("keyboard"));
    ASSERT_TRUE(sim_->SwitchLink("keyboard", devsim::LinkChoice::Receiver));
    RecordingCodes keyboard;
    ASSERT_TRUE(keyboard.OpenEventLink(PathWith(kReceiverEvents), kKindKeyboardReceiver));
    EXPECT_TRUE(keyboard.IsEventSideOpen(kKindKeyboardReceiver));
    EXPECT_TRUE(keyboard.EventLink().IsWireless());
    EXPECT_FALSE(keyboard.EventLink().LinkA().IsOpen());

    ASSERT_TRUE(sim_->PressButton("keyboard", 0x0401));
    ASSERT_TRUE(Eventually([&] { return keyboard.GetEventCode() == 0x0401; }));

    platform::DebugCapture debug;
    keyboard.CloseEventLink(kKindKeyboardReceiver);
    EXPECT_FALSE(keyboard.EventLink().IsWireless());
    EXPECT_FALSE(keyboard.EventLink().LinkB().IsOpen());
    EXPECT_TRUE(debug.Contains("线程退出：：对象处于激发状态\n"));
}

TEST_F(DeviceTraffic, ReopeningRestartsTheReaderAndAnUnpluggedDeviceStillStops)
{
    ASSERT_TRUE(sim_->AddDevice("keyboard"));
    RecordingCodes keyboard;
    const std::string path = PathWith(kKeyboardEvents);
    ASSERT_TRUE(keyboard.OpenEventLink(path, kKindKeyboard));
    platform::DebugCapture debug;
    ASSERT_TRUE(keyboard.OpenEventLink(path, kKindKeyboard));
    EXPECT_TRUE(debug.Contains("MS 设备同步线程设定退出")) << "the first reader was stopped";
    ASSERT_TRUE(sim_->PressButton("keyboard", 0x0402));
    ASSERT_TRUE(Eventually([&] { return keyboard.GetEventCode() == 0x0402; }));
    EXPECT_EQ(keyboard.reports.load(), 1) << "one reader per side";

    ASSERT_TRUE(sim_->Unplug("keyboard"));
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    debug.Clear();
    keyboard.CloseEventLink(kKindKeyboard);
    EXPECT_TRUE(debug.Contains("线程退出：：对象处于激发状态\n"));
}

TEST_F(DeviceTraffic, EventLinkRefusesUnknownKindsAndMissingPaths)
{
    RecordingCodes device;
    EXPECT_FALSE(device.OpenEventLink("/no/such/device", kKindKeyboard));
    EXPECT_FALSE(device.IsEventSideOpen(kKindKeyboard));
    EXPECT_FALSE(device.OpenEventLink("/no/such/device", kKindHub));
    EXPECT_FALSE(device.IsEventSideOpen(kKindHub));
}

TEST_F(DeviceTraffic, DestroyingTheDeviceStopsItsReaders)
{
    ASSERT_TRUE(sim_->AddDevice("keyboard"));
    platform::DebugCapture debug;
    {
        auto device = std::make_unique<CNimbrelUSBDevice>();
        ASSERT_TRUE(device->OpenEventLink(PathWith(kKeyboardEvents), kKindKeyboard));
    }
    EXPECT_TRUE(debug.Contains("MS 设备同步线程设定退出"));
    EXPECT_TRUE(debug.Contains("线程退出：：对象处于激发状态\n"));
}

} // namespace
} // namespace devices_test
