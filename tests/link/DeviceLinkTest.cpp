// The command channel against a scripted device on the virtual back end.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <thread>

#include "LinkFixture.h"
#include "platform/DebugOutput.h"

namespace test {
namespace {

using Clock = std::chrono::steady_clock;

Bytes InputPacket(const Bytes& report)
{
    Bytes packet(report.size() + 1, 0x81);
    std::copy(report.begin(), report.end(), packet.begin() + 1);
    return packet;
}

// Firmware that fills each reply's payload with (offset + i) & 0xFF, so reads can be checked.
ScriptedPeer::Handler PatternFirmware(uint8_t status = 0)
{
    return [status](uint8_t kind, const Bytes& request) -> std::vector<Bytes> {
        if (kind != 1) {
            return {};
        }
        Bytes reply = ReplyTo(request, status);
        const unsigned offset = request[5] | (request[6] << 8);
        for (unsigned i = 0; i < request[4] && i < 56; ++i) {
            reply[8 + i] = static_cast<uint8_t>(offset + i);
        }
        return {InputPacket(reply)};
    };
}

struct Frame
{
    uint8_t command;
    uint8_t length;
    uint16_t offset;
    bool operator==(const Frame&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Frame& f)
{
    return out << "{cmd " << int(f.command) << " len " << int(f.length) << " off " << f.offset << "}";
}

class DeviceLinkTest : public VirtualDeviceTest
{
protected:
    // The command requests the peer received, in order.
    std::vector<Bytes> Requests() const
    {
        std::vector<Bytes> out;
        for (const Bytes& p : peer_->Received()) {
            if (p[0] == 1) {
                out.emplace_back(p.begin() + 1, p.end());
            }
        }
        return out;
    }

    std::vector<Frame> Frames() const
    {
        std::vector<Frame> out;
        for (const Bytes& r : Requests()) {
            out.push_back({r[3], r[4], static_cast<uint16_t>(r[5] | (r[6] << 8))});
        }
        return out;
    }

