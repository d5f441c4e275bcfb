// The simulator over its sockets, played by a raw wire-format host: hello and descriptors,
// commands and replies, event reports, receivers, unplugging, every fault mode, state files and the
// line commands.

#include "RawHidClient.h"
#include "SimulatorFixture.h"

#include "tools/devsim/ControlCommands.h"
#include "tools/devsim/DeviceSimulator.h"
#include "tools/devsim/HidSocketServer.h"
#include "tools/devsim/ReportDescriptors.h"

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <json/reader.h>
#include <unistd.h>

namespace devsim {
namespace {

using test::CRawHidClient;
namespace fs = std::filesystem;

class SimulatorTest : public test::SimulatorFixture
{
protected:
    // Connects to the command interface of a product.
    void Open(CRawHidClient& c, const std::string& name, uint8_t interfaceNumber = 1)
    {
        ASSERT_TRUE(c.Connect(sim_->SocketPath(name, interfaceNumber))) << name;
    }
};

TEST_F(SimulatorTest, HelloCarriesIdsInterfaceAndDescriptor)
{
    struct Case
    {
        const char* name;
        uint8_t interfaceNumber;
        uint16_t vid;
        uint16_t pid;
        std::vector<uint8_t> descriptor;
    };
    const Case cases[] = {
        {"keyboard", 0, 0x320F, 0x5055, BootKeyboardDescriptor()},
        {"keyboard", 1, 0x320F, 0x5055, CommandInterfaceDescriptor()},
        {"keyboard2", 1, 0x320F, 0x5055, CommandInterfaceDescriptor()},
        {"mouse", 0, 0x320F, 0x221C, BootMouseDescriptor()},
        {"mouse-receiver", 1, 0x320F, 0x0000, CommandInterfaceDescriptor()},
        {"mousepad", 1, 0x320F, 0x0000, CommandInterfaceDescriptor()},
        {"headset", 3, 0x0C76, 0x0000, HeadsetDescriptor()},
    };
    for (const Case& c : cases) {
        if (!sim_->HasDevice(c.name)) {
            ASSERT_TRUE(sim_->AddDevice(c.name)) << sim_->LastError();
        }
    }
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.name) + " " + std::to_string(c.interfaceNumber));
        CRawHidClient client;
        Open(client, c.name, c.interfaceNumber);
        const auto& h = client.Hello();
        ASSERT_GE(h.size(), 18u);
        EXPECT_EQ(std::string(h.begin(), h.begin() + 6), "OVHID1");
        EXPECT_EQ(h[6], 1);
        EXPECT_EQ(h[7], 0);
        EXPECT_EQ(h[8] | h[9] << 8, c.vid);
        EXPECT_EQ(h[10] | h[11] << 8, c.pid);
        EXPECT_EQ(h[14], c.interfaceNumber);
        EXPECT_EQ(h[15], 0);
        EXPECT_EQ(size_t(h[16] | h[17] << 8), c.descriptor.size());
        EXPECT_EQ(std::vector<uint8_t>(h.begin() + 18, h.end()), c.descriptor);
    }
}

TEST_F(SimulatorTest, KeyboardAnswersCommandsOverTheSocket)
{
    ASSERT_TRUE(sim_->AddDevice("keyboard"));
    CRawHidClient c;
    Open(c, "keyboard");
    auto info = c.Transact(MakeRequest(0x03, 34, 0));
    ASSERT_TRUE(info);
    EXPECT_EQ((*info)[3], 0x03);
    EXPECT_EQ((*info)[7], kStatusOk);
    EXPECT_EQ((*info)[8], 0xAA);
    EXPECT_EQ((*info)[8 + 5], 126);
    const uint8_t record[] = {0, 7, 3, 1};
    auto written = c.Transact(MakeRequest(0x06, 4, 25, record, 4));
    ASSERT_TRUE(written);
    EXPECT_EQ((*written)[7], kStatusOk);
    EXPECT_EQ(sim_->ReadMemory("keyboard", Region::Settings)[26], 7);
    auto refused = c.Transact(MakeRequest(0x05, 26, 200));
    ASSERT_TRUE(refused);
    EXPECT_EQ((*refused)[7], kStatusOutOfRange);
}

