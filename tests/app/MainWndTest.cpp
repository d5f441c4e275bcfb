// The main window against the shipped skin, offscreen: the lighting-control state and its messages,
// the "WorkTool" reply as an outside tool receives it, the power flag, the tray toggle, the menu's exit,
// the relayout scale and stopping discovery while the discovery thread waits for the window.

#include "app/MainWnd.h"
#include "app/StartUp.h"
#include "app/WindowMessages.h"
#include "app/WorkToolReply.h"
#include "devices/SupportedDevices.h"
#include "dui/Control.h"
#include "dui/MenuWnd.h"
#include "dui/PaintManager.h"
#include "dui/WindowMessages.h"
#include "dui/testing/UiTestHarness.h"
#include "platform/Event.h"
#include "platform/MessageBus.h"

#include "tools/devsim/DeviceSimulator.h"

#include "tests/app/MainWndFixture.h"
#include "tests/app/PumpEvents.h"
#include "tests/platform/ScratchFolder.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <future>
#include <string>
#include <thread>

namespace {

using orvant_test::PumpUntil;

class MainWndTest : public orvant_test::MainWndFixture
{
protected:
    std::string Text(const char* name)
    {
        dui::CControlUI* control = wnd_->GetPaintManagerUI().FindControl(name);
        return control ? control->GetText() : "<missing>";
    }
};

TEST_F(MainWndTest, InitialisationStartsDiscoveryAndShowsTheWindowAtItsSize)
{
    EXPECT_TRUE(wnd_->IsDiscoveryRunning());
    EXPECT_NE(wnd_->Pages(), nullptr);
    dui::SIZE size = wnd_->GetClientSize();
    EXPECT_EQ(size.cx, CMainWnd::kWidth);
    EXPECT_EQ(size.cy, CMainWnd::kHeight);
    EXPECT_EQ(wnd_->CurrentDevice(), nullptr);
}

TEST_F(MainWndTest, LightControlMessageSetsTheStateAndTheButtonText)
{
    struct Case
    {
        dui::WPARAM wParam;
        dui::LPARAM lParam;
        int state;
        const char* text;
    } cases[] = {
        {1, 0, 0, "不控制灯光"}, {1, 7, 0, "不控制灯光"}, {2, 1, 0, "不控制灯光"},
        {1, 1, 1, "控制灯光"},   {0, 0, 1, "控制灯光"},   {1, -1, 1, "控制灯光"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.wParam) + "," + std::to_string(c.lParam));
        wnd_->SendMessage(UWM_LIGHT_CONTROL_MSG, c.wParam, c.lParam);
        EXPECT_EQ(wnd_->LightControlState(), c.state);
        EXPECT_EQ(Text("control_light_status"), c.text);
    }
}

TEST_F(MainWndTest, LightControlButtonFlipsTheStateAndBroadcastsTheOwner)
{
    platform::BusEndpoint listener;
    ASSERT_TRUE(listener.Open("LightListener"));
    dui::CControlUI* button = wnd_->GetPaintManagerUI().FindControl("control_light_status");
    ASSERT_NE(button, nullptr);
    for (int expected : {0, 1}) {
        dui::TNotifyUI click;
        click.sType = "click";
        click.pSender = button;
        wnd_->Notify(click);
        EXPECT_EQ(wnd_->LightControlState(), expected);
        EXPECT_EQ(Text("control_light_status"), expected ? "控制灯光" : "不控制灯光");
        std::optional<platform::BusMessage> owner;
        while ((owner = listener.Receive(2000)) && owner->message != UWM_LIGHT_OWNER_MSG) {
        }
        ASSERT_TRUE(owner);
        EXPECT_EQ(owner->wParam, 1u);
        EXPECT_EQ(owner->lParam, expected);
    }
}

