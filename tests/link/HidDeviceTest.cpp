// CHidDevice on the virtual back end: listing, opening, report reads and writes, cancellation and
// decoding into data items.

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <thread>

#include "LinkFixture.h"
#include "link/HidPath.h"
#include "platform/Event.h"

namespace test {
namespace {

using Clock = std::chrono::steady_clock;

struct HexCase
{
    const char* path;
    uint32_t interfaceNumber;
    uint32_t collection;
};

class PathParsingTest : public ::testing::TestWithParam<HexCase>
{
};

TEST_P(PathParsingTest, ReadsTheHexDigitsAfterTheMarkers)
{
    EXPECT_EQ(hid::ParseHexAfter(GetParam().path, "&mi_"), GetParam().interfaceNumber);
    EXPECT_EQ(hid::ParseHexAfter(GetParam().path, "&col"), GetParam().collection);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, PathParsingTest,
    ::testing::Values(HexCase{"\\\\?\\hid#vid_320f&pid_5055&mi_01&col04#hidraw3#{x}", 1, 4},
                      HexCase{"\\\\?\\hid#vid_320f&pid_5055&mi_01&col0a#hidraw3#{x}", 1, 10},
                      HexCase{"\\\\?\\HID#VID_320F&PID_5055&MI_02&COL03#hidraw3#{x}", 2, 3},
                      HexCase{"\\\\?\\hid#vid_0c76&pid_0000#hidraw1#{x}", 0, 0},
                      HexCase{"\\\\?\\hid#vid_0c76&pid_0000&mi_03#hidraw1#{x}", 3, 0},
                      HexCase{"&mi_zz&col", 0, 0}));

TEST(HidPathTest, FormatAndSplitRoundTrip)
{
    hid::InterfaceInfo info;
    info.bus = "ovhid";
    info.location = "/tmp/a#b/kbd.hid";
    info.vendorId = 0x320F;
    info.productId = 0x5055;
    info.interfaceNumber = 1;
    const std::string path = hid::FormatPath(info, 4);
    EXPECT_EQ(
        path,
        "\\\\?\\ovhid#vid_320f&pid_5055&mi_01&col04#/tmp/a#b/kbd.hid#{4d1e55b2-f16f-11cf-88cb-001111000030}");
    hid::PathParts parts;
    ASSERT_TRUE(hid::SplitPath(path, parts));
    EXPECT_EQ(parts.bus, "ovhid");
    EXPECT_EQ(parts.location, info.location);
    info.interfaceNumber = -1;
    EXPECT_EQ(hid::FormatPath(info, 0).find("&mi_"), std::string::npos);
    EXPECT_FALSE(hid::SplitPath("hidraw3", parts));
}

class HidDeviceTest : public VirtualDeviceTest
{
protected:
    void OpenCollection(CHidDevice& device, const char* collection)
    {
        const std::string path = FindPath(collection);
        ASSERT_FALSE(path.empty()) << collection;
        ASSERT_TRUE(device.Open(path.c_str(), true, true, true, false));
    }