TEST_F(SimulatorTest, SecondKeyboardKeepsItsOwnMemory)
{
    ASSERT_TRUE(sim_->AddDevice("keyboard"));
    ASSERT_TRUE(sim_->AddDevice("keyboard2"));
    CRawHidClient c;
    Open(c, "keyboard2");
    const uint8_t profile[] = {3};
    ASSERT_EQ((*c.Transact(MakeRequest(0x06, 1, 0, profile, 1)))[7], kStatusOk);
    EXPECT_EQ(sim_->ReadMemory("keyboard2", Region::Settings)[0], 3);
    EXPECT_EQ(sim_->ReadMemory("keyboard", Region::Settings)[0], 0);
}

TEST_F(SimulatorTest, InputReportsReachEveryConnection)
{
    ASSERT_TRUE(sim_->AddDevice("keyboard"));
    CRawHidClient a, b;
    Open(a, "keyboard");
    Open(b, "keyboard");
    ASSERT_TRUE(a.SendFrame(MakeRequest(0x01, 0, 0)));
    EXPECT_TRUE(a.ReceiveFrame());
    EXPECT_TRUE(b.ReceiveFrame());
}

TEST_F(SimulatorTest, UnreadReportsAreCappedDroppingTheOldest)
{
    ASSERT_TRUE(sim_->AddDevice("keyboard"));
    CRawHidClient reader, idle;
    Open(reader, "keyboard");
    Open(idle, "keyboard");
    constexpr int kSent = 200;
    for (int i = 0; i < kSent; ++i)
        ASSERT_TRUE(sim_->PressButton("keyboard", static_cast<uint16_t>(0x0100 + i)));
    // The newest report arrives; far fewer than were sent are kept for a reader that was away.
    int received = 0;
    int last = -1;
    while (auto p = idle.Receive(300)) {
        ASSERT_EQ(p->size(), 4u);
        last = (*p)[2] | (*p)[3] << 8;
        ++received;
    }
    EXPECT_EQ(last, 0x0100 + kSent - 1);
    EXPECT_LE(received, int(CHidSocketServer::kMaxUnread)) << received;
    EXPECT_GE(received, int(CHidSocketServer::kMaxUnread) - 8) << received;
    EXPECT_GE(received, 1);
}

TEST_F(SimulatorTest, EventReportsCarryTheCodeAndProfileSwitchesUpdateMemory)
{
    ASSERT_TRUE(sim_->AddDevice("mouse"));
    CRawHidClient c;
    Open(c, "mouse");
    ASSERT_TRUE(sim_->PressButton("mouse", 0x1132));
    auto p = c.Receive();
    ASSERT_TRUE(p);
    EXPECT_EQ(*p, (std::vector<uint8_t>{0x81, kEventReportId, 0x32, 0x11}));
    const auto settings = sim_->ReadMemory("mouse", Region::Settings);
    EXPECT_EQ(settings[0], 2);
    EXPECT_EQ(settings[2 * 128 + 12], 3);
    EXPECT_TRUE(sim_->PressButton("mouse", 0x0403));
    p = c.Receive();
    ASSERT_TRUE(p);
    EXPECT_EQ((*p)[2], 0x03);

    // The headset's collection also carries 64-byte replies, so its event reports are that long.
    ASSERT_TRUE(sim_->AddDevice("headset"));
    CRawHidClient hs;
    Open(hs, "headset", 3);
    ASSERT_TRUE(sim_->PressButton("headset", 0x0401));
    p = hs.Receive();
    ASSERT_TRUE(p);
    ASSERT_EQ(p->size(), 65u);
    EXPECT_EQ((*p)[1], kEventReportId);
    EXPECT_EQ((*p)[2] | (*p)[3] << 8, 0x0401);
}

