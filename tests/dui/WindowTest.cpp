// The Qt host: window creation with a layout, "windowinit" after the first show, the message queue
// (posted, sent from another thread, stale handles), registered message numbers and window timers.

#include "dui/Button.h"
#include "dui/PaintManager.h"
#include "dui/WindowMessages.h"
#include "dui/WindowWnd.h"
#include "dui/testing/UiTestHarness.h"
#include "platform/Event.h"

#include <gtest/gtest.h>

#include <QCoreApplication>

#include <algorithm>
#include <atomic>
#include <thread>

using namespace dui;

namespace {

constexpr UINT kTestMessage = WM_USER + 7;

class CTestWindow : public CWindowWnd, public INotifyUI
{
public:
    CPaintManagerUI pm;
    std::vector<std::string> notes;
    std::vector<std::pair<UINT, WPARAM>> messages;
    std::thread::id handledOn;
    bool finalSeen = false;

    void Notify(TNotifyUI& msg) override
    {
        notes.push_back(msg.sType + ":" + (msg.pSender ? msg.pSender->GetName() : ""));
    }

    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override
    {
        if (msg == WM_CREATE) {
            pm.Init(GetHWND());
            CDialogBuilder builder;
            CControlUI* root =
                builder.Create("<Window size='120,80'><VerticalLayout name='root' bkcolor='#FF102030'>"
                               "<Button name='b' height='30'/></VerticalLayout></Window>",
                               {}, nullptr, &pm);
            pm.AttachDialog(root);
            pm.AddNotifier(this);
            return 0;
        }
        if (msg == kTestMessage || msg == WM_TIMER) {
            messages.emplace_back(msg, wParam);
            handledOn = std::this_thread::get_id();
            return static_cast<LRESULT>(wParam * 2);
        }
        LRESULT r = 0;
        if (pm.MessageHandler(msg, wParam, lParam, r))
            return r;
        return CWindowWnd::HandleMessage(msg, wParam, lParam);
    }
    void OnFinalMessage(HWND) override { finalSeen = true; }
};

// Runs the event loop until the condition holds or the time runs out.
template <class Pred>
bool PumpUntil(Pred pred, int ms = 3000)
{
    uint32_t start = platform::GetTickCount();
    while (!pred()) {
        if (platform::GetTickCount() - start > static_cast<uint32_t>(ms))
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}

class WindowTest : public ::testing::Test
{
protected:
    void SetUp() override { dui::testing::EnsureApplication(); }
};

TEST_F(WindowTest, LayoutSizeAndWindowInitAfterShow)
{
    CTestWindow w;
    ASSERT_NE(w.Create(nullptr, "test", UI_WNDSTYLE_FRAME, 0), nullptr);
    EXPECT_EQ(w.GetClientSize().cx, 120);
    EXPECT_EQ(w.GetClientSize().cy, 80);
    EXPECT_EQ(w.GetTitle(), "test");
    auto count = [&](const std::string& note) { return std::count(w.notes.begin(), w.notes.end(), note); };
    EXPECT_TRUE(PumpUntil([&] { return count("windowinit:root") > 0; }));
    PumpUntil([] { return false; }, 50);
    EXPECT_EQ(count("windowinit:root"), 1) << "once";
    // Input through the window's message path reaches the controls.
    w.SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(10, 10));
    w.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
    w.SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(10, 10));
    EXPECT_EQ(w.notes.back(), "click:b");
    w.DestroyWindow();
    EXPECT_TRUE(w.finalSeen);
}

TEST_F(WindowTest, PostedAndSentMessages)
{
    CTestWindow w;
    HWND h = w.Create(nullptr, "queue", 0, 0, 0, 0, 50, 50);
    ASSERT_TRUE(IsWindow(h));
    EXPECT_TRUE(PostMessage(h, kTestMessage, 1, 0));
    EXPECT_TRUE(w.messages.empty()) << "posting only queues";
    EXPECT_TRUE(PumpUntil([&] { return w.messages.size() == 1; }));
    EXPECT_EQ(SendMessage(h, kTestMessage, 2, 0), 4) << "sent on the UI thread: handled at once";

    std::atomic<LRESULT> fromThread{-1};
    std::thread sender([&] { fromThread = SendMessage(h, kTestMessage, 21, 0); });
    EXPECT_TRUE(PumpUntil([&] { return fromThread.load() != -1; }));
    sender.join();
    EXPECT_EQ(fromThread.load(), 42);
    EXPECT_EQ(w.handledOn, std::this_thread::get_id()) << "handled on the UI thread";

    // A sender waiting on a window that goes away is released with 0.
    std::atomic<LRESULT> released{-1};
    std::thread waiter([&] { released = SendMessage(h, kTestMessage, 5, 0); });
    platform::SleepMs(50);
    w.DestroyWindow();
    waiter.join();
    EXPECT_EQ(released.load(), 0);
    EXPECT_FALSE(IsWindow(h));
    EXPECT_FALSE(PostMessage(h, kTestMessage, 1, 0));
    EXPECT_EQ(SendMessage(h, kTestMessage, 1, 0), 0);
}

TEST_F(WindowTest, WindowTimerDeliversWmTimer)
{
    CTestWindow w;
    w.Create(nullptr, "timer", 0, 0, 0, 0, 50, 50);
    ASSERT_TRUE(w.SetTimer(1011, 10));
    EXPECT_TRUE(PumpUntil([&] { return w.messages.size() >= 2; }));
    EXPECT_EQ(w.messages[0], (std::pair<UINT, WPARAM>{WM_TIMER, 1011}));
    EXPECT_TRUE(w.KillTimer(1011));
    EXPECT_FALSE(w.KillTimer(1011));
}

TEST(RegisteredMessageTest, StableNumbersInTheRange)
{
    UINT a = RegisterWindowMessage("{4695579F-999A-41d4-9FAF-EFFCE93EBF15}");
    UINT b = RegisterWindowMessage("{4695579F-999A-41d4-9FAF-EFFCE93EBE19}");
    EXPECT_GE(a, 0xC000u);
    EXPECT_LE(b, 0xFFFFu);
    EXPECT_NE(a, b);
    EXPECT_EQ(RegisterWindowMessage("{4695579F-999A-41d4-9FAF-EFFCE93EBF15}"), a);
    EXPECT_EQ(RegisterWindowMessage(""), 0u);
}

} // namespace
