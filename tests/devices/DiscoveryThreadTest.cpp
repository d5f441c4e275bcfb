// The discovery thread against the simulator: arrivals found in the first scan, removals, a second
// identical keyboard, receiver rows, refused usages, a failing listing and a prompt stop.

#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>

#include "DiscoveryFixture.h"
#include "FakeHidrawTree.h"
#include "platform/DebugOutput.h"
#include "tools/devsim/DeviceCatalog.h"
#include "tools/devsim/HidSocketServer.h"

namespace discovery_test {
namespace {

using Kind = Report::Kind;

bool Has(const std::vector<int>& slots, int slot)
{
    return std::find(slots.begin(), slots.end(), slot) != slots.end();
}

// Done once this many arrivals are recorded.
std::function<bool(const std::vector<Report>&)> ArrivalsReach(size_t count)
{
    return [count](const std::vector<Report>& reports) {
        return static_cast<size_t>(std::count_if(reports.begin(), reports.end(), [](const Report& r) {
                   return r.kind == Kind::Arrived;
               })) >= count;
    };
}

// One extra interface served beside the simulator's, e.g. a second product with the same ids.
class ExtraInterface
{
public:
    ExtraInterface(const std::string& socketPath, uint16_t vid, uint16_t pid, uint8_t mi,
                   devsim::DescriptorKind descriptor)
    {
        server_.Start();
        devsim::HidInterfaceInfo info;
        info.vendorId = vid;
        info.productId = pid;
        info.interfaceNumber = mi;
        info.descriptor = devsim::DescriptorBytes(descriptor);
        id_ = server_.AddInterface(socketPath, info, [](int, uint8_t, std::span<const uint8_t>) {});
    }
    ~ExtraInterface() { Unplug(); }
    bool Ok() const { return id_ >= 0; }
    void Unplug()
    {
        if (id_ >= 0) {
            server_.RemoveInterface(id_);
            id_ = -1;
        }
    }

private:
    devsim::CHidSocketServer server_;
    int id_ = -1;
};

TEST_F(DiscoveryFixture, KeyboardPresentAtStartIsReportedBeforeTheFirstScanEnds)
{
    ASSERT_TRUE(sim_->AddDevice("keyboard"));
    ASSERT_TRUE(discovery_->Start());
    ASSERT_TRUE(listener_.WaitForReport(Kind::FirstScan, -1));

    const std::vector<Report> reports = listener_.Reports();
    std::vector<int> beforeFirstScan;
    for (const Report& r : reports) {
        if (r.kind == Kind::FirstScan) {
            break;
        }
        EXPECT_EQ(r.kind, Kind::Arrived);
        beforeFirstScan.push_back(r.slot);
        // The slot is held, with the interface's path, while its arrival is handled.
        EXPECT_EQ(r.seen.connected, 1);
        EXPECT_NE(r.seen.path.find("vid_320f&pid_5055&mi_01"), std::string::npos) << r.seen.path;
    }
    std::sort(beforeFirstScan.begin(), beforeFirstScan.end());
    EXPECT_EQ(beforeFirstScan, (std::vector<int>{0, 1}));
    EXPECT_NE(slots_.Slot(0).path.find("&col04"), std::string::npos);
    EXPECT_NE(slots_.Slot(1).path.find("&col03"), std::string::npos);
    // Reported once per start, and nothing else arrives while the keyboard stays.
    platform::SleepMs(350);
    EXPECT_EQ(listener_.Slots(Kind::FirstScan).size(), 1u);
    EXPECT_EQ(listener_.Slots(Kind::Arrived).size(), 2u);
    EXPECT_TRUE(listener_.Slots(Kind::Removed).empty());
}

TEST_F(DiscoveryFixture, UnplugReleasesBothSlotsAndReplugClaimsThemAgain)
{
    ASSERT_TRUE(discovery_->Start());
    ASSERT_TRUE(listener_.WaitForReport(Kind::FirstScan, -1));
    EXPECT_TRUE(listener_.Slots(Kind::Arrived).empty());

    ASSERT_TRUE(sim_->AddDevice("keyboard"));
    ASSERT_TRUE(listener_.WaitForReport(Kind::Arrived, 0));
    ASSERT_TRUE(listener_.WaitForReport(Kind::Arrived, 1));

    listener_.Clear();
    ASSERT_TRUE(sim_->Unplug("keyboard"));
    ASSERT_TRUE(listener_.WaitForReport(Kind::Removed, 0));
    ASSERT_TRUE(listener_.WaitForReport(Kind::Removed, 1));
    for (const Report& r : listener_.Reports()) {
        // Released before the removal is handled.
        EXPECT_EQ(r.seen.connected, 0);
        EXPECT_TRUE(r.seen.path.empty());
    }
    EXPECT_TRUE(slots_.ConnectedSlots().empty());

    listener_.Clear();
    ASSERT_TRUE(sim_->Plug("keyboard"));
    ASSERT_TRUE(listener_.WaitForReport(Kind::Arrived, 0));
    ASSERT_TRUE(listener_.WaitForReport(Kind::Arrived, 1));
}

TEST_F(DiscoveryFixture, SecondIdenticalKeyboardWaitsUntilTheFirstGoes)
{
    ASSERT_TRUE(sim_->AddDevice("keyboard"));
    ASSERT_TRUE(discovery_->Start());
    ASSERT_TRUE(listener_.WaitForReport(Kind::FirstScan, -1));
    const std::string firstPath = slots_.Slot(0).path;

    ExtraInterface second(folder_ + "/hid/second-keyboard-mi01.hid", 0x320F, 0x5055, 1,
                          devsim::DescriptorKind::CommandInterface);
    ASSERT_TRUE(second.Ok());
    platform::SleepMs(400); // several cycles
    EXPECT_EQ(listener_.Slots(Kind::Arrived).size(), 2u);
    EXPECT_EQ(slots_.Slot(0).path, firstPath);

    listener_.Clear();
    ASSERT_TRUE(sim_->Unplug("keyboard"));
    ASSERT_TRUE(listener_.WaitFor(ArrivalsReach(2)));
    const std::vector<int> removed = listener_.Slots(Kind::Removed);
    EXPECT_TRUE(Has(removed, 0) && Has(removed, 1));
    EXPECT_NE(slots_.Slot(0).path.find("second-keyboard-mi01.hid"), std::string::npos) << slots_.Slot(0).path;
    EXPECT_NE(slots_.Slot(1).path.find("second-keyboard-mi01.hid"), std::string::npos);
}

TEST_F(DiscoveryFixture, ReceiverTakesItsOwnRowsBesideTheCable)
{
    ASSERT_TRUE(sim_->AddDevice("keyboard"));
    ASSERT_TRUE(sim_->AddDevice("keyboard-receiver"));
    ASSERT_TRUE(discovery_->Start());
    ASSERT_TRUE(listener_.WaitFor(ArrivalsReach(4)));
    std::vector<int> arrived = listener_.Slots(Kind::Arrived);
    std::sort(arrived.begin(), arrived.end());
    EXPECT_EQ(arrived, (std::vector<int>{0, 1, 2, 3}));
    EXPECT_EQ(slots_.Slot(2).kind, kKindKeyboardReceiver);
    EXPECT_TRUE(slots_.PartnerAttached(0));
    EXPECT_TRUE(slots_.PartnerAttached(2));
    // Later cycles do not offer the receiver's interfaces to the other rows that describe them.
    platform::SleepMs(250);
    EXPECT_EQ(listener_.Slots(Kind::Arrived).size(), 4u);

    // Moving to the receiver: the cable's slots go, the receiver's stay.
    listener_.Clear();
    ASSERT_TRUE(sim_->SwitchLink("keyboard", devsim::LinkChoice::Receiver));
    ASSERT_TRUE(listener_.WaitForReport(Kind::Removed, 0));
    ASSERT_TRUE(listener_.WaitForReport(Kind::Removed, 1));
    platform::SleepMs(250);
    EXPECT_EQ(listener_.Slots(Kind::Removed).size(), 2u);
    EXPECT_TRUE(listener_.Slots(Kind::Arrived).empty());
    EXPECT_FALSE(slots_.PartnerAttached(2));
}

TEST_F(DiscoveryFixture, SecondProductIdZeroDeviceTakesTheNextRows)
{
    ASSERT_TRUE(sim_->AddDevice("keyboard-receiver"));
    ASSERT_TRUE(sim_->AddDevice("mouse-receiver"));
    ASSERT_TRUE(discovery_->Start());
    ASSERT_TRUE(listener_.WaitFor(ArrivalsReach(4)));
    platform::SleepMs(250);
    std::vector<int> arrived = listener_.Slots(Kind::Arrived);
    std::sort(arrived.begin(), arrived.end());
    // The table tells the two apart only by order: the first listed takes the keyboard receiver's rows.
    EXPECT_EQ(arrived, (std::vector<int>{2, 3, 6, 7}));
    EXPECT_NE(slots_.Slot(2).path.find("keyboard-receiver"), std::string::npos);
    EXPECT_NE(slots_.Slot(6).path.find("mouse-receiver"), std::string::npos);
}

TEST_F(DiscoveryFixture, MatchingIdsWithOtherUsagesAreProbedButNeverArrive)
{
    // The headset's ids and interface, but a boot keyboard's usages in its single collection.
    ExtraInterface odd(folder_ + "/hid/odd-mi03.hid", 0x0C76, 0x0000, 3,
                       devsim::DescriptorKind::BootKeyboard);
    ASSERT_TRUE(odd.Ok());
    ASSERT_TRUE(sim_->AddDevice("headset"));
    ASSERT_TRUE(discovery_->Start());
    ASSERT_TRUE(listener_.WaitForReport(Kind::FirstScan, -1));
    platform::SleepMs(250);
    EXPECT_EQ(listener_.Slots(Kind::Arrived), std::vector<int>{10});
    EXPECT_NE(slots_.Slot(10).path.find(sim_->SocketPath("headset", 3)), std::string::npos);
}

TEST_F(DiscoveryFixture, HidrawNodeReplacedUnderItsNameIsListedAgain)
{
    const auto command = devsim::DescriptorBytes(devsim::DescriptorKind::CommandInterface);
    fake_hidraw::AddNode(sysfs_, 0, 0x1234, 0x0001, 1, command);
    ASSERT_TRUE(discovery_->Start());
    ASSERT_TRUE(listener_.WaitForReport(Kind::FirstScan, -1));
    platform::SleepMs(250); // cycles that find the folders unchanged
    EXPECT_TRUE(listener_.Slots(Kind::Arrived).empty());

    // The same node name now serves the keyboard's interface 1.
    fake_hidraw::RemoveNode(sysfs_, 0);
    fake_hidraw::AddNode(sysfs_, 0, 0x320F, 0x5055, 1, command);
    // Sooner than the periodic full listing would find it.
    const int withinMs =
        static_cast<int>(CDeviceDiscovery::kFullListingCycles * CDeviceDiscovery::kCycleMs) / 2;
    ASSERT_TRUE(listener_.WaitForReport(Kind::Arrived, 0, withinMs));
    ASSERT_TRUE(listener_.WaitForReport(Kind::Arrived, 1));
    EXPECT_NE(slots_.Slot(0).path.find("#hidraw0#"), std::string::npos) << slots_.Slot(0).path;

    // And back to another product: the held path no longer names the keyboard.
    fake_hidraw::RemoveNode(sysfs_, 0);
    fake_hidraw::AddNode(sysfs_, 0, 0x1234, 0x0001, 1, command);
    ASSERT_TRUE(listener_.WaitForReport(Kind::Removed, 0));
    ASSERT_TRUE(listener_.WaitForReport(Kind::Removed, 1));
}

TEST_F(DiscoveryFixture, FailingListingIsRetriedAndRemovalsStillCount)
{
    ASSERT_TRUE(sim_->AddDevice("keyboard"));
    ASSERT_TRUE(discovery_->Start());
    ASSERT_TRUE(listener_.WaitForReport(Kind::Arrived, 0));
    ASSERT_TRUE(listener_.WaitForReport(Kind::Arrived, 1));

    // A class folder that cannot be read makes every listing fail.
    const std::string classFolder = sysfs_ + "/class/hidraw";
    std::filesystem::remove_all(classFolder);
    std::filesystem::create_directory_symlink(classFolder, classFolder); // a loop: opendir fails
    ASSERT_TRUE(sim_->Unplug("keyboard"));
    ASSERT_TRUE(listener_.WaitForReport(Kind::Removed, 0));
    ASSERT_TRUE(listener_.WaitForReport(Kind::Removed, 1));

    listener_.Clear();
    ASSERT_TRUE(sim_->Plug("keyboard"));
    platform::SleepMs(250);
    EXPECT_TRUE(listener_.Slots(Kind::Arrived).empty());
    EXPECT_TRUE(discovery_->IsRunning());

    std::filesystem::remove(classFolder);
    std::filesystem::create_directory(classFolder);
    ASSERT_TRUE(listener_.WaitForReport(Kind::Arrived, 0));
    ASSERT_TRUE(listener_.WaitForReport(Kind::Arrived, 1));
}

TEST_F(DiscoveryFixture, FirstScanIsReportedEvenWhenTheListingFails)
{
    const std::string classFolder = sysfs_ + "/class/hidraw";
    std::filesystem::remove_all(classFolder);
    std::filesystem::create_directory_symlink(classFolder, classFolder);
    ASSERT_TRUE(discovery_->Start());
    EXPECT_TRUE(listener_.WaitForReport(Kind::FirstScan, -1));
}

TEST_F(DiscoveryFixture, StopIsPromptAndWritesItsLine)
{
    ASSERT_TRUE(sim_->AddDevice("keyboard"));
    ASSERT_TRUE(sim_->AddDevice("mouse"));
    platform::DebugCapture capture;
    ASSERT_TRUE(discovery_->Start());
    EXPECT_FALSE(discovery_->Start());
    ASSERT_TRUE(listener_.WaitForReport(Kind::FirstScan, -1));
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(discovery_->Stop(1000), platform::StopResult::Ended);
    // Generous: the thread waits on its stop event, so it ends within one cycle's work.
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(900));
    EXPECT_TRUE(capture.Contains(CDeviceDiscovery::kStopLine));
    EXPECT_FALSE(discovery_->IsRunning());

    // A new start reports its first pass again; the slots it holds are not offered twice.
    listener_.Clear();
    ASSERT_TRUE(discovery_->Start());
    ASSERT_TRUE(listener_.WaitForReport(Kind::FirstScan, -1));
    EXPECT_TRUE(listener_.Slots(Kind::Arrived).empty());
}

} // namespace
} // namespace discovery_test