TEST_F(SimulatorTest, UnplugRemovesTheSocketAndClosesConnections)
{
    ASSERT_TRUE(sim_->AddDevice("keyboard"));
    CRawHidClient c;
    Open(c, "keyboard");
    ASSERT_TRUE(sim_->Unplug("keyboard"));
    EXPECT_FALSE(fs::exists(sim_->SocketPath("keyboard", 1)));
    auto end = c.Receive();
    ASSERT_TRUE(end);
    EXPECT_TRUE(end->empty());
    EXPECT_FALSE(sim_->PressButton("keyboard", 0x0401));
    ASSERT_TRUE(sim_->Plug("keyboard"));
    CRawHidClient again;
    Open(again, "keyboard");
    EXPECT_TRUE(again.Transact(MakeRequest(0x01, 0, 0)));
}

TEST_F(SimulatorTest, ReceiverSharesTheDeviceMemoryAndReportsOnline)
{
    ASSERT_TRUE(sim_->AddDevice("keyboard"));
    ASSERT_TRUE(sim_->AddDevice("keyboard-receiver"));
    CRawHidClient rx;
    Open(rx, "keyboard-receiver");
    // On its cable the keyboard is not reachable through the receiver.
    auto q = rx.Transact(MakeRequest(0xAA, 0, 0));
    ASSERT_TRUE(q);
    EXPECT_EQ((*q)[8], 0x00);
    auto lost = rx.Transact(MakeRequest(0x05, 1, 0));
    ASSERT_TRUE(lost);
    EXPECT_EQ((*lost)[3], 0xAA);

    ASSERT_TRUE(sim_->SwitchLink("keyboard", LinkChoice::Receiver));
    EXPECT_FALSE(sim_->IsPlugged("keyboard"));
    q = rx.Transact(MakeRequest(0xAA, 0, 0));
    ASSERT_TRUE(q);
    EXPECT_EQ((*q)[8], 0xFF);
    const uint8_t profile[] = {4};
    auto w = rx.Transact(MakeRequest(0x06, 1, 0, profile, 1));
    ASSERT_TRUE(w);
    EXPECT_EQ((*w)[7], kStatusOk);
    EXPECT_EQ(sim_->ReadMemory("keyboard", Region::Settings)[0], 4);
    // Button events leave through the receiver now.
    ASSERT_TRUE(sim_->PressButton("keyboard", 0x0401));
    auto ev = rx.Receive();
    ASSERT_TRUE(ev);
    EXPECT_EQ((*ev)[1], kEventReportId);

    ASSERT_TRUE(sim_->SetOnline("keyboard-receiver", false));
    EXPECT_FALSE(sim_->PressButton("keyboard", 0x0401));
    ASSERT_TRUE(sim_->SwitchLink("keyboard-receiver", LinkChoice::Cable));
    EXPECT_TRUE(sim_->IsPlugged("keyboard"));
    EXPECT_FALSE(sim_->SetOnline("keyboard", true)); // not a receiver
}

TEST_F(SimulatorTest, HeadsetTakesLightingReportsOnTheControlPipe)
{
    ASSERT_TRUE(sim_->AddDevice("headset"));
    CRawHidClient c;
    Open(c, "headset", 3);
    std::vector<uint8_t> report(17, 0);
    report[0] = 0xFF;
    report[1] = 0x22;
    report[2] = 0xAA;
    report[4] = 247;
    ASSERT_TRUE(c.Send(2, report));
    // A command afterwards is answered, so the report before it has been taken.
    ASSERT_TRUE(c.Transact(MakeRequest(0x05, 1, 0)));
    const Json::Value dump = sim_->Dump("headset");
    EXPECT_EQ(dump["firmware"]["lightReports"].asInt(), 1);
    EXPECT_EQ(dump["firmware"]["bank22"].asString().substr(0, 2), "f7");
}

