// Each firmware model driven through the host's CDeviceLink over the virtual HID back end: what
// the device holds afterwards, what the operations read back, and the result codes of every fault.

#include "link/DeviceLink.h"

#include "SimulatorFixture.h"

#include "tools/devsim/HeadsetFirmware.h"
#include "tools/devsim/KeyboardFirmware.h"
#include "tools/devsim/MouseFirmware.h"

#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <numeric>
#include <string>
#include <thread>

namespace devsim {
namespace {

std::vector<uint8_t> Pattern(size_t size, uint8_t seed)
{
    std::vector<uint8_t> v(size);
    for (size_t i = 0; i < size; ++i)
        v[i] = static_cast<uint8_t>(seed + i * 7);
    return v;
}

class DeviceLinkOverSimulator : public test::SimulatorFixture
{
protected:
    void TearDown() override
    {
        link_.reset();
        SimulatorFixture::TearDown();
    }
    // Adds the product and opens a command link on its command collection, wired (link A) or
    // through a receiver (link B).
    CDeviceLink& Connect(const std::string& product, const std::string& fragment, bool wireless = false)
    {
        if (!sim_->HasDevice(product)) {
            EXPECT_TRUE(sim_->AddDevice(product)) << sim_->LastError();
        }
        link_ = std::make_unique<CDeviceLink>();
        const auto paths = PathsWith(fragment);
        EXPECT_EQ(paths.size(), 1u) << fragment;
        const std::string path = paths.empty() ? std::string() : paths[0];
        CHidDevice& side = wireless ? link_->LinkB() : link_->LinkA();
        EXPECT_TRUE(side.Open(path.c_str(), true, true, true, false));
        link_->SetOpen(true);
        link_->SetLinkMode(wireless ? kLinkModeWireless : kLinkModeWired);
        return *link_;
    }