    std::vector<std::string> AllPaths()
    {
        CHidDevice lister;
        std::vector<std::string> paths;
        EXPECT_TRUE(lister.Enumerate());
        while (const char* p = lister.NextPath()) {
            paths.emplace_back(p);
        }
        return paths;
    }
};

TEST_F(HidDeviceTest, ListsOnePathPerTopLevelCollection)
{
    const auto paths = AllPaths();
    ASSERT_EQ(paths.size(), 4u);
    for (int i = 0; i < 4; ++i) {
        EXPECT_NE(paths[i].find("vid_320f&pid_5055&mi_01&col0" + std::to_string(i + 1)), std::string::npos)
            << paths[i];
    }
}

TEST_F(HidDeviceTest, SingleCollectionInterfaceHasNoCollectionPart)
{
    PeerIdentity headset;
    headset.vendorId = 0x0C76;
    headset.productId = 0;
    headset.interfaceNumber = 3;
    headset.descriptor = VendorCollectionDescriptor();
    ScriptedPeer second(folder_.Path(), "headset", headset);
    const std::string path = FindPath("vid_0c76");
    ASSERT_FALSE(path.empty());
    EXPECT_EQ(path.find("&col"), std::string::npos);
    CHidDevice device;
    ASSERT_TRUE(device.Open(path.c_str(), true, true, true, false));
    EXPECT_EQ(device.GetCollectionNumber(), 0);
    EXPECT_EQ(device.GetInterfaceNumber(), 3);
}

TEST_F(HidDeviceTest, ManyInterfacesAreAllListed)
{
    std::vector<std::unique_ptr<ScriptedPeer>> more;
    for (int i = 0; i < 4; ++i) {
        more.push_back(std::make_unique<ScriptedPeer>(folder_.Path(), "more" + std::to_string(i)));
    }
    const auto paths = AllPaths();
    EXPECT_EQ(paths.size(), 20u);
    for (int i = 0; i < 4; ++i) {
        const std::string socket = "more" + std::to_string(i) + ".hid";
        EXPECT_EQ(std::count_if(paths.begin(), paths.end(),
                                [&](const std::string& p) { return p.find(socket) != std::string::npos; }),
                  4);
    }
}

TEST_F(HidDeviceTest, PathCursor)
{
    CHidDevice device;
    EXPECT_EQ(device.NextPath(), nullptr); // before any listing
    ASSERT_TRUE(device.Enumerate());
    int count = 0;
    while (device.NextPath() != nullptr) {
        ++count;
    }
    EXPECT_EQ(count, 4);
    EXPECT_EQ(device.NextPath(), nullptr);
    ASSERT_TRUE(device.Enumerate()); // rewinds
    EXPECT_NE(device.NextPath(), nullptr);
    device.ReleasePathList();
    EXPECT_EQ(device.NextPath(), nullptr);
}

TEST_F(HidDeviceTest, UnpluggedDeviceIsNotListed)
{
    peer_->Unplug();
    EXPECT_TRUE(AllPaths().empty());
}

TEST_F(HidDeviceTest, ReplugAsAnotherDeviceIsListedAsThatDevice)
{
    ASSERT_FALSE(FindPath("pid_5055").empty());
    peer_.reset();
    PeerIdentity mouse;
    mouse.productId = 0x221C;
    peer_ = std::make_unique<ScriptedPeer>(folder_.Path(), "keyboard", mouse);
    EXPECT_TRUE(FindPath("pid_5055").empty());
    EXPECT_FALSE(FindPath("pid_221c&mi_01&col04").empty());
}

struct CapsCase
{
    const char* collection;
    uint16_t usagePage;
    uint16_t usage;
    uint16_t input;
    uint16_t output;
};

class CapabilitiesTest : public HidDeviceTest, public ::testing::WithParamInterface<CapsCase>
{
};

TEST_P(CapabilitiesTest, ReportsUsageAndLengthsOfTheCollection)
{
    CHidDevice device;
    OpenCollection(device, GetParam().collection);
    EXPECT_EQ(device.GetVendorId(), 0x320F);
    EXPECT_EQ(device.GetProductId(), 0x5055);
    EXPECT_EQ(device.GetVersion(), 0x0105);
    EXPECT_EQ(device.GetUsagePage(), GetParam().usagePage);
    EXPECT_EQ(device.GetUsage(), GetParam().usage);
    EXPECT_EQ(device.GetInputReportLength(), GetParam().input);
    EXPECT_EQ(device.GetOutputReportLength(), GetParam().output);
    EXPECT_EQ(device.GetFeatureReportLength(), 0);
    EXPECT_EQ(device.GetInterfaceNumber(), 1);
}

INSTANTIATE_TEST_SUITE_P(Collections, CapabilitiesTest,
                         ::testing::Values(CapsCase{"&col01", 0x01, 0x06, 9, 0},
                                           CapsCase{"&col02", 0x01, 0x80, 2, 0},
                                           CapsCase{"&col03", 0x0C, 0x01, 3, 0},
                                           CapsCase{"&col04", 0xFF1C, 0x92, 64, 64}));

TEST_F(HidDeviceTest, OpenRefusesWhatItCannotServe)
{
    CHidDevice device;
    EXPECT_FALSE(device.Open("not a path", true, true, true, false));
    std::string path = FindPath("&col04");
    std::string missing = path;
    missing.replace(missing.find("keyboard.hid"), 12, "nothing.hid");
    EXPECT_FALSE(device.Open(missing.c_str(), true, true, true, false)); // no such socket
    // The socket serves 0x5055; a path for another product is not this interface.
    path.replace(path.find("pid_5055"), 8, "pid_221c");
    EXPECT_FALSE(device.Open(path.c_str(), true, true, true, false));
    EXPECT_FALSE(device.Open(("\\\\?\\ovhid#vid_320f&pid_5055#" + std::string(300, 'a') + "#{x}").c_str(),
                             true, true, true, false));
    EXPECT_FALSE(
        device.Open((FindPath("&col04").replace(FindPath("&col04").find("&col04"), 6, "&col09")).c_str(),
                    true, true, true, false)); // no ninth collection
    EXPECT_FALSE(device.IsOpen());
    EXPECT_EQ(device.GetInputReportLength(), 0);
}

TEST_F(HidDeviceTest, ReadTimesOutCleanlyAndTheNextReadWorks)
{
    CHidDevice device;
    OpenCollection(device, "&col04");
    uint8_t report[64];
    uint32_t got = 99;
    EXPECT_FALSE(device.ReadReport(report, sizeof report, &got, 100));
    EXPECT_EQ(got, 0u);
    EXPECT_FALSE(device.IsReading());
    Bytes sent(64, 0);
    sent[0] = 4;
    sent[3] = 0x33;
    peer_->SendInput(sent);
    ASSERT_TRUE(device.ReadReport(report, sizeof report, &got, 2000));
    EXPECT_EQ(got, 64u);
    EXPECT_EQ(Bytes(report, report + 64), sent);
}

TEST_F(HidDeviceTest, ReadsTakeOnlyTheirCollectionsReports)
{
    CHidDevice consumer, vendor;
    OpenCollection(consumer, "&col03");
    OpenCollection(vendor, "&col04");
    Bytes command(64, 0);
    command[0] = 4;
    command[3] = 0x07;
    peer_->SendInput({3, 0xE9, 0x00});
    peer_->SendInput(command);
    uint8_t report[64];
    uint32_t got = 0;
    ASSERT_TRUE(vendor.ReadReport(report, sizeof report, &got, 2000));
    EXPECT_EQ(report[0], 4);
    EXPECT_EQ(report[3], 0x07);
    ASSERT_TRUE(consumer.ReadReport(report, sizeof report, &got, 2000));
    EXPECT_EQ(got, 3u);
    EXPECT_EQ(Bytes(report, report + 3), (Bytes{3, 0xE9, 0x00}));
    EXPECT_FALSE(consumer.ReadReport(report, sizeof report, &got, 50)); // the command report is not its
}

TEST_F(HidDeviceTest, CloseOnAnotherThreadEndsABlockedRead)
{
    CHidDevice device;
    OpenCollection(device, "&col03");
    std::promise<bool> result;
    auto done = result.get_future();
    std::thread reader([&] {
        uint8_t report[3];
        uint32_t got = 0;
        result.set_value(device.ReadReport(report, sizeof report, &got, platform::kInfinite));
    });
    while (!device.IsReading()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    const auto start = Clock::now();
    device.Close();
    ASSERT_EQ(done.wait_for(std::chrono::seconds(5)), std::future_status::ready);
    EXPECT_FALSE(done.get());
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(2));
    reader.join();
    EXPECT_FALSE(device.IsOpen());
    // Nothing is left signalled: a fresh open reads normally.
    OpenCollection(device, "&col03");
    peer_->SendInput({3, 0xCD, 0x00});
    uint8_t report[3];
    uint32_t got = 0;
    EXPECT_TRUE(device.ReadReport(report, sizeof report, &got, 2000));
}

TEST_F(HidDeviceTest, ReadFailsAtOnceWhenTheDeviceGoesAway)
{
    CHidDevice device;
    OpenCollection(device, "&col04");
    peer_->DropConnections();
    uint8_t report[64];
    uint32_t got = 0;
    const auto start = Clock::now();
    EXPECT_FALSE(device.ReadReport(report, sizeof report, &got, 5000));
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(2));
}

TEST_F(HidDeviceTest, WritesSendWholeReportsOfTheirCollection)
{
    CHidDevice device;
    OpenCollection(device, "&col04");
    Bytes report(64, 0);
    report[0] = 4;
    uint32_t written = 0;
    EXPECT_TRUE(device.WriteReport(report.data(), 10, &written, 1000)); // padded to the report length
    EXPECT_EQ(written, 10u);
    report[0] = 3;
    EXPECT_FALSE(device.WriteReport(report.data(), 64, &written, 1000)); // not an output report here
    report[0] = 4;
    report.resize(65);
    EXPECT_FALSE(device.WriteReport(report.data(), 65, &written, 1000)); // longer than the report
    EXPECT_TRUE(device.SetOutputReport(report.data(), 64));
    ASSERT_TRUE(peer_->WaitForPackets(2, 2000));
    const auto packets = peer_->Received();
    ASSERT_EQ(packets.size(), 2u);
    EXPECT_EQ(packets[0].size(), 65u);
    EXPECT_EQ(packets[0][0], 1); // interrupt pipe
    EXPECT_EQ(packets[1][0], 2); // control pipe
}

TEST_F(HidDeviceTest, OpenOptionsLimitWhatTheHandleDoes)
{
    // The discovery probe's options: read, no write.
    CHidDevice probe;
    ASSERT_TRUE(probe.Open(FindPath("&col04").c_str(), true, false, true, false));
    Bytes report(64, 0);
    report[0] = 4;
    uint32_t written = 0;
    EXPECT_FALSE(probe.WriteReport(report.data(), 64, &written, 1000));
    EXPECT_FALSE(probe.SetOutputReport(report.data(), 64));

    CHidDevice writer;
    ASSERT_TRUE(writer.Open(FindPath("&col04").c_str(), false, true, true, false));
    uint32_t got = 0;
    EXPECT_FALSE(writer.ReadReport(report.data(), 64, &got, 10));
    EXPECT_TRUE(writer.WriteReport(report.data(), 64, &written, 1000));
    ASSERT_TRUE(peer_->WaitForPackets(1, 2000));
    EXPECT_EQ(peer_->Received().size(), 1u);
}

TEST_F(HidDeviceTest, ButtonItemTakesTheUsagesThatAreOn)
{
    CHidDevice device;
    OpenCollection(device, "&col03");
    ASSERT_EQ(device.GetInputDataItemCount(), 1u);
    HidDataItem& item = device.GetInputDataItems()[0];
    EXPECT_EQ(item.isButtonData, 1);
    EXPECT_EQ(item.usagePage, 0x0C);
    EXPECT_EQ(item.usageMin, 0u);
    EXPECT_EQ(item.usageMax, 0x3FFu);
    EXPECT_EQ(item.maxUsageListLength, 1u);
    EXPECT_EQ(item.reportId, 3u);

    const uint8_t volumeUp[] = {3, 0xE9, 0x00};
    ASSERT_TRUE(CHidDevice::UnpackReport(volumeUp, 3, HidReportKind::Input, device.GetInputDataItems(),
                                         device.GetInputDataItemCount(), device.GetPreparsedData()));
    EXPECT_EQ(item.isDataSet, 1);
    EXPECT_EQ(item.status, kHidStatusSuccess);
    EXPECT_EQ(item.usages[0], 0xE9);

    const uint8_t released[] = {3, 0x00, 0x00};
    ASSERT_TRUE(CHidDevice::UnpackReport(released, 3, HidReportKind::Input, device.GetInputDataItems(),
                                         device.GetInputDataItemCount(), device.GetPreparsedData()));
    EXPECT_EQ(item.usages[0], 0); // nothing on: the end mark
}

TEST_F(HidDeviceTest, ReportOfAnotherIdChangesNothing)
{
    CHidDevice device;
    OpenCollection(device, "&col03");
    HidDataItem& item = device.GetInputDataItems()[0];
    const uint8_t other[] = {4, 0xE9, 0x00};
    EXPECT_TRUE(CHidDevice::UnpackReport(other, 3, HidReportKind::Input, device.GetInputDataItems(),
                                         device.GetInputDataItemCount(), device.GetPreparsedData()));
    EXPECT_EQ(item.isDataSet, 0);
    EXPECT_EQ(item.usages[0], 0);
}

// Vendor page: a button range 1-8 on report 5, then values 1-3 (8 bits each, physical 0-1000).
const Bytes kValueDescriptor = {0x06, 0x00, 0xFF, 0x09, 0x01, 0xA1, 0x01, 0x85, 0x05, 0x19, 0x01,
                                0x29, 0x08, 0x15, 0x00, 0x25, 0x01, 0x75, 0x01, 0x95, 0x08, 0x81,
                                0x02, 0x19, 0x01, 0x29, 0x03, 0x26, 0xFF, 0x00, 0x35, 0x00, 0x46,
                                0xE8, 0x03, 0x75, 0x08, 0x95, 0x03, 0x81, 0x02, 0xC0};

TEST_F(HidDeviceTest, RangedValueCapabilityGivesOneItemPerUsage)
{
    PeerIdentity identity;
    identity.productId = 0x1111;
    identity.descriptor = kValueDescriptor;
    ScriptedPeer values(folder_.Path(), "values", identity);
    CHidDevice device;
    OpenCollection(device, "pid_1111");
    ASSERT_EQ(device.GetInputDataItemCount(), 4u); // one button item whatever its range, three values
    HidDataItem* items = device.GetInputDataItems();
    EXPECT_EQ(items[0].isButtonData, 1);
    EXPECT_EQ(items[0].usageMax, 8u);
    EXPECT_EQ(items[0].maxUsageListLength, 8u);
    for (uint32_t i = 1; i < 4; ++i) {
        EXPECT_EQ(items[i].isButtonData, 0);
        EXPECT_EQ(items[i].usage, i);
    }
    const uint8_t report[] = {5, 0b00010010, 0, 51, 255};
    ASSERT_TRUE(CHidDevice::UnpackReport(report, sizeof report, HidReportKind::Input, items, 4,
                                         device.GetPreparsedData()));
    EXPECT_EQ(items[0].usages[0], 2);
    EXPECT_EQ(items[0].usages[1], 5);
    EXPECT_EQ(items[0].usages[2], 0);
    EXPECT_EQ(items[2].rawValue, 51u);
    EXPECT_EQ(items[2].scaledValue, 200);
    EXPECT_EQ(items[3].scaledValue, 1000);
}

} // namespace
} // namespace test