TEST_F(SimulatorTest, GetFeatureIsAnswered)
{
    ASSERT_TRUE(sim_->AddDevice("mousepad"));
    CRawHidClient c;
    Open(c, "mousepad");
    ASSERT_TRUE(c.Send(4, {4, 9, 0}));
    auto p = c.Receive();
    ASSERT_TRUE(p);
    EXPECT_EQ((*p)[0], 0x84);
    EXPECT_EQ(p->size(), 10u);
    EXPECT_EQ((*p)[1], 4);
}

// Every fault mode, as a host sees it.
TEST_F(SimulatorTest, FaultsShapeTheReplies)
{
    ASSERT_TRUE(sim_->AddDevice("keyboard"));
    CRawHidClient c;
    Open(c, "keyboard");
    const uint8_t one[] = {9};

    // Status refusal: the reply says 0xFE and memory keeps its value.
    ASSERT_TRUE(sim_->AddFault("keyboard", {FaultKind::Status, 0x06, 0, 1, 0, 0xFE, 1}));
    auto r = c.Transact(MakeRequest(0x06, 1, 1, one, 1));
    ASSERT_TRUE(r);
    EXPECT_EQ((*r)[7], 0xFE);
    EXPECT_EQ(sim_->ReadMemory("keyboard", Region::Settings)[1], 1);
    EXPECT_EQ(sim_->Dump("keyboard")["firmware"]["commands"]["0x06"].asInt(), 1); // it did arrive
    // The fault was for one request only.
    r = c.Transact(MakeRequest(0x06, 1, 1, one, 1));
    EXPECT_EQ((*r)[7], 0);
    EXPECT_EQ(sim_->ReadMemory("keyboard", Region::Settings)[1], 9);

    // Drop: acted on, no reply.
    ASSERT_TRUE(sim_->AddFault("keyboard", {FaultKind::Drop, std::nullopt, 0, 1, 0, 0, 1}));
    ASSERT_TRUE(c.SendFrame(MakeRequest(0x01, 0, 0)));
    EXPECT_FALSE(c.ReceiveFrame(200));
    EXPECT_TRUE(c.Transact(MakeRequest(0x02, 0, 0)));

    // Other command byte, twice, then the real reply.
    ASSERT_TRUE(sim_->AddFault("keyboard", {FaultKind::OtherCommand, 0x05, 0, 1, 0, 0x12, 2}));
    ASSERT_TRUE(c.SendFrame(MakeRequest(0x05, 1, 0)));
    for (uint8_t expected : {0x12, 0x12, 0x05}) {
        r = c.ReceiveFrame();
        ASSERT_TRUE(r);
        EXPECT_EQ((*r)[3], expected);
    }

    // Delay: the reply comes, later.
    ASSERT_TRUE(sim_->AddFault("keyboard", {FaultKind::Delay, std::nullopt, 0, 1, 300, 0, 1}));
    ASSERT_TRUE(c.SendFrame(MakeRequest(0x01, 0, 0)));
    EXPECT_FALSE(c.ReceiveFrame(50));
    EXPECT_TRUE(c.ReceiveFrame(5000));

    // Bad checksum: the reply's bytes 1-2 no longer repeat the request's; the rest is the real reply.
    ASSERT_TRUE(sim_->AddFault("keyboard", {FaultKind::Checksum, 0x06, 0, 0, 0, 0, 1}));
    const Frame write = MakeRequest(0x06, 1, 2, one, 1);
    r = c.Transact(write);
    ASSERT_TRUE(r);
    EXPECT_EQ((*r)[1], uint8_t(~write[1]));
    EXPECT_EQ((*r)[2], uint8_t(~write[2]));
    EXPECT_EQ((*r)[3], 0x06);
    EXPECT_EQ((*r)[7], kStatusOk);
    EXPECT_EQ(sim_->ReadMemory("keyboard", Region::Settings)[2], 9);
    const Json::Value faults = sim_->Dump("keyboard")["faults"];
    ASSERT_EQ(faults.size(), 1u);
    EXPECT_EQ(faults[0]["kind"].asString(), "checksum");
    EXPECT_EQ(faults[0]["applied"].asInt(), 1);
    ASSERT_TRUE(sim_->ClearFaults("keyboard"));

    // Offset: only the chunk at offset 56 is refused.
    const uint8_t chunk[56] = {0x55};
    Fault atOffset{FaultKind::Status, 0x15, 0, 1, 0, 0xFF, 1};
    atOffset.offset = 56;
    ASSERT_TRUE(sim_->AddFault("keyboard", atOffset));
    EXPECT_EQ((*c.Transact(MakeRequest(0x15, 56, 0, chunk, 56)))[7], 0);
    EXPECT_EQ((*c.Transact(MakeRequest(0x15, 56, 56, chunk, 56)))[7], 0xFF);

    // Skip and count: the second 0x15 chunk vanishes the device mid-transfer.
    ASSERT_TRUE(sim_->AddFault("keyboard", {FaultKind::Vanish, 0x15, 1, 1, 0, 0, 1}));
    EXPECT_EQ((*c.Transact(MakeRequest(0x15, 56, 0, chunk, 56)))[7], 0);
    ASSERT_TRUE(c.SendFrame(MakeRequest(0x15, 56, 56, chunk, 56)));
    auto end = c.Receive();
    ASSERT_TRUE(end);
    EXPECT_TRUE(end->empty());
    EXPECT_FALSE(sim_->IsPlugged("keyboard"));
    EXPECT_EQ(sim_->ReadMemory("keyboard", Region::Macro)[56], 0);

    // A fault until cleared.
    ASSERT_TRUE(sim_->Plug("keyboard"));
    Open(c, "keyboard");
    ASSERT_TRUE(sim_->AddFault("keyboard", {FaultKind::Status, std::nullopt, 0, 0, 0, 0xFF, 1}));
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ((*c.Transact(MakeRequest(0x01, 0, 0)))[7], 0xFF);
    ASSERT_TRUE(sim_->ClearFaults("keyboard"));
    EXPECT_EQ((*c.Transact(MakeRequest(0x01, 0, 0)))[7], 0);
}