    CDeviceLink link_;
};

TEST(CommandFrameTest, ChecksumCoversBytesThreeToEnd)
{
    EXPECT_EQ(CommandFrame::Request(0x01, 0, 0).Checksum(), 1);
    const CommandFrame f = CommandFrame::Request(0x01, 0, 0);
    EXPECT_EQ(f.bytes[0], 4);
    EXPECT_EQ(f.bytes[1], 0x01);
    EXPECT_EQ(f.bytes[2], 0x00);

    const Bytes payload(56, 0xFF);
    const CommandFrame full = CommandFrame::Request(0x06, 56, 0x1234, payload);
    // 0x06 + 56 + 0x34 + 0x12 + 56 * 0xFF, low 16 bits
    EXPECT_EQ(full.Checksum(), (0x06 + 56 + 0x34 + 0x12 + 56 * 0xFF) & 0xFFFF);
    EXPECT_EQ(full.Offset(), 0x1234);
}

TEST_F(DeviceLinkTest, RequestGoesOutWholeAndReplyIsMatched)
{
    OpenWired(link_);
    EXPECT_EQ(link_.BeginTransfer(), kLinkOk);
    const auto requests = Requests();
    ASSERT_EQ(requests.size(), 1u);
    ASSERT_EQ(requests[0].size(), 64u);
    EXPECT_EQ(requests[0][0], 4);
    EXPECT_EQ(requests[0][1], 1); // checksum of an empty 0x01 request
    EXPECT_EQ(requests[0][3], 0x01);
}

TEST_F(DeviceLinkTest, NothingIsSentWhileTheLinkIsNotOpen)
{
    ASSERT_TRUE(link_.LinkA().Open(FindPath("&col04").c_str(), true, true, true, false));
    uint8_t block[34];
    EXPECT_EQ(link_.ReadDeviceInfoBlock(block), kLinkNotSent);
    EXPECT_EQ(link_.BeginTransfer(), kLinkNotSent);
    EXPECT_TRUE(Requests().empty());
}

struct ChunkCase
{
    const char* name;
    int mode;
    int (*run)(CDeviceLink&);
    std::vector<Frame> frames;
};

class ChunkingTest : public DeviceLinkTest, public ::testing::WithParamInterface<ChunkCase>
{
};

const Bytes kBlock(1024, 0x5A);

TEST_P(ChunkingTest, CutsTheBlockIntoFrames)
{
    const ChunkCase& c = GetParam();
    if (c.mode == kLinkModeWireless) {
        OpenWireless(link_);
    } else {
        OpenWired(link_);
    }
    peer_->SetHandler(PatternFirmware());
    EXPECT_EQ(c.run(link_), kLinkOk);
    EXPECT_EQ(Frames(), c.frames);
}

INSTANTIATE_TEST_SUITE_P(
    Commands, ChunkingTest,
    ::testing::Values(ChunkCase{"InfoWireless",
                                kLinkModeWireless,
                                [](CDeviceLink& l) {
                                    uint8_t b[34];
                                    return l.ReadDeviceInfoBlock(b);
                                },
                                {{0x03, 24, 0}, {0x03, 10, 24}}},
                      ChunkCase{"InfoWired",
                                kLinkModeWired,
                                [](CDeviceLink& l) {
                                    uint8_t b[34];
                                    return l.ReadDeviceInfoBlock(b);
                                },
                                {{0x03, 34, 0}}},
                      ChunkCase{"ExactMultiple",
                                kLinkModeWireless,
                                [](CDeviceLink& l) { return l.WriteSettings(100, kBlock.data(), 48); },
                                {{0x06, 24, 100}, {0x06, 24, 124}}},
                      ChunkCase{"EmptyBlock",
                                kLinkModeWired,
                                [](CDeviceLink& l) { return l.WriteSettings(0, kBlock.data(), 0); },
                                {}},
                      ChunkCase{"SettingsReadFromBase",
                                kLinkModeWired,
                                [](CDeviceLink& l) {
                                    uint8_t b[70];
                                    return l.ReadSettings(25, b, 70);
                                },
                                {{0x05, 56, 25}, {0x05, 14, 81}}},
                      ChunkCase{"CustomColoursAtIndexTimesStride",
                                kLinkModeWired,
                                [](CDeviceLink& l) { return l.WriteCustomColours(2, kBlock.data(), 60); },
                                {{0x0B, 56, 1024}, {0x0B, 4, 1080}}},
                      ChunkCase{"CompanionIsAThirdOfTheTransferSize",
                                kLinkModeWired,
                                [](CDeviceLink& l) {
                                    uint8_t b[512];
                                    return l.SetTransferSize(510) ? l.ReadKeyTableCompanion(b) : -999;
                                },
                                {{0x1B, 56, 0}, {0x1B, 56, 56}, {0x1B, 56, 112}, {0x1B, 2, 168}}},
                      ChunkCase{"BulkAlwaysIn56ByteChunks",
                                kLinkModeWireless,
                                [](CDeviceLink& l) { return l.WriteBulkBlock(kBlock.data(), 60); },
                                {{0x17, 56, 0}, {0x17, 4, 56}}},
                      ChunkCase{"StatusBlockIsOneFrame",
                                kLinkModeWired,
                                [](CDeviceLink& l) {
                                    uint8_t b[6];
                                    return l.ReadStatusBlock(0, b, 6);
                                },
                                {{0x1A, 6, 0}}},
                      ChunkCase{"LightingFrameOf170Leds",
                                kLinkModeWired,
                                [](CDeviceLink& l) { return l.WriteLightingFrame(kBlock.data(), 510); },
                                {{0x12, 56, 0},
                                 {0x12, 56, 56},
                                 {0x12, 56, 112},
                                 {0x12, 56, 168},
                                 {0x12, 56, 224},
                                 {0x12, 56, 280},
                                 {0x12, 56, 336},
                                 {0x12, 56, 392},
                                 {0x12, 56, 448},
                                 {0x12, 6, 504}}}),
    [](const ::testing::TestParamInfo<ChunkCase>& info) { return std::string(info.param.name); });

TEST_F(DeviceLinkTest, ReadsPlaceEachChunkAtItsPosition)
{
    OpenWireless(link_);
    peer_->SetHandler(PatternFirmware());
    uint8_t info[32];
    uint16_t value = 0;
    ASSERT_EQ(link_.ReadDeviceInfo(info, &value), kLinkOk);
    for (int i = 0; i < 32; ++i) {
        EXPECT_EQ(info[i], i) << i;
    }
    EXPECT_EQ(value, 32 | (33 << 8));
}

TEST_F(DeviceLinkTest, WritesCarryTheBlockInThePayload)
{
    OpenWired(link_);
    Bytes block(70);
    for (size_t i = 0; i < block.size(); ++i) {
        block[i] = static_cast<uint8_t>(i + 1);
    }
    ASSERT_EQ(link_.WriteMacroData(block.data(), 70), kLinkOk);
    const auto requests = Requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(Bytes(requests[0].begin() + 8, requests[0].end()), Bytes(block.begin(), block.begin() + 56));
    EXPECT_EQ(Bytes(requests[1].begin() + 8, requests[1].begin() + 22),
              Bytes(block.begin() + 56, block.end()));
    EXPECT_EQ(requests[1][22], 0); // unused payload bytes stay 0
    const CommandFrame second = [&] {
        CommandFrame f;
        std::copy(requests[1].begin(), requests[1].end(), f.bytes.begin());
        return f;
    }();
    EXPECT_EQ(second.Checksum(), second.ComputeChecksum());
}

TEST_F(DeviceLinkTest, TransferSizeNeverExceeds512)
{
    EXPECT_FALSE(link_.SetTransferSize(513));
    EXPECT_EQ(link_.GetTransferSize(), 512);
    EXPECT_TRUE(link_.SetTransferSize(510));
    EXPECT_EQ(link_.GetTransferSize(), 510);
}

TEST_F(DeviceLinkTest, KeyTableWriteToAnotherBankIsRefusedWithoutTraffic)
{
    OpenWired(link_);
    const Bytes table(512, 1);
    EXPECT_EQ(link_.WriteKeyTable(table.data(), 1), kLinkBadBank);
    EXPECT_TRUE(Requests().empty());
    EXPECT_EQ(link_.WriteKeyTable(table.data(), 0), kLinkOk);
    EXPECT_EQ(Requests().size(), 10u); // 512 bytes in 56-byte chunks
}

struct StatusCase
{
    uint8_t status;
    int result;
};

class StatusTest : public DeviceLinkTest, public ::testing::WithParamInterface<StatusCase>
{
};

TEST_P(StatusTest, ErrorStatusStopsTheBlockAtThatChunk)
{
    OpenWired(link_);
    std::atomic<int> seen{0};
    const uint8_t status = GetParam().status;
    peer_->SetHandler([&seen, status](uint8_t kind, const Bytes& request) -> std::vector<Bytes> {
        if (kind != 1) {
            return {};
        }
        // The second chunk fails.
        return {InputPacket(ReplyTo(request, ++seen == 2 ? status : 0))};
    });
    EXPECT_EQ(link_.WriteSettings(0, kBlock.data(), 200), GetParam().result);
    EXPECT_EQ(Requests().size(), GetParam().result == kLinkOk ? 4u : 2u);
}

INSTANTIATE_TEST_SUITE_P(Statuses, StatusTest,
                         ::testing::Values(StatusCase{0xFF, kLinkStatusFF}, StatusCase{0xFE, kLinkStatusFE},
                                           StatusCase{0x01, kLinkOk}));

struct StrayCase
{
    int strays;    // replies for another command sent before the right one
    uint8_t value; // what the read takes
};

class StrayReplyTest : public DeviceLinkTest, public ::testing::WithParamInterface<StrayCase>
{
};

// One stray reply is skipped; after a second one the read takes that second reply as its answer.
TEST_P(StrayReplyTest, SkipsOneReplyForAnotherCommand)
{
    OpenWired(link_);
    const int strays = GetParam().strays;
    peer_->SetHandler([strays](uint8_t kind, const Bytes& request) -> std::vector<Bytes> {
        if (kind != 1) {
            return {};
        }
        std::vector<Bytes> out;
        for (int i = 0; i < strays; ++i) {
            Bytes stray = ReplyTo(request);
            stray[3] = 0x12;
            stray[8] = static_cast<uint8_t>(0x70 + i);
            out.push_back(InputPacket(stray));
        }
        Bytes reply = ReplyTo(request);
        reply[8] = 0x42;
        out.push_back(InputPacket(reply));
        return out;
    });
    uint8_t value = 0;
    EXPECT_EQ(link_.ReadSettings(0, &value, 1), kLinkOk);
    EXPECT_EQ(value, GetParam().value);
}

INSTANTIATE_TEST_SUITE_P(Replies, StrayReplyTest,
                         ::testing::Values(StrayCase{0, 0x42}, StrayCase{1, 0x42}, StrayCase{2, 0x71}));

TEST_F(DeviceLinkTest, StrayReplyStatusIsNotTakenForTheAnswer)
{
    OpenWired(link_);
    peer_->SetHandler([](uint8_t kind, const Bytes& request) -> std::vector<Bytes> {
        if (kind != 1) {
            return {};
        }
        Bytes stray = ReplyTo(request, 0xFF); // a failed lighting frame's reply
        stray[3] = 0x12;
        return {InputPacket(stray), InputPacket(ReplyTo(request))};
    });
    EXPECT_EQ(link_.BeginTransfer(), kLinkOk);
}

TEST_F(DeviceLinkTest, WirelessReplyAaMeansTheDeviceIsAway)
{
    OpenWireless(link_);
    peer_->SetHandler([](uint8_t kind, const Bytes& request) -> std::vector<Bytes> {
        if (kind != 1) {
            return {};
        }
        Bytes away = ReplyTo(request);
        away[3] = 0xAA;
        return {InputPacket(away)};
    });
    uint8_t value = 0;
    const auto start = Clock::now();
    EXPECT_EQ(link_.ReadSettings(0, &value, 1), kLinkWirelessAa);
    // No second read: that would wait out the 5 s wireless time-out.
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(3));
}

TEST_F(DeviceLinkTest, MissingReplyTimesOutWithResultZero)
{
    OpenWired(link_);
    peer_->SetHandler([](uint8_t, const Bytes&) { return std::vector<Bytes>{}; });
    const auto start = Clock::now();
    EXPECT_EQ(link_.BeginTransfer(), kLinkNotSent);
    const auto spent = Clock::now() - start;
    EXPECT_GE(spent, std::chrono::milliseconds(900));
    EXPECT_LT(spent, std::chrono::seconds(10));
    // The link stays usable.
    peer_->SetHandler(ScriptedPeer::Firmware());
    EXPECT_EQ(link_.BeginTransfer(), kLinkOk);
}

TEST_F(DeviceLinkTest, DeviceVanishingMidTransferFailsAtOnce)
{
    OpenWired(link_);
    std::atomic<int> seen{0};
    peer_->SetHandler([&seen](uint8_t kind, const Bytes& request) -> std::vector<Bytes> {
        if (kind != 1) {
            return {};
        }
        if (++seen == 2) {
            return {Bytes{}}; // gone
        }
        return {InputPacket(ReplyTo(request))};
    });
    const auto start = Clock::now();
    EXPECT_EQ(link_.WriteSettings(0, kBlock.data(), 200), kLinkNotSent);
    EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(900)); // not a time-out
    EXPECT_EQ(Requests().size(), 2u);
    EXPECT_EQ(link_.BeginTransfer(), kLinkWriteFailed);
}

TEST_F(DeviceLinkTest, ACommandWaitingForASwitchGoesToTheSideInUseAfterIt)
{
    OpenWired(link_);
    ASSERT_TRUE(link_.LinkB().Open(FindPath("&col04").c_str(), true, true, true, false));
    std::future<int> result;
    {
        // The switch holds the transaction lock while the command starts.
        std::lock_guard<std::recursive_mutex> switching(link_.TransactionLock());
        result = std::async(std::launch::async, [this] { return link_.BeginTransfer(); });
        for (int i = 0; i < 5000 && !link_.IsBusy(); ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        ASSERT_TRUE(link_.IsBusy());
        link_.SetLinkMode(kLinkModeWireless);
        link_.LinkA().Close();
    }
    EXPECT_EQ(result.get(), kLinkOk);
    ASSERT_EQ(Frames().size(), 1u);
    EXPECT_EQ(Frames()[0].command, kCmdBeginTransfer);
}

TEST_F(DeviceLinkTest, WirelessOnlineQuery)
{
    OpenWired(link_);
    EXPECT_TRUE(link_.QueryWirelessOnline());
    EXPECT_TRUE(Requests().empty()); // wired: no traffic

    link_.LinkA().Close();
    OpenWireless(link_);
    uint8_t answer = 0xFF;
    peer_->SetHandler([&answer](uint8_t kind, const Bytes& request) -> std::vector<Bytes> {
        Bytes reply = ReplyTo(request);
        reply[8] = answer;
        return kind == 1 ? std::vector<Bytes>{InputPacket(reply)} : std::vector<Bytes>{};
    });
    EXPECT_TRUE(link_.QueryWirelessOnline());
    answer = 0x00;
    EXPECT_FALSE(link_.QueryWirelessOnline());
    ASSERT_EQ(Frames().size(), 2u);
    EXPECT_EQ(Frames()[0].command, 0xAA);
}

TEST_F(DeviceLinkTest, LightingFrameIsDroppedWhileATransactionRuns)
{
    OpenWired(link_);
    std::promise<void> requestSeen;
    auto seen = requestSeen.get_future();
    std::atomic<bool> first{true};
    // The first request is never answered, so its Transact stays busy until the read times out.
    peer_->SetHandler([&](uint8_t kind, const Bytes& request) -> std::vector<Bytes> {
        if (kind == 1 && first.exchange(false)) {
            requestSeen.set_value();
            return {};
        }
        return kind == 1 ? std::vector<Bytes>{InputPacket(ReplyTo(request))} : std::vector<Bytes>{};
    });
    std::thread busy([&] { link_.BeginTransfer(); });
    ASSERT_EQ(seen.wait_for(std::chrono::seconds(5)), std::future_status::ready);
    ASSERT_TRUE(link_.IsBusy());
    platform::DebugCapture capture;
    EXPECT_EQ(link_.WriteLightingFrame(kBlock.data(), 510), kLinkOk);
    busy.join();
    EXPECT_EQ(Requests().size(), 1u); // only the unanswered 0x01
    EXPECT_TRUE(capture.Contains("放弃灯光数据"));
}

TEST_F(DeviceLinkTest, LightingFrameIsNotSentOverTheReceiver)
{
    OpenWireless(link_);
    EXPECT_EQ(link_.WriteLightingFrame(kBlock.data(), 510), kLinkOk);
    EXPECT_TRUE(Requests().empty());
}

TEST_F(DeviceLinkTest, CommandAndReplyAreDumpedInHex)
{
    OpenWired(link_);
    platform::DebugCapture capture;
    ASSERT_EQ(link_.BeginTransfer(), kLinkOk);
    const std::string zeros32 =
        "00 00 00 00   00 00 00 00   00 00 00 00   00 00 00 00  00 00 00 00  00 00 00 00  "
        "00 00 00 00  00 00 00 00\n";
    const std::string first =
        "04 01 00 01   00 00 00 00   00 00 00 00   00 00 00 00  00 00 00 00  00 00 00 00  "
        "00 00 00 00  00 00 00 00\n";
    EXPECT_EQ(capture.Text(), "命令\n" + first + zeros32 + "返回\n" + first + zeros32);
}

TEST_F(DeviceLinkTest, EndTransferAndTakeoverAreBareCommands)
{
    OpenWired(link_);
    EXPECT_EQ(link_.EndTransfer(), kLinkOk);
    EXPECT_EQ(link_.TakeLightingControl(), kLinkOk);
    EXPECT_EQ(Frames(), (std::vector<Frame>{{0x02, 0, 0}, {0x1C, 0, 0}}));
}

} // namespace
} // namespace test