    std::unique_ptr<CDeviceLink> link_;
};

constexpr const char* kKeyboardCommand = "vid_320f&pid_5055&mi_01&col04";
constexpr const char* kMouseCommand = "vid_320f&pid_221c&mi_01&col04";
constexpr const char* kReceiverCommand = "vid_320f&pid_0000&mi_01&col04";
constexpr const char* kHeadsetCommand = "vid_0c76&pid_0000&mi_03#";

TEST_F(DeviceLinkOverSimulator, KeyboardMemoryThroughEveryOperation)
{
    CDeviceLink& link = Connect("keyboard", kKeyboardCommand);
    EXPECT_EQ(link.BeginTransfer(), kLinkOk);
    uint8_t info[34] = {};
    ASSERT_EQ(link.ReadDeviceInfoBlock(info), kLinkOk);
    EXPECT_EQ(info[0], 0xAA);
    EXPECT_EQ(info[1], 0x55);
    const int keys = info[5];
    EXPECT_EQ(keys, CKeyboardFirmware::kKeyCount);
    ASSERT_TRUE(link.SetTransferSize(static_cast<uint16_t>(keys * 3)));
    uint8_t table[512] = {};
    ASSERT_EQ(link.ReadKeyTable(table), kLinkOk);
    const auto deviceTable = sim_->ReadMemory("keyboard", Region::KeyTable);
    EXPECT_TRUE(std::equal(deviceTable.begin(), deviceTable.end(), table));
    uint8_t leds[512] = {};
    ASSERT_EQ(link.ReadKeyTableCompanion(leds), kLinkOk);
    EXPECT_EQ(leds[keys - 1], keys - 1);

    // The lighting record of profile 1: 26 bytes from one byte before its 25.
    const auto record = Pattern(26, 3);
    ASSERT_EQ(link.WriteSettings(25, record.data(), 26), kLinkOk);
    uint8_t back[26] = {};
    ASSERT_EQ(link.ReadSettings(25, back, 26), kLinkOk);
    EXPECT_TRUE(std::equal(record.begin(), record.end(), back));

    const auto newTable = Pattern(keys * 3, 9);
    ASSERT_EQ(link.WriteKeyTable(newTable.data(), 0), kLinkOk);
    EXPECT_EQ(sim_->ReadMemory("keyboard", Region::KeyTable), newTable);
    EXPECT_EQ(link.WriteKeyTable(newTable.data(), 1), kLinkBadBank);

    const auto colours = Pattern(keys * 3, 21);
    ASSERT_EQ(link.WriteCustomColours(3, colours.data(), static_cast<uint32_t>(colours.size())), kLinkOk);
    const auto colourMemory = sim_->ReadMemory("keyboard", Region::Colours);
    EXPECT_TRUE(std::equal(colours.begin(), colours.end(), colourMemory.begin() + 3 * 512));

    const auto macro = Pattern(500, 33);
    ASSERT_EQ(link.WriteMacroData(macro.data(), 500), kLinkOk);
    EXPECT_TRUE(std::equal(macro.begin(), macro.end(), sim_->ReadMemory("keyboard", Region::Macro).begin()));

    const auto frame = Pattern(510, 44);
    ASSERT_EQ(link.WriteLightingFrame(frame.data(), 510), kLinkOk);
    const auto frameMemory = sim_->ReadMemory("keyboard", Region::Frame);
    EXPECT_TRUE(std::equal(frame.begin(), frame.end(), frameMemory.begin()));

    ASSERT_TRUE(sim_->SetBattery("keyboard", 57, 1));
    uint8_t battery[6] = {};
    ASSERT_EQ(link.ReadStatusBlock(0, battery, 6), kLinkOk);
    EXPECT_EQ(battery[0], 57);
    EXPECT_EQ(link.TakeLightingControl(), kLinkOk);
    EXPECT_EQ(link.EndTransfer(), kLinkOk);
    const Json::Value dump = sim_->Dump("keyboard");
    EXPECT_EQ(dump["firmware"]["commands"]["0x1c"].asInt(), 1);
    EXPECT_EQ(dump["firmware"]["commands"]["0x12"].asInt(), 10); // 510 bytes in 56-byte chunks
    EXPECT_FALSE(dump["firmware"]["transferOpen"].asBool());
}

TEST_F(DeviceLinkOverSimulator, OutOfRangeRequestsReturnTheStatusCode)
{
    CDeviceLink& link = Connect("keyboard", kKeyboardCommand);
    uint8_t buffer[512] = {};
    EXPECT_EQ(link.ReadSettings(190, buffer, 26), kLinkStatusFF);
    // A block larger than the macro memory: the device keeps the whole chunks that fitted.
    const auto macro = Pattern(CKeyboardFirmware::kMacroUnits * 128 + 56, 5);
    EXPECT_EQ(link.WriteMacroData(macro.data(), static_cast<uint32_t>(macro.size())), kLinkStatusFF);
    const auto memory = sim_->ReadMemory("keyboard", Region::Macro);
    const size_t fitted = memory.size() / 56 * 56;
    EXPECT_TRUE(std::equal(memory.begin(), memory.begin() + fitted, macro.begin()));
    EXPECT_TRUE(std::all_of(memory.begin() + fitted, memory.end(), [](uint8_t b) { return b == 0; }));
    // A request with a wrong checksum is refused with 0xFE; Transact itself succeeds.
    CommandFrame bad = CommandFrame::Request(kCmdReadSettings, 1, 0);
    bad.bytes[1] ^= 0x55;
    uint8_t reply[64] = {};
    uint32_t got = 0;
    ASSERT_EQ(link.Transact(bad.data(), 64, reply, 64, &got), kLinkOk);
    EXPECT_EQ(reply[7], 0xFE);
}

TEST_F(DeviceLinkOverSimulator, MouseSettingsAndRecoilBlock)
{
    CDeviceLink& link = Connect("mouse", kMouseCommand);
    uint8_t info[32] = {};
    uint16_t tail = 0;
    ASSERT_EQ(link.ReadDeviceInfo(info, &tail), kLinkOk);
    EXPECT_EQ(info[9] | info[10] << 8, CMouseFirmware::kSensorId);
    EXPECT_EQ(info[11], CMouseFirmware::kDpiStep);
    EXPECT_EQ(info[12] | info[13] << 8, CMouseFirmware::kHighestStep);
    EXPECT_EQ(info[14] | info[15] << 8, CMouseFirmware::kLowestDpi);
    ASSERT_TRUE(link.SetTransferSize(info[5] * 3));
    uint8_t keys[512] = {};
    EXPECT_EQ(link.ReadKeyTable(keys), kLinkOk);

    const auto block = Pattern(66, 1);
    ASSERT_EQ(link.WriteSettings(4 * 128, block.data(), 66), kLinkOk);
    uint8_t back[71] = {};
    ASSERT_EQ(link.ReadSettings(4 * 128, back, 71), kLinkOk);
    EXPECT_TRUE(std::equal(block.begin(), block.end(), back));

    const auto recoil = Pattern(2920, 77); // four full tables
    ASSERT_EQ(link.WriteBulkBlock(recoil.data(), 2920), kLinkOk);
    const auto memory = sim_->ReadMemory("mouse", Region::Recoil);
    EXPECT_TRUE(std::equal(recoil.begin(), recoil.end(), memory.begin()));
}

TEST_F(DeviceLinkOverSimulator, PadAndHeadsetLightingBlocks)
{
    struct Case
    {
        const char* product;
        const char* fragment;
    };
    for (const Case& c : {Case{"mousepad", kReceiverCommand}, Case{"headset", kHeadsetCommand}}) {
        SCOPED_TRACE(c.product);
        CDeviceLink& link = Connect(c.product, c.fragment);
        const auto block = Pattern(21, 11);
        ASSERT_EQ(link.WriteSettings(64, block.data(), 21), kLinkOk);
        const auto memory = sim_->ReadMemory(c.product, Region::Settings);
        EXPECT_TRUE(std::equal(block.begin(), block.end(), memory.begin() + 64));
        uint8_t profile = 0xEE;
        ASSERT_EQ(link.ReadSettings(0, &profile, 1), kLinkOk);
        EXPECT_EQ(profile, 0);
        uint8_t record[26] = {};
        EXPECT_EQ(link.ReadSettings(25, record, 26), kLinkOk);
    }
    // The headset's lighting arrives as 17-byte output reports on the control pipe.
    uint8_t report[17] = {0xFF, 0x44, 0xAC, 0};
    report[4] = 200;
    ASSERT_TRUE(link_->LinkA().SetOutputReport(report, sizeof report));
    uint8_t profile = 0;
    ASSERT_EQ(link_->ReadSettings(0, &profile, 1), kLinkOk); // the report before it was taken
    bool seen = false;
    sim_->WithFirmware("headset", [&](CFirmwareModel& f) {
        seen = static_cast<CHeadsetFirmware&>(f).BankColours(1)[2] == 200;
    });
    EXPECT_TRUE(seen);
}

TEST_F(DeviceLinkOverSimulator, ReceiverOnlineQueryAndOfflineDevice)
{
    ASSERT_TRUE(sim_->AddDevice("keyboard-receiver"));
    CDeviceLink& link = Connect("keyboard-receiver", kReceiverCommand, true);
    EXPECT_TRUE(link.QueryWirelessOnline());
    uint8_t info[34] = {};
    ASSERT_EQ(link.ReadDeviceInfoBlock(info), kLinkOk); // 24 + 10 bytes
    EXPECT_EQ(info[5], CKeyboardFirmware::kKeyCount);
    const uint8_t profile = 2;
    ASSERT_EQ(link.WriteSettings(0, &profile, 1), kLinkOk);
    EXPECT_EQ(sim_->ReadMemory("keyboard-receiver", Region::Settings)[0], 2);

    ASSERT_TRUE(sim_->SetOnline("keyboard-receiver", false));
    EXPECT_FALSE(link.QueryWirelessOnline());
    uint8_t byte = 0;
    EXPECT_EQ(link.ReadSettings(0, &byte, 1), kLinkWirelessAa);
}

// Every fault mode as the link reports it. Faults apply to one request unless stated.
TEST_F(DeviceLinkOverSimulator, FaultModesGiveTheirResultCodes)
{
    CDeviceLink& link = Connect("keyboard", kKeyboardCommand);
    struct Case
    {
        const char* what;
        Fault fault;
        int expected;
    };
    const Case cases[] = {
        {"status 0xFF", {FaultKind::Status, kCmdReadSettings, 0, 1, 0, 0xFF, 1}, kLinkStatusFF},
        {"status 0xFE", {FaultKind::Status, kCmdReadSettings, 0, 1, 0, 0xFE, 1}, kLinkStatusFE},
        {"reply dropped", {FaultKind::Drop, kCmdReadSettings, 0, 1, 0, 0, 1}, kLinkNotSent},
        {"reply delayed within the time-out", {FaultKind::Delay, kCmdReadSettings, 0, 1, 200, 0, 1}, kLinkOk},
        {"one stray reply first", {FaultKind::OtherCommand, kCmdReadSettings, 0, 1, 0, 0x12, 1}, kLinkOk},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(sim_->AddFault("keyboard", c.fault));
        uint8_t byte = 0xEE;
        EXPECT_EQ(link.ReadSettings(0, &byte, 1), c.expected);
        ASSERT_TRUE(sim_->ClearFaults("keyboard"));
        // The link is clean again for the next case.
        EXPECT_EQ(link.BeginTransfer(), kLinkOk);
    }

    // Two stray replies: the second is taken as the answer; the real one is skipped by the next.
    ASSERT_TRUE(sim_->AddFault("keyboard", {FaultKind::OtherCommand, kCmdReadSettings, 0, 1, 0, 0x12, 2}));
    uint8_t byte = 0;
    EXPECT_EQ(link.ReadSettings(0, &byte, 1), kLinkOk);
    EXPECT_EQ(link.BeginTransfer(), kLinkOk);

    // A reply later than the time-out is a failed read.
    ASSERT_TRUE(sim_->AddFault("keyboard", {FaultKind::Delay, kCmdReadSettings, 0, 1, 1500, 0, 1}));
    EXPECT_EQ(link.ReadSettings(0, &byte, 1), kLinkNotSent);
    std::this_thread::sleep_for(std::chrono::milliseconds(700)); // let the late reply arrive
    EXPECT_EQ(link.BeginTransfer(), kLinkOk);                    // and be skipped

    // Vanishing in the middle of a chunked write: the first chunk stays, the rest is lost.
    ASSERT_TRUE(sim_->AddFault("keyboard", {FaultKind::Vanish, kCmdWriteMacroData, 1, 1, 0, 0, 1}));
    const auto macro = Pattern(300, 90);
    EXPECT_NE(link.WriteMacroData(macro.data(), 300), kLinkOk);
    EXPECT_FALSE(sim_->IsPlugged("keyboard"));
    const auto memory = sim_->ReadMemory("keyboard", Region::Macro);
    EXPECT_TRUE(std::equal(macro.begin(), macro.begin() + 56, memory.begin()));
    EXPECT_EQ(memory[56], 0);
    EXPECT_NE(link.BeginTransfer(), kLinkOk);
}

TEST_F(DeviceLinkOverSimulator, WirelessStrayAaReplyIsReported)
{
    ASSERT_TRUE(sim_->AddDevice("mouse-receiver"));
    CDeviceLink& link = Connect("mouse-receiver", kReceiverCommand, true);
    ASSERT_TRUE(
        sim_->AddFault("mouse-receiver", {FaultKind::OtherCommand, kCmdReadSettings, 0, 1, 0, 0xAA, 1}));
    uint8_t byte = 0;
    EXPECT_EQ(link.ReadSettings(0, &byte, 1), kLinkWirelessAa);
}

} // namespace
} // namespace devsim