// A receiver that never answers its online query: every query arrives and is counted, none is
// answered until the fault is cleared.
TEST_F(SimulatorTest, ReceiverCanStaySilentOnItsOnlineQuery)
{
    ASSERT_TRUE(sim_->SwitchLink("mouse", LinkChoice::Receiver));
    CRawHidClient rx;
    Open(rx, "mouse-receiver");
    ASSERT_TRUE(sim_->AddFault("mouse-receiver", {FaultKind::Drop, kOnlineQuery, 0, 0, 0, 0, 1}));
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(rx.SendFrame(MakeRequest(kOnlineQuery, 0, 0)));
        EXPECT_FALSE(rx.ReceiveFrame(100)) << i;
    }
    // Other commands still pass through to the mouse.
    EXPECT_EQ((*rx.Transact(MakeRequest(0x01, 0, 0)))[3], 0x01);
    ASSERT_TRUE(sim_->ClearFaults("mouse-receiver"));
    const auto q = rx.Transact(MakeRequest(kOnlineQuery, 0, 0));
    ASSERT_TRUE(q);
    EXPECT_EQ((*q)[kPayloadOffset], 0xFF);
    EXPECT_EQ(sim_->Dump("mouse-receiver")["onlineQueries"].asInt(), 4);
}

TEST_F(SimulatorTest, StateSavesAndLoadsAndRefusesDamage)
{
    ASSERT_TRUE(sim_->AddDevice("keyboard"));
    ASSERT_TRUE(sim_->AddDevice("mouse"));
    ASSERT_TRUE(sim_->WriteMemory("keyboard", Region::KeyTable, 0, {0x70, 0x01, 0x00}));
    const std::string path = folder_ + "/state.json";
    ASSERT_TRUE(sim_->SaveState(path));
    ASSERT_TRUE(sim_->WriteMemory("keyboard", Region::KeyTable, 0, {0x20, 0x00, 0x29}));
    ASSERT_TRUE(sim_->LoadState(path));
    EXPECT_EQ(sim_->ReadMemory("keyboard", Region::KeyTable)[0], 0x70);

    std::ofstream(folder_ + "/bad.json") << "{\"devices\":{\"keyboard\":{\"keyTable\":\"0011\"}}}";
    EXPECT_FALSE(sim_->LoadState(folder_ + "/bad.json"));
    EXPECT_EQ(sim_->ReadMemory("keyboard", Region::KeyTable)[0], 0x70);
    EXPECT_FALSE(sim_->LoadState(folder_ + "/missing.json"));
    EXPECT_FALSE(sim_->WriteMemory("keyboard", Region::Info, 30, {1, 2, 3, 4, 5}));
}

