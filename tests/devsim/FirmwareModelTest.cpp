// The firmware models answered directly, without sockets: information blocks, memory reads and
// writes, range and checksum refusals, profile switches and the headset's lighting reports.

#include "tools/devsim/DeviceCatalog.h"
#include "tools/devsim/HeadsetFirmware.h"
#include "tools/devsim/KeyboardFirmware.h"
#include "tools/devsim/MouseFirmware.h"
#include "tools/devsim/ReceiverFirmware.h"

#include <gtest/gtest.h>

namespace devsim {
namespace {

Frame Answer(CFirmwareModel& f, const Frame& request)
{
    auto reply = f.HandleCommand(request);
    EXPECT_TRUE(reply.has_value());
    return reply.value_or(Frame{});
}

std::vector<uint8_t> ReadBlock(CFirmwareModel& f, uint8_t command, uint16_t offset, uint8_t length)
{
    const Frame r = Answer(f, MakeRequest(command, length, offset));
    EXPECT_EQ(r[7], kStatusOk);
    return {r.begin() + kPayloadOffset, r.begin() + kPayloadOffset + length};
}

TEST(FirmwareModel, ChecksumOfAnEmptyOpenCommandIsOne)
{
    const Frame f = MakeRequest(0x01, 0, 0);
    EXPECT_EQ(f[1], 1);
    EXPECT_EQ(f[2], 0);
}

TEST(FirmwareModel, InformationBlocksCarryWhatTheHostReads)
{
    for (const char* family : {"keyboard", "mouse", "mousepad", "headset"}) {
        SCOPED_TRACE(family);
        auto f = MakeFirmware(family);
        ASSERT_TRUE(f);
        // Read in the wireless chunking: 24 then 10 bytes.
        auto head = ReadBlock(*f, 0x03, 0, 24);
        auto tail = ReadBlock(*f, 0x03, 24, 10);
        head.insert(head.end(), tail.begin(), tail.end());
        ASSERT_EQ(head.size(), kInfoBlockSize);
        EXPECT_EQ(head[0], 0xAA);
        EXPECT_EQ(head[1], 0x55);
        EXPECT_EQ(head, f->Memory(Region::Info));
    }
    CKeyboardFirmware kb;
    EXPECT_EQ(kb.Memory(Region::Info)[5], CKeyboardFirmware::kKeyCount);
    EXPECT_EQ(kb.Memory(Region::Info)[6] * 128u, kb.Memory(Region::Macro).size());
    CMouseFirmware ms;
    const auto& mi = ms.Memory(Region::Info);
    EXPECT_EQ(mi[5] * 3u, ms.Memory(Region::KeyTable).size());
    EXPECT_EQ(mi[9] | mi[10] << 8, CMouseFirmware::kSensorId);
    EXPECT_EQ(mi[11], CMouseFirmware::kDpiStep);
    EXPECT_EQ(mi[12] | mi[13] << 8, CMouseFirmware::kHighestStep);
    EXPECT_EQ(mi[14] | mi[15] << 8, CMouseFirmware::kLowestDpi);
}

TEST(FirmwareModel, EveryReplyRepeatsTheRequestHeader)
{
    CKeyboardFirmware kb;
    for (uint8_t command : {0x01, 0x02, 0x03, 0x05, 0x07, 0x1A, 0x1B, 0x1C, 0x42}) {
        const Frame req = MakeRequest(command, 4, 2);
        const Frame r = Answer(kb, req);
        EXPECT_TRUE(std::equal(req.begin(), req.begin() + 7, r.begin())) << int(command);
    }
}

TEST(FirmwareModel, WritesLandInMemoryAndReadBack)
{
    struct Case
    {
        const char* family;
        uint8_t write;
        uint8_t read; // 0: not readable by the host
        Region region;
        uint16_t offset;
    };
    const Case cases[] = {
        {"keyboard", 0x06, 0x05, Region::Settings, 25},  {"keyboard", 0x09, 0x07, Region::KeyTable, 300},
        {"keyboard", 0x0B, 0, Region::Colours, 3 * 512}, {"keyboard", 0x15, 0, Region::Macro, 4000},
        {"keyboard", 0x12, 0, Region::Frame, 56},        {"mouse", 0x06, 0x05, Region::Settings, 4 * 128},
        {"mouse", 0x17, 0, Region::Recoil, 2864},        {"mousepad", 0x06, 0x05, Region::Settings, 3 * 64},
        {"headset", 0x06, 0x05, Region::Settings, 64},
    };
    const uint8_t payload[] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.family) + " " + RegionName(c.region));
        auto f = MakeFirmware(c.family);
        const Frame r = Answer(*f, MakeRequest(c.write, sizeof payload, c.offset, payload, sizeof payload));
        EXPECT_EQ(r[7], kStatusOk);
        const auto& m = f->Memory(c.region);
        EXPECT_TRUE(std::equal(std::begin(payload), std::end(payload), m.begin() + c.offset));
        if (c.read) {
            EXPECT_EQ(ReadBlock(*f, c.read, c.offset, sizeof payload),
                      std::vector<uint8_t>(std::begin(payload), std::end(payload)));
        }
    }
}

