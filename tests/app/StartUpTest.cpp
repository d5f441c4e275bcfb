// Start-up: the shipped skin's resource map, the control class registry, private fonts, the single-instance
// decision with its wake-up broadcast, and the main window built from the shipped skin, reachable on
// the bus and raised by the instance message on the UI thread.

#include "app/StartUp.h"
#include "app/ControlRegistry.h"
#include "app/MainWnd.h"
#include "app/WindowMessages.h"
#include "dui/Control.h"
#include "dui/DialogBuilder.h"
#include "dui/MenuWnd.h"
#include "dui/PaintManager.h"
#include "dui/ResourceManager.h"
#include "dui/TrayIcon.h"
#include "dui/WindowMessages.h"
#include "dui/testing/UiTestHarness.h"
#include "platform/DebugOutput.h"
#include "platform/Folders.h"
#include "platform/MessageBus.h"

#include "tests/app/MainWndFixture.h"
#include "tests/app/PumpEvents.h"
#include "tests/platform/ScratchFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace {

using orvant_test::PumpUntil;

using orvant_test::ScopedEnv;
using orvant_test::ScratchFolder;
using orvant_test::ScratchRuntimeTest;

const std::string kSkinFolder = std::string(ORVANT_SOURCE_DIR) + "/skin/";

// Builds the menu elements as the menu window does, so that menu layouts load outside a menu.
class MenuElements : public dui::IDialogBuilderCallback
{
public:
    dui::CControlUI* CreateControl(std::string_view className) override
    {
        if (className == "Menu") {
            return new dui::CMenuUI;
        }
        return className == "MenuElement" ? new dui::CMenuElementUI : nullptr;
    }
};

// ---- resource map ----

TEST(ResourceMap, ShippedSkinNamesLayoutsThatBuild)
{
    dui::testing::EnsureApplication();
    dui::CPaintManagerUI::SetResourcePath(kSkinFolder);
    dui::CResourceManager* resources = dui::CResourceManager::GetInstance();
    ASSERT_TRUE(resources->LoadResource("res.xml"));
    for (const char* name : {"XML_MAIN", "XML_MENU"}) {
        std::string file = resources->GetXmlPath(name);
        ASSERT_FALSE(file.empty()) << name;
        dui::testing::CUiTestHarness ui;
        MenuElements menus;
        EXPECT_NE(ui.Load(file, &menus), nullptr) << name << " -> " << file;
    }
    resources->ResetResourceMap();
}

// ---- control class registry ----

TEST(ControlRegistry, HoldsEveryClassOnceAndBuildsTheRegisteredOnesFromLayouts)
{
    dui::testing::EnsureApplication();
    std::set<std::string, std::less<>> names;
    for (const ControlClassEntry& entry : ControlClasses()) {
        EXPECT_TRUE(names.insert(std::string(entry.name)).second) << entry.name;
    }
    EXPECT_EQ(names.size(), 24u);
    EXPECT_EQ(ControlClasses().front().name, "CCircleProgressUI");
    EXPECT_EQ(ControlClasses().back().name, "CNimbrelHS6533Device");

    int registered = RegisterControlClasses();
    EXPECT_GT(registered, 0);
    for (const ControlClassEntry& entry : ControlClasses()) {
        if (!entry.creator) {
            continue;
        }
        std::string name(entry.name);
        dui::testing::CUiTestHarness ui;
        std::string layout =
            "<Window size='200,100'><VerticalLayout><" + name + " name='made'/></VerticalLayout></Window>";
        ASSERT_NE(ui.Load(layout), nullptr) << name;
        dui::CControlUI* made = ui.Find("made");
        ASSERT_NE(made, nullptr) << name << " was not built from its element";
        std::unique_ptr<dui::CControlUI> fresh(entry.creator());
        EXPECT_EQ(made->GetClass(), fresh->GetClass()) << name;
    }
}

// ---- private fonts ----

std::vector<std::string> g_registered; // contents of the font files, in registration order
std::vector<int> g_removed;            // handles, in removal order

int FakeAdd(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (bytes == "not a font") {
        return -1;
    }
    g_registered.push_back(bytes);
    return static_cast<int>(g_registered.size()) - 1;
}