TEST_F(MainWndTest, WorkToolQueryIsAnsweredWithTheDeviceTypeBlock)
{
    platform::BusEndpoint tool;
    ASSERT_TRUE(tool.Open("WorkTool"));
    std::optional<platform::BusMessage> query = platform::MakeRegisteredMessage(UWM_WORKTOOL_QUERY_MSG, 0, 0);
    ASSERT_TRUE(query);
    ASSERT_EQ(tool.Send("ORVANT X80 PRO", *query), platform::BusSendResult::Sent);

    std::optional<platform::BusMessage> reply;
    ASSERT_TRUE(PumpUntil([&] { return (reply = tool.Receive(0)).has_value(); }));
    EXPECT_EQ(reply->kind, platform::BusMessageKind::CopyData);
    EXPECT_EQ(reply->copyType, 5u);
    EXPECT_EQ(reply->sender, "ORVANT X80 PRO");
    EXPECT_EQ(reply->wParam, reinterpret_cast<uintptr_t>(wnd_->GetHWND()));
    ASSERT_EQ(reply->data.size(), 1024u);

    uint32_t expected[256] = {2, 3, 0, 2, static_cast<uint32_t>(DeviceTypeTable().size())};
    for (size_t i = 0; i < DeviceTypeTable().size(); ++i) {
        expected[5 + 3 * i] = static_cast<uint32_t>(DeviceTypeTable()[i].vendorId);
        expected[6 + 3 * i] = static_cast<uint32_t>(DeviceTypeTable()[i].productId);
        expected[7 + 3 * i] = static_cast<uint32_t>(DeviceTypeTable()[i].kind);
    }
    for (size_t i = 0; i < 256; ++i) {
        const auto* bytes = reinterpret_cast<const uint8_t*>(reply->data.data()) + 4 * i;
        const uint32_t value =
            bytes[0] | bytes[1] << 8 | bytes[2] << 16 | static_cast<uint32_t>(bytes[3]) << 24;
        EXPECT_EQ(value, expected[i]) << "index " << i;
    }
    EXPECT_NE(expected[5], 0u) << "the table has a vendor id";
}

// While suspended the messages below the power step are dropped, but a device call from discovery
// still returns; after the resume they work again.
TEST_F(MainWndTest, SuspendDropsMessagesWithoutStallingDiscovery)
{
    dui::CControlUI* progress = wnd_->GetPaintManagerUI().FindControl("setting_progress");
    ASSERT_NE(progress, nullptr);
    progress->SetVisible(false);

    wnd_->SendMessage(kWmPowerBroadcast, kPowerSuspend, 0);
    EXPECT_FALSE(wnd_->IsPowerOn());
    wnd_->SendMessage(UM_SHOW_SETTING_PROGRESS);
    EXPECT_FALSE(progress->IsVisible());
    dui::HWND hwnd = wnd_->GetHWND();
    wnd_->SendMessage(UM_MENU_ITEM_CLICK,
                      reinterpret_cast<dui::WPARAM>(new dui::MenuCmd{"exit", "", "", false}));
    EXPECT_TRUE(dui::IsWindow(hwnd)) << "the menu is dropped while suspended";

    std::future<void> arrival =
        std::async(std::launch::async, [&] { static_cast<IDiscoveryListener*>(wnd_)->OnDeviceArrived(0); });
    EXPECT_TRUE(
        PumpUntil([&] { return arrival.wait_for(std::chrono::seconds(0)) == std::future_status::ready; }));

    wnd_->SendMessage(kWmPowerBroadcast, kPowerResumeAutomatic, 0);
    EXPECT_TRUE(wnd_->IsPowerOn());
    wnd_->SendMessage(UM_SHOW_SETTING_PROGRESS);
    EXPECT_TRUE(progress->IsVisible());
}

TEST_F(MainWndTest, TrayLeftClickTogglesTheWindow)
{
    ASSERT_TRUE(wnd_->IsWindowVisible());
    wnd_->PostMessage(UM_TRAY_NOTIFY, CMainWnd::kIconResource, WM_LBUTTONUP);
    EXPECT_TRUE(PumpUntil([&] { return !wnd_->IsWindowVisible(); }));
    wnd_->PostMessage(UM_TRAY_NOTIFY, CMainWnd::kIconResource, WM_LBUTTONUP);
    EXPECT_TRUE(PumpUntil([&] { return wnd_->IsWindowVisible(); }));
}

TEST_F(MainWndTest, MenuExitInAnyCaseEndsTheRunAndStopsDiscovery)
{
    dui::HWND hwnd = wnd_->GetHWND();
    auto* cmd = new dui::MenuCmd;
    cmd->szName = "Exit";
    wnd_->PostMessage(UM_MENU_ITEM_CLICK, reinterpret_cast<dui::WPARAM>(cmd), 0);
    EXPECT_TRUE(PumpUntil([&] { return !dui::IsWindow(hwnd); }));
    EXPECT_FALSE(wnd_->IsDiscoveryRunning());
}

