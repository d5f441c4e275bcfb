// A stop signal closes the main window, also one that comes before start-up names the window (the
// window is reachable on the bus while it is being made, so a stop request can come that early).

#include "app/TerminationSignals.h"
#include "dui/WindowMessages.h"
#include "dui/WindowWnd.h"
#include "dui/testing/UiTestHarness.h"
#include "platform/DebugOutput.h"

#include "tests/app/PumpEvents.h"

#include <gtest/gtest.h>

#include <csignal>

namespace {

using orvant_test::PumpUntil;

class CCloseCountingWnd : public dui::CWindowWnd
{
public:
    int closes = 0;

    dui::LRESULT HandleMessage(dui::UINT msg, dui::WPARAM wParam, dui::LPARAM lParam) override
    {
        if (msg == dui::WM_CLOSE) {
            ++closes;
            return 0;
        }
        return CWindowWnd::HandleMessage(msg, wParam, lParam);
    }
};

TEST(TerminationSignals, SignalClosesTheWindowOnceWhetherItCameBeforeOrAfterTheWindowWasNamed)
{
    dui::testing::EnsureApplication();
    for (const bool beforeWindow : {true, false}) {
        SCOPED_TRACE(beforeWindow ? "signal before the window" : "signal after the window");
        CCloseCountingWnd wnd;
        ASSERT_NE(wnd.Create(nullptr, "Signalled", 0, 0, 0, 0, 10, 10), nullptr);
        platform::DebugCapture capture;
        CTerminationSignals stopSignals;
        ASSERT_TRUE(stopSignals.Start());
        if (!beforeWindow) {
            stopSignals.SetWindow(wnd.GetHWND());
        }
        ASSERT_EQ(std::raise(SIGTERM), 0);
        ASSERT_TRUE(PumpUntil([&] { return capture.Contains("stop requested by a signal"); }));
        if (beforeWindow) {
            stopSignals.SetWindow(wnd.GetHWND());
        }
        EXPECT_TRUE(PumpUntil([&] { return wnd.closes > 0; }));
        stopSignals.Stop();
        QCoreApplication::processEvents();
        EXPECT_EQ(wnd.closes, 1);
        wnd.DestroyWindow();
    }
}

} // namespace