TEST(FirmwareModel, RefusesOutOfRangeAndBadChecksumWithoutChangingMemory)
{
    CKeyboardFirmware kb;
    const size_t settings = kb.Memory(Region::Settings).size();
    const uint8_t data[56] = {0x77};
    struct Case
    {
        const char* what;
        Frame request;
        uint8_t status;
    };
    Frame badSum = MakeRequest(0x06, 4, 0, data, 4);
    badSum[1] ^= 1;
    Case cases[] = {
        {"write past the end", MakeRequest(0x06, 4, static_cast<uint16_t>(settings - 3), data, 4),
         kStatusOutOfRange},
        {"offset beyond memory", MakeRequest(0x06, 1, 0xFFFF, data, 1), kStatusOutOfRange},
        {"read past the end", MakeRequest(0x05, 26, static_cast<uint16_t>(settings - 25)), kStatusOutOfRange},
        {"chunk over 56 bytes", MakeRequest(0x06, 57, 0, data, 56), kStatusOutOfRange},
        {"info beyond 34 bytes", MakeRequest(0x03, 2, 33), kStatusOutOfRange},
        {"key table bank 1", MakeRequest(0x09, 3, 512, data, 3), kStatusOutOfRange},
        {"unknown command", MakeRequest(0x42, 0, 0), kStatusOutOfRange},
        {"recoil on a keyboard", MakeRequest(0x17, 4, 0, data, 4), kStatusOutOfRange},
        {"bad checksum", badSum, kStatusBadChecksum},
    };
    const auto before = kb.SaveMemory();
    for (const Case& c : cases)
        EXPECT_EQ(Answer(kb, c.request)[7], c.status) << c.what;
    EXPECT_EQ(kb.SaveMemory(), before);
}

TEST(FirmwareModel, ProfileSwitchesChangeTheCurrentProfile)
{
    struct Case
    {
        const char* family;
        uint16_t code;
        uint8_t profile;
        size_t extraOffset; // 0: none
        uint8_t extraValue;
    };
    const Case cases[] = {
        {"keyboard", 0x1003, 3, 0, 0},         {"keyboard", 0x1123, 3, 3 * 25 + 17, 2},
        {"mouse", 0x1132, 2, 2 * 128 + 12, 3}, {"mouse", 0x1004, 4, 0, 0},
        {"mousepad", 0x1002, 2, 0, 0},         {"headset", 0x1101, 1, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.code);
        auto f = MakeFirmware(c.family);
        f->ApplyProfileSwitch(c.code);
        EXPECT_EQ(f->Memory(Region::Settings)[0], c.profile);
        if (c.extraOffset) {
            EXPECT_EQ(f->Memory(Region::Settings)[c.extraOffset], c.extraValue);
        }
    }
    // A profile the device does not have, or another event, changes nothing.
    CKeyboardFirmware kb;
    kb.ApplyProfileSwitch(0x1009);
    kb.ApplyProfileSwitch(0x1203);
    EXPECT_EQ(kb.Memory(Region::Settings)[0], 0);
}

