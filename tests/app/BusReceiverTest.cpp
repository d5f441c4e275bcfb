// A window's bus messages arrive on the UI thread: registered messages under this process's number for
// their name, data copies as WM_COPYDATA whose record holds the bytes while the window handles it.

#include "app/BusReceiver.h"
#include "app/WindowMessages.h"
#include "dui/WindowMessages.h"
#include "dui/WindowWnd.h"
#include "dui/testing/UiTestHarness.h"
#include "platform/MessageBus.h"

#include "tests/app/PumpEvents.h"
#include "tests/platform/ScratchFolder.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

namespace {

using orvant_test::PumpUntil;

struct Arrival
{
    dui::UINT msg;
    dui::WPARAM wParam;
    dui::LPARAM lParam;
    uint64_t copyType;
    std::string data;
    std::string sender;
    std::thread::id thread;
};

class CRecordingWnd : public dui::CWindowWnd
{
public:
    std::vector<Arrival> arrivals;

    dui::LRESULT HandleMessage(dui::UINT msg, dui::WPARAM wParam, dui::LPARAM lParam) override
    {
        if (msg == dui::WM_COPYDATA) {
            const auto* record = reinterpret_cast<const CopyDataRecord*>(lParam);
            arrivals.push_back({msg, wParam, 0, record->type,
                                std::string(static_cast<const char*>(record->data), record->size),
                                std::string(record->sender), std::this_thread::get_id()});
            return 1;
        }
        if (msg >= kFirstRegisteredMessage) {
            arrivals.push_back({msg, wParam, lParam, 0, {}, {}, std::this_thread::get_id()});
            return 0;
        }
        return CWindowWnd::HandleMessage(msg, wParam, lParam);
    }
};

class BusReceiverTest : public orvant_test::ScratchRuntimeTest
{
protected:
    void SetUp() override
    {
        ScratchRuntimeTest::SetUp();
        dui::testing::EnsureApplication();
        ASSERT_TRUE(RegisterAllWindowMessages());
        ASSERT_NE(wnd_.Create(nullptr, "Receiver", 0, 0, 0, 0, 10, 10), nullptr);
        ASSERT_TRUE(receiver_.Start("Receiver", wnd_.GetHWND()));
    }
    void TearDown() override
    {
        wnd_.DestroyWindow();
        receiver_.Stop();
    }

    CRecordingWnd wnd_;
    CBusReceiver receiver_;
};

TEST_F(BusReceiverTest, RegisteredMessagesAndDataCopiesArriveInOrderOnTheUiThread)
{
    platform::BusEndpoint other;
    ASSERT_TRUE(other.Open("WorkTool"));
    std::optional<platform::BusMessage> control =
        platform::MakeRegisteredMessage(UWM_LIGHT_CONTROL_MSG, 1, -1);
    ASSERT_TRUE(control);
    platform::BusMessage copy = platform::MakeCopyData(5, std::string("\x01\x00\xff", 3));
    copy.wParam = 77;
    std::thread sender([&] {
        EXPECT_EQ(other.Send("Receiver", *control), platform::BusSendResult::Sent);
        EXPECT_EQ(other.Send("Receiver", copy), platform::BusSendResult::Sent);
    });
    sender.join();
    ASSERT_TRUE(PumpUntil([&] { return wnd_.arrivals.size() == 2; }));

    const Arrival& first = wnd_.arrivals[0];
    EXPECT_EQ(first.msg, UWM_LIGHT_CONTROL_MSG);
    EXPECT_EQ(first.wParam, 1u);
    EXPECT_EQ(first.lParam, -1);
    const Arrival& second = wnd_.arrivals[1];
    EXPECT_EQ(second.msg, dui::WM_COPYDATA);
    EXPECT_EQ(second.copyType, 5u);
    EXPECT_EQ(second.data, std::string("\x01\x00\xff", 3));
    EXPECT_EQ(second.sender, "WorkTool");
    EXPECT_EQ(second.wParam, 77u);
    for (const Arrival& a : wnd_.arrivals) {
        EXPECT_EQ(a.thread, std::this_thread::get_id());
    }
}

TEST_F(BusReceiverTest, StopsPromptlyAndFreesTheTitle)
{
    EXPECT_TRUE(platform::FindWindow("Receiver"));
    CBusReceiver twin;
    EXPECT_FALSE(twin.Start("Receiver", wnd_.GetHWND())) << "a live title cannot be taken twice";
    uint32_t start = platform::GetTickCount();
    receiver_.Stop();
    EXPECT_LT(platform::GetTickCount() - start, 2000u);
    EXPECT_FALSE(receiver_.IsRunning());
    EXPECT_FALSE(platform::FindWindow("Receiver"));
}

TEST_F(BusReceiverTest, DataCopyToAWindowThatWentAwayDoesNotHangTheReceiver)
{
    wnd_.DestroyWindow();
    ASSERT_EQ(platform::BusSend("Receiver", platform::MakeCopyData(1, "x")), platform::BusSendResult::Sent);
    uint32_t start = platform::GetTickCount();
    receiver_.Stop();
    EXPECT_LT(platform::GetTickCount() - start, 2000u);
}

} // namespace