void FakeRemove(int handle)
{
    g_removed.push_back(handle);
}

class PrivateFonts : public ScratchRuntimeTest
{
protected:
    void SetUp() override
    {
        ScratchRuntimeTest::SetUp();
        g_registered.clear();
        g_removed.clear();
        SetFontRegistrar({&FakeAdd, &FakeRemove});
    }
    void TearDown() override { SetFontRegistrar({}); }

    ScratchFolder exe_;
    ScopedEnv exeDir_{"ORVANT_EXE_DIR", exe_.Path()};
};

TEST_F(PrivateFonts, LoadInOrderSkipMissingOrBadOnesAndReleaseInReverse)
{
    std::filesystem::create_directory(exe_.Path() + "Font");
    exe_.Write("Font/Simplified_Chinese.ttf", "font 1");
    exe_.Write("Font/Dodavivi-Regular.otf", "not a font");
    exe_.Write("Font/NotoSansCJKtc-Regular.otf", "font 4");
    {
        CStartUp startUp;
        EXPECT_EQ(startUp.LoadFonts(), 2);
        EXPECT_EQ(g_registered, (std::vector<std::string>{"font 1", "font 4"}));
        startUp.TearDown();
        EXPECT_EQ(g_removed, (std::vector<int>{1, 0}));
        startUp.TearDown();
    }
    EXPECT_EQ(g_removed.size(), 2u) << "a font is released once";
}

TEST_F(PrivateFonts, NoFontFolderLoadsNothing)
{
    CStartUp startUp;
    EXPECT_EQ(startUp.LoadFonts(), 0);
    EXPECT_TRUE(g_registered.empty());
}

TEST_F(ScratchRuntimeTest, SkinLibraryRegistersARealFontFileAndRejectsABadOne)
{
    const std::string dejaVu = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
    if (!std::filesystem::exists(dejaVu)) {
        GTEST_SKIP() << "no " << dejaVu;
    }
    dui::testing::EnsureApplication();
    ScratchFolder exe;
    ScopedEnv exeDir{"ORVANT_EXE_DIR", exe.Path()};
    std::filesystem::create_directory(exe.Path() + "Font");
    std::filesystem::copy_file(dejaVu, exe.Path() + "Font/Simplified_Chinese.ttf");
    exe.Write("Font/Dodavivi-Regular.otf", "not a font");
    SetFontRegistrar(SkinFontRegistrar());
    {
        CStartUp startUp;
        EXPECT_EQ(startUp.LoadFonts(), 1);
        PrivateFont again;
        EXPECT_TRUE(again.Load("Font\\Simplified_Chinese.ttf")) << "a file may be registered twice";
        again.Release();
        EXPECT_FALSE(again.IsLoaded());
    }
    SetFontRegistrar({});
}

// ---- single instance ----

TEST_F(ScratchRuntimeTest, SecondInstanceWakesTheFirstOverTheBus)
{
    platform::BusEndpoint first;
    ASSERT_TRUE(first.Open("ORVANT X80 PRO"));
    CStartUp owner;
    ASSERT_TRUE(owner.RegisterInstanceMessage());
    ASSERT_TRUE(owner.AcquireInstance());
    EXPECT_FALSE(first.Receive(0)) << "the first instance wakes nobody";

    CStartUp second;
    ASSERT_TRUE(second.RegisterInstanceMessage());
    EXPECT_FALSE(second.AcquireInstance());
    std::optional<platform::BusMessage> wake = first.Receive(2000);
    ASSERT_TRUE(wake);
    EXPECT_EQ(wake->message, UWM_INSTANCE_MSG);
    EXPECT_EQ(wake->name, "ORVANT X80 PRO");
    EXPECT_EQ(wake->wParam, 0u);
    EXPECT_EQ(wake->lParam, 1);

    owner.TearDown();
    CStartUp third;
    EXPECT_TRUE(third.AcquireInstance()) << "the lock is free once its owner let it go";
}