TEST_F(SimulatorTest, LineCommandsDriveTheSimulator)
{
    CControlCommands commands(*sim_);
    ASSERT_TRUE(sim_->AddDevice("mouse"));
    bool quit = false;
    struct Case
    {
        const char* line;
        const char* answerStart;
    };
    const Case cases[] = {
        {"list", "mouse=plugged"},
        {"help", "commands: list plug"},
        {"battery mouse 57 1", "ok"},
        {"battery mouse 101", "error: usage"},
        {"press mouse 0x1004", "ok"},
        {"press nobody 0x0401", "error: unknown device nobody"},
        {"fault mouse status 0xfe cmd 0x06 count 2", "ok"},
        {"fault mouse other 0xaa times 2", "ok"},
        {"fault mouse delay 100 skip 1", "ok"},
        {"fault mouse drop cmd 0x05", "ok"},
        {"fault mouse vanish cmd 0x17 skip 3", "ok"},
        {"fault mouse checksum cmd 0x05 count 0", "ok"},
        {"fault mouse checksum 5", "error: option 5 needs a value"},
        {"fault mouse vanish cmd 0x12 offset 112", "ok"},
        {"fault mouse vanish offset 0x10000", "error: bad option"},
        {"fault mouse explode", "error: usage"},
        {"fault mouse other 0xaa times 3", "error: bad option"},
        {"clear mouse", "ok"},
        {"poke mouse settings 0 03", "ok"},
        {"memory mouse status", "39010000"},
        {"memory mouse nowhere", "error: usage"},
        {"link mouse receiver", "ok"},
        {"online mouse-receiver off", "ok"},
        {"link mouse cable", "ok"},
        {"unplug mouse", "ok"},
        {"plug mouse", "ok"},
        {"frobnicate", "error: unknown command"},
        {"", ""},
    };
    for (const Case& c : cases) {
        const std::string answer = commands.Execute(c.line, quit);
        EXPECT_EQ(answer.substr(0, strlen(c.answerStart)), c.answerStart) << c.line << " -> " << answer;
    }
    EXPECT_EQ(sim_->ReadMemory("mouse", Region::Settings)[0], 3);
    Json::Value dump;
    ASSERT_TRUE(Json::Reader().parse(commands.Execute("dump mouse", quit), dump));
    EXPECT_EQ(dump["name"].asString(), "mouse");
    EXPECT_TRUE(dump["plugged"].asBool());
    EXPECT_EQ(dump["faults"].size(), 0u);
    EXPECT_TRUE(dump["firmware"]["memory"].isMember("recoil"));
    for (const char* kind : FaultKindNames())
        EXPECT_NE(commands.Execute("help", quit).find(std::string(" ") + kind), std::string::npos) << kind;
    EXPECT_FALSE(quit);
    EXPECT_EQ(commands.Execute("quit", quit), "ok");
    EXPECT_TRUE(quit);
}

TEST(HidSocketServer, StopReturnsPromptlyAndRemovesNothingItDidNotMake)
{
    CHidSocketServer server;
    ASSERT_TRUE(server.Start());
    const auto start = std::chrono::steady_clock::now();
    server.Stop();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    EXPECT_EQ(server.AddInterface(std::string(200, 'x'), {}, nullptr), -1); // path too long
}

} // namespace
} // namespace devsim
