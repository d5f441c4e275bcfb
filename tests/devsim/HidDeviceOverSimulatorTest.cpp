// The host's CHidDevice over the virtual back end against the simulator: discovery sees the
// collections the supported-device table matches, and command frames and event reports travel.

#include "link/HidDevice.h"

#include "SimulatorFixture.h"

#include "tools/devsim/ReportDescriptors.h"

#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <set>
#include <string>

namespace devsim {
namespace {

using HidDeviceOverSimulator = test::SimulatorFixture;

TEST_F(HidDeviceOverSimulator, CollectionsMatchTheSupportedDeviceTable)
{
    for (const char* name : {"keyboard", "mouse", "keyboard-receiver", "headset"})
        ASSERT_TRUE(sim_->AddDevice(name));
    struct Case
    {
        const char* fragment;
        uint16_t usagePage;
        uint16_t usage;
    };
    const Case cases[] = {
        {"vid_320f&pid_5055&mi_01&col04", 0xFF1C, 0x92}, {"vid_320f&pid_5055&mi_01&col03", 0x000C, 0x01},
        {"vid_320f&pid_221c&mi_01&col04", 0xFF1C, 0x92}, {"vid_320f&pid_221c&mi_01&col03", 0x000C, 0x01},
        {"vid_320f&pid_0000&mi_01&col04", 0xFF1C, 0x92}, {"vid_0c76&pid_0000&mi_03#", 0x000C, 0x01},
        {"vid_320f&pid_5055&mi_00", 0x0001, 0x06},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fragment);
        const auto paths = PathsWith(c.fragment);
        ASSERT_EQ(paths.size(), 1u);
        CHidDevice d;
        ASSERT_TRUE(d.Open(paths[0].c_str(), true, false, true, false));
        EXPECT_EQ(d.GetUsagePage(), c.usagePage);
        EXPECT_EQ(d.GetUsage(), c.usage);
    }
}

TEST_F(HidDeviceOverSimulator, CommandFramesAndEventReportsTravel)
{
    ASSERT_TRUE(sim_->AddDevice("keyboard"));
    const auto command = PathsWith("vid_320f&pid_5055&mi_01&col04");
    const auto events = PathsWith("vid_320f&pid_5055&mi_01&col03");
    ASSERT_EQ(command.size(), 1u);
    ASSERT_EQ(events.size(), 1u);
    CHidDevice link, listener;
    ASSERT_TRUE(link.Open(command[0].c_str(), true, true, true, false));
    ASSERT_TRUE(listener.Open(events[0].c_str(), true, true, true, false));
    EXPECT_EQ(link.GetInputReportLength(), 64);
    EXPECT_EQ(link.GetOutputReportLength(), 64);

    const Frame request = MakeRequest(0x03, 34, 0);
    uint32_t n = 0;
    ASSERT_TRUE(link.WriteReport(request.data(), 64, &n, 1000));
    uint8_t reply[64] = {};
    ASSERT_TRUE(link.ReadReport(reply, 64, &n, 2000));
    EXPECT_EQ(n, 64u);
    EXPECT_EQ(reply[3], 0x03);
    EXPECT_EQ(reply[8], 0xAA);
    EXPECT_EQ(reply[8 + 5], 126);

    // The event collection gets the event, decoded as the first usage of its first data item.
    ASSERT_TRUE(sim_->PressButton("keyboard", 0x0402));
    ASSERT_TRUE(
        listener.ReadReport(listener.GetInputReportBuffer(), listener.GetInputReportLength(), &n, 2000));
    ASSERT_GT(listener.GetInputDataItemCount(), 0u);
    HidDataItem* items = listener.GetInputDataItems();
    ASSERT_TRUE(CHidDevice::UnpackReport(listener.GetInputReportBuffer(), n, HidReportKind::Input, items,
                                         listener.GetInputDataItemCount(), listener.GetPreparsedData()));
    EXPECT_EQ(items[0].usages[0], 0x0402);
    // The command collection did not see the event.
    EXPECT_FALSE(link.ReadReport(reply, 64, &n, 100));
}

} // namespace
} // namespace devsim