// With no runtime folder and no temporary folder to make the lock in, nobody can be holding it.
TEST_F(ScratchRuntimeTest, LockThatCannotBeMadeLeavesThisTheFirstInstance)
{
    ScopedEnv runtime("XDG_RUNTIME_DIR", "/proc/orvant-no-runtime");
    ScopedEnv tmp("TMPDIR", "/proc/orvant-no-tmp");
    platform::DebugCapture debug;
    CStartUp startUp;
    ASSERT_TRUE(startUp.RegisterInstanceMessage());
    EXPECT_TRUE(startUp.AcquireInstance());
    EXPECT_TRUE(debug.Contains("single-instance lock")) << debug.Text();
    EXPECT_TRUE(debug.Contains("going on as the first instance"));
}

// ---- main window ----

using MainWindow = orvant_test::MainWndFixture;

// Started where the session's runtime folder cannot be used (as after su): the window still shows and
// is reachable on the bus, which lives in this user's private temporary folder instead.
class MainWindowWithoutItsRuntimeFolder : public orvant_test::MainWndFixture
{
protected:
    ScopedEnv runtimeAfterSu_{"XDG_RUNTIME_DIR", "/proc/orvant-no-runtime"};
    ScopedEnv tmp_{"TMPDIR", scratch_.Path()};
};

TEST_F(MainWindowWithoutItsRuntimeFolder, ShowsAndIsReachableOnTheBus)
{
    EXPECT_TRUE(wnd_->IsWindowVisible());
    EXPECT_TRUE(wnd_->HasBusEndpoint());
    EXPECT_EQ(platform::BusFolder().rfind(scratch_.Path(), 0), 0u) << platform::BusFolder();
    std::optional<platform::BusMessage> wake = platform::MakeRegisteredMessage(UWM_INSTANCE_MSG, 0, 1);
    ASSERT_TRUE(wake);
    EXPECT_EQ(platform::BusBroadcast(*wake), 1);
    EXPECT_TRUE(PumpUntil([&] { return wnd_->InstanceWakeCount() == wakes0_ + 1; }));
}

// Without a layout nothing sizes the window after its creation.
TEST_F(ScratchRuntimeTest, WithoutItsSkinTheMainWindowKeepsItsCreationSize)
{
    dui::testing::EnsureApplication();
    ScratchFolder exe;
    ScopedEnv exeDir{"ORVANT_EXE_DIR", exe.Path()};
    CStartUp startUp;
    ASSERT_TRUE(startUp.RegisterInstanceMessage());
    startUp.SetUpResources();
    ASSERT_TRUE(startUp.CreateMainWindow());
    EXPECT_FALSE(startUp.MainWindow()->IsSkinLoaded());
    const dui::SIZE size = startUp.MainWindow()->GetClientSize();
    EXPECT_EQ(size.cx, 800);
    EXPECT_EQ(size.cy, 572);
    startUp.TearDown();
}

TEST_F(MainWindow, IsBuiltFromTheMainLayoutWithItsTitleAndSize)
{
    EXPECT_TRUE(wnd_->IsSkinLoaded());
    EXPECT_EQ(wnd_->GetTitle(), "ORVANT X80 PRO");
    dui::SIZE size = wnd_->GetClientSize();
    EXPECT_EQ(size.cx, CMainWnd::kWidth);
    EXPECT_EQ(size.cy, CMainWnd::kHeight);
    EXPECT_TRUE(wnd_->IsWindowVisible());
    EXPECT_EQ(g_hMainWnd, wnd_->GetHWND());
    for (const char* name :
         {"closebtn", "maxbtn", "restorebtn", "minbtn", "skinbtn", "gamemodebtn", "cloudbtn", "smarteyesbtn",
          "setbtn", "device_select_layout", "No_device_Link", "setting_progress"}) {
        EXPECT_NE(wnd_->GetPaintManagerUI().FindControl(name), nullptr) << name;
    }
    EXPECT_TRUE(wnd_->HasBusEndpoint());
    EXPECT_TRUE(platform::FindWindow("ORVANT X80 PRO"));
}