TEST(FirmwareModel, BatteryRecordReadsAtOffsetZero)
{
    CMouseFirmware ms;
    ms.SetBattery(57, 1);
    const auto record = ReadBlock(ms, 0x1A, 0, 6);
    EXPECT_EQ(record[0], 57);
    EXPECT_EQ(record[1], 1);
    EXPECT_EQ(record[4], 57);
}

TEST(FirmwareModel, LightingFramesAreKeptInOrder)
{
    CKeyboardFirmware kb;
    for (uint8_t n = 1; n <= 3; ++n) {
        const uint8_t chunk[56] = {n};
        for (uint16_t off = 0; off < 112; off += 56)
            Answer(kb, MakeRequest(0x12, 56, off, chunk, 56));
    }
    ASSERT_EQ(kb.CompletedFrames().size(), 2u);
    EXPECT_EQ(kb.CompletedFrames()[0][0], 1);
    EXPECT_EQ(kb.CompletedFrames()[1][56], 2);
    EXPECT_EQ(kb.Memory(Region::Frame)[0], 3);
    EXPECT_EQ(kb.CommandCount(0x12), 6);
}

TEST(HeadsetFirmware, LightingReportsSetEachBankAndRejectOthers)
{
    CHeadsetFirmware hs;
    std::vector<uint8_t> report(17, 0);
    report[0] = 0xFF;
    report[1] = 0x44;
    report[2] = 0xAE; // green of LEDs 7-12
    for (int i = 0; i < 6; ++i)
        report[4 + i] = static_cast<uint8_t>(10 + i);
    hs.HandleOutputReport(report);
    EXPECT_EQ(hs.BankColours(1)[7 * 3 + 1], 10);
    EXPECT_EQ(hs.BankColours(1)[12 * 3 + 1], 15);
    EXPECT_EQ(hs.BankColours(0)[7 * 3 + 1], 0);
    report[1] = 0x33; // no such bank
    hs.HandleOutputReport(report);
    hs.HandleOutputReport(std::vector<uint8_t>(16, 0xFF));
    EXPECT_EQ(hs.LightReportCount(), 1);
    EXPECT_EQ(hs.RejectedReportCount(), 2);
}

TEST(ReceiverFirmware, AnswersTheOnlineQueryAndForwardsWhileOnline)
{
    auto kb = std::make_shared<CKeyboardFirmware>();
    CReceiverFirmware rx(kb);
    auto online = rx.HandleCommand(MakeRequest(kOnlineQuery, 0, 0));
    EXPECT_EQ((*online)[3], kOnlineQuery);
    EXPECT_EQ((*online)[8], 0xFF);
    EXPECT_EQ((*rx.HandleCommand(MakeRequest(0x03, 24, 0)))[8], 0xAA);
    rx.SetDeviceOnline(false);
    EXPECT_EQ((*rx.HandleCommand(MakeRequest(kOnlineQuery, 0, 0)))[8], 0x00);
    const auto offline = rx.HandleCommand(MakeRequest(0x05, 1, 0));
    EXPECT_EQ((*offline)[3], kOnlineQuery);
    EXPECT_EQ(kb->CommandCount(0x05), 0);
}

TEST(FirmwareModel, MemoryLoadRefusesWrongSizesWhole)
{
    CKeyboardFirmware a;
    a.Memory(Region::Settings)[0] = 5;
    Json::Value saved = a.SaveMemory();
    CKeyboardFirmware b;
    std::string error;
    EXPECT_TRUE(b.LoadMemory(saved, error));
    EXPECT_EQ(b.Memory(Region::Settings)[0], 5);
    saved["keyTable"] = "00";
    CKeyboardFirmware c;
    EXPECT_FALSE(c.LoadMemory(saved, error));
    EXPECT_EQ(c.Memory(Region::Settings)[0], 0);
    Json::Value unknown(Json::objectValue);
    unknown["nonsense"] = "00";
    EXPECT_FALSE(c.LoadMemory(unknown, error));
}

} // namespace
} // namespace devsim