TEST_F(MainWndTest, RelayoutScalesByTheMonitorSize)
{
    struct Case
    {
        int width, height, scale;
    } cases[] = {{1920, 1080, 144}, {1280, 1024, 96}, {1501, 961, 144}, {1500, 1080, 96}, {2560, 960, 96}};
    for (const Case& c : cases) {
        EXPECT_EQ(CMainWnd::ScaleForMonitor(c.width, c.height), c.scale) << c.width << "x" << c.height;
    }

    wnd_->SetMonitorQuery([] { return std::optional<dui::SIZE>(dui::SIZE{1920, 1080}); });
    wnd_->Relayout(false);
    EXPECT_EQ(wnd_->Scale(), 144);
    EXPECT_EQ(dui::CPaintManagerUI::GetAllDPI(), 144);
    EXPECT_EQ(wnd_->GetClientSize().cx, CMainWnd::kWidth * 144 / 96);
    EXPECT_TRUE(wnd_->IsWindowVisible());

    wnd_->SetMonitorQuery([] { return std::optional<dui::SIZE>(dui::SIZE{1280, 1024}); });
    wnd_->ShowWindow(false);
    wnd_->Relayout(false);
    EXPECT_EQ(wnd_->Scale(), 96);
    EXPECT_EQ(wnd_->GetClientSize().cx, CMainWnd::kWidth);
    EXPECT_FALSE(wnd_->IsWindowVisible()) << "a hidden window stays hidden";
}

// A display change relayouts at once and once more when the new size reaches the layout's root (its
// "windowsize" notification), so the window settles at the new monitor's scale.
TEST_F(MainWndTest, DisplayChangeRelayoutsAgainWhenTheRootIsResized)
{
    ASSERT_EQ(wnd_->Scale(), 96);
    const int before = wnd_->RelayoutCount();
    wnd_->SetMonitorQuery([] { return std::optional<dui::SIZE>(dui::SIZE{1920, 1080}); });
    wnd_->SendMessage(dui::WM_DISPLAYCHANGE, 32, dui::MAKELPARAM(1920, 1080));
    EXPECT_TRUE(PumpUntil([&] { return wnd_->RelayoutCount() == before + 2; }))
        << wnd_->RelayoutCount() - before << " relayouts";
    EXPECT_EQ(wnd_->Scale(), 144);
    EXPECT_EQ(wnd_->GetClientSize().cx, CMainWnd::kWidth * 144 / 96);

    // A size change without a display change leaves the layout alone.
    wnd_->SetMonitorQuery([] { return std::optional<dui::SIZE>(dui::SIZE{1280, 1024}); });
    wnd_->ResizeClient(CMainWnd::kWidth, CMainWnd::kHeight);
    PumpUntil([] { return false; }, 100);
    EXPECT_EQ(wnd_->RelayoutCount(), before + 2);
}

// The discovery thread waits for the window to handle an arrival. When the window is destroyed before
// the UI thread gets to that message, stopping discovery must end the wait instead of deadlocking.
TEST_F(MainWndTest, DestroyStopsDiscoveryWhileItWaitsForTheWindow)
{
    const std::string folder = VirtualHidFolder();
    std::filesystem::create_directories(folder);
    devsim::CDeviceSimulator sim(folder);
    ASSERT_TRUE(sim.Start());
    ASSERT_TRUE(sim.AddDevice("keyboard"));

    // The UI thread does not pump from here on: the slot is claimed, then the arrival waits.
    const uint32_t plugged = platform::GetTickCount();
    while (wnd_->Pages()->Slots().ConnectedSlots().empty() && platform::GetTickCount() - plugged < 5000) {
        platform::SleepMs(10);
    }
    ASSERT_FALSE(wnd_->Pages()->Slots().ConnectedSlots().empty()) << "discovery found the keyboard";
    platform::SleepMs(50);

    const uint32_t start = platform::GetTickCount();
    wnd_->DestroyWindow();
    EXPECT_LT(platform::GetTickCount() - start, 500u);
    EXPECT_FALSE(wnd_->IsDiscoveryRunning());
}

} // namespace