TEST_F(MainWindow, InstanceMessageFromTheBusRestoresTheHiddenWindowOnTheUiThread)
{
    wnd_->ShowWindow(false);
    ASSERT_FALSE(wnd_->IsWindowVisible());
    std::optional<platform::BusMessage> wake = platform::MakeRegisteredMessage(UWM_INSTANCE_MSG, 0, 1);
    ASSERT_TRUE(wake);
    // Sent from a thread of its own, as another process would.
    std::thread sender(
        [&] { EXPECT_EQ(platform::BusSend("ORVANT X80 PRO", *wake), platform::BusSendResult::Sent); });
    sender.join();
    EXPECT_TRUE(PumpUntil([&] { return wnd_->InstanceWakeCount() == wakes0_ + 1; }));
    EXPECT_TRUE(wnd_->IsWindowVisible());

    wnd_->Minimize();
    wnd_->PostMessage(UWM_INSTANCE_MSG, 0, 0); // the discovery thread's form
    EXPECT_TRUE(PumpUntil([&] { return wnd_->InstanceWakeCount() == wakes0_ + 2; }));
    EXPECT_FALSE(wnd_->IsMinimized());
}

TEST_F(MainWindow, OtherMessagesFromTheBusDoNotRaiseIt)
{
    std::optional<platform::BusMessage> other = platform::MakeRegisteredMessage(UWM_LIGHT_CONTROL_MSG, 1, 1);
    ASSERT_TRUE(other);
    ASSERT_EQ(platform::BusSend("ORVANT X80 PRO", *other), platform::BusSendResult::Sent);
    PumpUntil([] { return false; }, 300);
    EXPECT_EQ(wnd_->InstanceWakeCount(), wakes0_);
}

