// The tray icon: clicks reach the receiver as UM_TRAY_NOTIFY with 514 / 517; without a tray the icon
// says so and creation fails cleanly.

#include "dui/TrayIcon.h"
#include "dui/WindowImplBase.h"
#include "dui/WindowMessages.h"
#include "dui/testing/UiTestHarness.h"

#include <gtest/gtest.h>

using namespace dui;

namespace {

class CReceiverWnd : public WindowImplBase
{
public:
    std::vector<std::pair<WPARAM, LPARAM>> trayMessages;
    std::string GetWindowClassName() const override { return "MainWnd"; }
    std::string GetSkinFile() override { return "<Window size='100,100'><VerticalLayout/></Window>"; }
    LRESULT HandleCustomMessage(UINT msg, WPARAM wParam, LPARAM lParam, bool& handled) override
    {
        if (msg == UM_TRAY_NOTIFY) {
            trayMessages.emplace_back(wParam, lParam);
            handled = true;
        }
        return 0;
    }
};

class TrayIconTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        dui::testing::EnsureApplication();
        CPaintManagerUI::SetResourcePath(std::string(ORVANT_TEST_SOURCE_DIR) + "/fixtures/");
        CWindowWnd::RegisterIconResource(107, "button.png");
        ASSERT_NE(window.Create(nullptr, "tray receiver", 0, 0), nullptr);
    }
    CReceiverWnd window;
};

TEST_F(TrayIconTest, CreationFollowsTheDesktopsTray)
{
    CTrayIcon tray;
    EXPECT_EQ(tray.GetState(), CTrayIcon::State::kNone);
    bool available = CTrayIcon::IsTrayAvailable();
    EXPECT_EQ(tray.CreateTrayIcon(window.GetHWND(), 107, "ORVANT X80 PRO"), available);
    EXPECT_EQ(tray.GetState(), available ? CTrayIcon::State::kShown : CTrayIcon::State::kNoTray);
    EXPECT_EQ(tray.GetTooltipText(), "ORVANT X80 PRO");
    tray.DeleteTrayIcon();
    EXPECT_EQ(tray.GetState(), CTrayIcon::State::kNone);
    tray.DeleteTrayIcon(); // twice is harmless
    EXPECT_FALSE(tray.OnClick(false)) << "a deleted icon reports nothing";
}

TEST_F(TrayIconTest, ClicksReachTheReceiver)
{
    CTrayIcon tray;
    tray.CreateTrayIcon(window.GetHWND(), 107, "ORVANT X80 PRO");
    ASSERT_TRUE(tray.OnClick(false));
    ASSERT_TRUE(tray.OnClick(true));
    ASSERT_TRUE(dui::testing::PumpEventsUntil([&] { return window.trayMessages.size() == 2; }));
    EXPECT_EQ(window.trayMessages[0], (std::pair<WPARAM, LPARAM>{107, 514}));
    EXPECT_EQ(window.trayMessages[1], (std::pair<WPARAM, LPARAM>{107, 517}));
    window.DestroyWindow();
    EXPECT_FALSE(tray.OnClick(false)) << "the receiver is gone";
}

TEST_F(TrayIconTest, NoReceiverNoIcon)
{
    CTrayIcon tray;
    EXPECT_FALSE(tray.CreateTrayIcon(nullptr, 107, "x"));
    EXPECT_EQ(tray.GetState(), CTrayIcon::State::kNone);
}

} // namespace