TEST_F(MainWindow, CloseButtonEndsTheRunAndFreesTheTitle)
{
    dui::CControlUI* close = wnd_->GetPaintManagerUI().FindControl("closebtn");
    ASSERT_NE(close, nullptr);
    wnd_->GetPaintManagerUI().UpdateLayout();
    dui::RECT rc = close->GetPos();
    dui::LPARAM at = dui::MAKELPARAM((rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2);
    dui::HWND hwnd = wnd_->GetHWND();
    wnd_->SendMessage(dui::WM_MOUSEMOVE, 0, at);
    wnd_->SendMessage(dui::WM_LBUTTONDOWN, dui::MK_LBUTTON, at);
    wnd_->SendMessage(dui::WM_LBUTTONUP, 0, at);
    EXPECT_TRUE(PumpUntil([&] { return !dui::IsWindow(hwnd); }));
    EXPECT_EQ(g_hMainWnd, nullptr);
    startUp_.TearDown();
    EXPECT_FALSE(platform::FindWindow("ORVANT X80 PRO"));
}

// ---- tray icon and tray menu ----

TEST_F(MainWindow, AsksForTheTrayIconAndKeepsCloseEndingTheRunWithoutATray)
{
    // The offscreen platform has no tray: "closebtn" must keep closing (see CloseButtonEndsTheRun...).
    EXPECT_EQ(wnd_->TrayIcon().GetState(), dui::CTrayIcon::State::kNoTray);
    EXPECT_EQ(wnd_->TrayIcon().GetTooltipText(), "ORVANT X80 PRO");
}

TEST_F(MainWindow, TrayLeftClickRestoresTheHiddenOrMinimisedWindow)
{
    wnd_->ShowWindow(false);
    ASSERT_TRUE(wnd_->TrayIcon().OnClick(false));
    EXPECT_TRUE(PumpUntil([&] { return wnd_->IsWindowVisible(); }));

    wnd_->Minimize();
    wnd_->PostMessage(UM_TRAY_NOTIFY, CMainWnd::kIconResource, WM_LBUTTONUP);
    EXPECT_TRUE(PumpUntil([&] { return !wnd_->IsMinimized(); }));
    EXPECT_EQ(wnd_->TrayMenuCount(), 0);
}

TEST_F(MainWindow, TrayRightClickOpensTheMenuFromTheSkin)
{
    ASSERT_TRUE(wnd_->TrayIcon().OnClick(true));
    EXPECT_TRUE(PumpUntil([&] { return wnd_->TrayMenuCount() == 1; }));
    wnd_->PostMessage(UM_TRAY_NOTIFY, CMainWnd::kIconResource, 0x0200); // a mouse move: nothing
    PumpUntil([] { return false; }, 100);
    EXPECT_EQ(wnd_->TrayMenuCount(), 1);
    EXPECT_EQ(wnd_->InstanceWakeCount(), wakes0_);
}

TEST(TrayMenu, ShippedLayoutHoldsShowAndExit)
{
    dui::testing::EnsureApplication();
    dui::CPaintManagerUI::SetResourcePath(kSkinFolder);
    dui::testing::CUiTestHarness ui;
    MenuElements menus;
    ASSERT_NE(ui.Load(kSkinFolder + "XML/Menus/menu.xml", &menus), nullptr);
    for (const char* name : {"show", "exit"}) {
        dui::CControlUI* item = ui.Find(name);
        ASSERT_NE(item, nullptr) << name;
        EXPECT_NE(item->GetInterface("MenuElement"), nullptr) << name << " must post a menu command";
    }
}

TEST_F(MainWindow, MenuItemsShowTheWindowIgnoreUnknownOnesAndExitEndsTheRun)
{
    auto post = [&](const char* name) {
        wnd_->PostMessage(UM_MENU_ITEM_CLICK,
                          reinterpret_cast<dui::WPARAM>(new dui::MenuCmd{name, "", "", false}), 0);
    };
    wnd_->ShowWindow(false);
    post("no_such_item");
    PumpUntil([] { return false; }, 100);
    EXPECT_FALSE(wnd_->IsWindowVisible());

    post("show");
    EXPECT_TRUE(PumpUntil([&] { return wnd_->IsWindowVisible(); }));

    dui::HWND hwnd = wnd_->GetHWND();
    post("exit");
    EXPECT_TRUE(PumpUntil([&] { return !dui::IsWindow(hwnd); }));
    EXPECT_EQ(g_hMainWnd, nullptr);
    EXPECT_EQ(wnd_->TrayIcon().GetState(), dui::CTrayIcon::State::kNone);
    startUp_.TearDown();
    EXPECT_FALSE(platform::FindWindow("ORVANT X80 PRO"));
}

TEST_F(MainWindow, ClickingExitInTheTrayMenuEndsTheRun)
{
    dui::CMenuWnd* menu = dui::CMenuWnd::CreateMenu("XML_MENU", {100, 100}, &wnd_->GetPaintManagerUI());
    ASSERT_NE(menu, nullptr);
    dui::CPaintManagerUI& pm = menu->GetPaintManagerUI();
    pm.UpdateLayout();
    dui::CControlUI* exit = pm.FindControl("exit");
    ASSERT_NE(exit, nullptr);
    dui::RECT rc = exit->GetPos();
    dui::LPARAM at = dui::MAKELPARAM((rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2);
    menu->SendMessage(dui::WM_MOUSEMOVE, 0, at);
    menu->SendMessage(dui::WM_LBUTTONDOWN, dui::MK_LBUTTON, at);
    menu->SendMessage(dui::WM_LBUTTONUP, 0, at);
    dui::HWND hwnd = wnd_->GetHWND();
    EXPECT_TRUE(PumpUntil([&] { return !dui::IsWindow(hwnd); }));
    EXPECT_EQ(g_hMainWnd, nullptr);
}

TEST(MainLayout, RendersDarkWithItsCaption)
{
    dui::testing::EnsureApplication();
    dui::CPaintManagerUI::SetResourcePath(kSkinFolder);
    dui::testing::CUiTestHarness ui({800, 572});
    ASSERT_NE(ui.Load("XML\\main.xml"), nullptr);
    // Window body and caption bar are dark; the accent line under the caption is blue.
    for (dui::POINT pt : {dui::POINT{400, 300}, dui::POINT{300, 20}}) {
        dui::DWORD c = ui.PixelAt(pt.x, pt.y);
        EXPECT_LT(((c >> 16) & 0xFF) + ((c >> 8) & 0xFF) + (c & 0xFF), 3u * 0x40) << std::hex << c;
    }
    EXPECT_EQ(ui.PixelAt(400, 48) & 0xFFFFFF, 0x2B7FFFu);
    const char* out = std::getenv("ORVANT_SCREENSHOT");
    if (out != nullptr && *out != '\0') {
        EXPECT_TRUE(ui.RenderPng(out));
    }
}

} // namespace
