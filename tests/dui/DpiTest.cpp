// Display scale: a layout at DPI 144 lays out, paints and hit-tests at 1.5 times its size at 96 (window,
// controls, caption, fonts, images), pop-ups follow their owner, and going back to 96 restores every
// size exactly; unsupported values change nothing.

#include "dui/Control.h"
#include "dui/MenuWnd.h"
#include "dui/RenderEngine.h"
#include "dui/WindowImplBase.h"
#include "dui/WindowMessages.h"
#include "dui/testing/UiTestHarness.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>

using namespace dui;
using dui::testing::CUiTestHarness;
using dui::testing::PumpEventsUntil;

namespace {

const std::string kFixtures = std::string(ORVANT_TEST_SOURCE_DIR) + "/fixtures/";

// Controls of sample.xml whose rectangles are compared between scales.
const char* const kControls[] = {"caption", "title", "closebtn", "tab_a",  "tab_b",
                                 "check",   "pages", "edit",     "slider", "progress"};

RECT Times(const RECT& rc, int num, int den)
{
    return {rc.left * num / den, rc.top * num / den, rc.right * num / den, rc.bottom * num / den};
}

void ExpectNear(const RECT& actual, const RECT& expected, const char* what)
{
    // Stretched parts share integer room, so an edge may land one pixel off the exact product.
    EXPECT_NEAR(actual.left, expected.left, 1) << what;
    EXPECT_NEAR(actual.top, expected.top, 1) << what;
    EXPECT_NEAR(actual.right, expected.right, 1) << what;
    EXPECT_NEAR(actual.bottom, expected.bottom, 1) << what;
}

class DpiTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        dui::testing::EnsureApplication();
        CPaintManagerUI::SetResourcePath(kFixtures);
    }
    void TearDown() override { CPaintManagerUI::SetAllDPI(96); }

    std::map<std::string, RECT> Rects(CUiTestHarness& h)
    {
        h.Layout();
        std::map<std::string, RECT> rects;
        for (const char* name : kControls)
            rects[name] = h.Find(name)->GetPos();
        return rects;
    }
};

TEST_F(DpiTest, LayoutScalesAndComesBackExactly)
{
    CUiTestHarness h({10, 10});
    ASSERT_NE(h.Load("sample.xml"), nullptr);
    CPaintManagerUI& pm = h.Manager();
    EXPECT_EQ(pm.GetClientSize(), (SIZE{400, 300}));
    std::map<std::string, RECT> at96 = Rects(h);

    ASSERT_TRUE(pm.SetDPI(144));
    EXPECT_EQ(pm.GetDPI(), 144);
    EXPECT_EQ(pm.GetClientSize(), (SIZE{600, 450}));
    std::map<std::string, RECT> at144 = Rects(h);
    for (const char* name : kControls)
        ExpectNear(at144[name], Times(at96[name], 3, 2), name);
    EXPECT_EQ(at144["caption"], (RECT{0, 0, 600, 48})) << "fixed height and width of the window";
    EXPECT_EQ(at144["closebtn"].Height(), 36) << "a fixed size";
    EXPECT_EQ(at144["tab_a"].left, 12) << "the inset";
    EXPECT_EQ(at144["tab_b"].left - at144["tab_a"].right, 12) << "the child padding";
    // Layout values read back as given.
    EXPECT_EQ(h.Find("closebtn")->GetFixedWidth(), 24);
    EXPECT_EQ(pm.GetInitSize(), (SIZE{400, 300}));

    // Fonts: the table keeps the size given, drawing and measuring use the scaled one.
    EXPECT_EQ(pm.GetFontInfo(0).iSize, 14);
    EXPECT_EQ(pm.GetScaledFontInfo(0).iSize, 21);
    SIZE text144 = CRenderEngine::GetTextSize(&pm, "Sample window", 0, DT_SINGLELINE);
    ASSERT_TRUE(pm.SetDPI(96));
    SIZE text96 = CRenderEngine::GetTextSize(&pm, "Sample window", 0, DT_SINGLELINE);
    EXPECT_NEAR(text144.cx, text96.cx * 1.5, text96.cx * 0.15);
    EXPECT_NEAR(text144.cy, text96.cy * 1.5, text96.cy * 0.2);

    EXPECT_EQ(pm.GetClientSize(), (SIZE{400, 300}));
    std::map<std::string, RECT> again = Rects(h);
    for (const char* name : kControls)
        EXPECT_EQ(again[name], at96[name]) << name << " after going back to 96";
}

TEST_F(DpiTest, ResizedWindowKeepsItsProportion)
{
    CUiTestHarness h({10, 10});
    ASSERT_NE(h.Load("sample.xml"), nullptr);
    h.Resize({500, 320});
    ASSERT_TRUE(h.Manager().SetDPI(192));
    EXPECT_EQ(h.Manager().GetClientSize(), (SIZE{1000, 640}));
    ASSERT_TRUE(h.Manager().SetDPI(72));
    EXPECT_EQ(h.Manager().GetClientSize(), (SIZE{375, 240}));
}

TEST_F(DpiTest, UnsupportedValuesAreRefused)
{
    CUiTestHarness h;
    ASSERT_TRUE(h.Manager().SetDPI(120));
    for (int dpi : {0, -96, 97, 100, 240, 960}) {
        EXPECT_FALSE(h.Manager().SetDPI(dpi)) << dpi;
        EXPECT_FALSE(CPaintManagerUI::SetAllDPI(dpi)) << dpi;
        EXPECT_EQ(h.Manager().GetDPI(), 120) << dpi;
    }
    for (int dpi : {48, 72, 96, 120, 144, 168, 192})
        EXPECT_TRUE(CPaintManagerUI::IsSupportedDPI(dpi)) << dpi;
}

TEST_F(DpiTest, SetAllDpiReachesLiveAndLaterManagers)
{
    CUiTestHarness a, b;
    ASSERT_TRUE(CPaintManagerUI::SetAllDPI(168));
    EXPECT_EQ(a.Manager().GetDPI(), 168);
    EXPECT_EQ(b.Manager().GetDPI(), 168);
    CUiTestHarness later;
    EXPECT_EQ(later.Manager().GetDPI(), 168);
    ASSERT_TRUE(CPaintManagerUI::SetAllDPI(96));
    EXPECT_EQ(later.Manager().GetDPI(), 96);
}

TEST_F(DpiTest, RenderedAt144LooksLikeTheLayoutAt96Enlarged)
{
    CUiTestHarness h({10, 10});
    ASSERT_NE(h.Load("sample.xml"), nullptr);
    ASSERT_TRUE(h.Manager().SetDPI(144));
    std::string out = (std::filesystem::temp_directory_path() / "dui-sample-144.png").string();
    ASSERT_TRUE(h.RenderPng(out));
    EXPECT_EQ(h.PixelAt(300, 44), 0xFF303040u) << "caption bar, 48 high";
    EXPECT_EQ(h.PixelAt(300, 52), 0xFFF0F0F0u) << "below it the window background";
    RECT key = h.Find("key_0")->GetPos();
    // key.png stretched from 40 to 60 pixels: its 3 pixel frame is about 4.5 wide.
    EXPECT_EQ(h.PixelAt(key.left + 3, key.top + 3), 0xFF787878u) << "key image frame, scaled";
    EXPECT_EQ(h.PixelAt(key.left + 30, key.top + 30), 0xFF282828u) << "key image face";
    RECT close = h.Find("closebtn")->GetPos();
    EXPECT_EQ(close.Width(), 36);
    EXPECT_EQ(h.PixelAt(close.left, close.top), 0xFF143CA0u) << "nine-grid corner of the button image";
    RECT edit = h.Find("edit")->GetPos();
    EXPECT_EQ(h.PixelAt(edit.left + 1, edit.top + edit.Height() / 2), 0xFF808080u) << "the border";
}

// A real window built from the layout, driven through its message path.
class CSampleWnd : public WindowImplBase
{
public:
    std::vector<std::string> clicks;
    std::string GetWindowClassName() const override { return "SampleWnd"; }
    std::string GetSkinFile() override { return "sample.xml"; }
    void Notify(TNotifyUI& msg) override
    {
        if (msg.sType == DUI_MSGTYPE_CLICK)
            clicks.push_back(msg.pSender->GetName());
        else
            WindowImplBase::Notify(msg);
    }
};

TEST_F(DpiTest, WindowSizeCaptionAndHitTestingFollowTheScale)
{
    CSampleWnd w;
    ASSERT_NE(w.Create(nullptr, "sample", UI_WNDSTYLE_FRAME, 0), nullptr);
    CPaintManagerUI& pm = w.GetPaintManagerUI();
    EXPECT_EQ(w.GetClientSize(), (SIZE{400, 300}));
    pm.UpdateLayout();
    RECT tab96 = pm.FindControl("tab_b")->GetPos();
    // A point inside the tab at 1.5 times but outside it at 96.
    POINT pt{tab96.right + 10, tab96.bottom + 10};
    auto click = [&](POINT p) {
        w.SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(p.x, p.y));
        w.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(p.x, p.y));
        w.SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(p.x, p.y));
    };
    click(pt);
    EXPECT_TRUE(w.clicks.empty());
    EXPECT_FALSE(pm.IsCaptionPoint({200, 40}));

    ASSERT_TRUE(pm.SetDPI(144));
    EXPECT_TRUE(PumpEventsUntil([&] { return w.GetClientSize() == SIZE{600, 450}; }));
    EXPECT_EQ(w.GetClientSize(), (SIZE{600, 450}));
    pm.UpdateLayout();
    ExpectNear(pm.FindControl("tab_b")->GetPos(), Times(tab96, 3, 2), "tab_b");
    click(pt);
    EXPECT_EQ(w.clicks, std::vector<std::string>{"tab_b"});
    EXPECT_TRUE(pm.IsCaptionPoint({200, 40})) << "the caption is 48 high";

    ASSERT_TRUE(pm.SetDPI(96));
    EXPECT_TRUE(PumpEventsUntil([&] { return w.GetClientSize() == SIZE{400, 300}; }));
    pm.UpdateLayout();
    EXPECT_EQ(pm.FindControl("tab_b")->GetPos(), tab96);
    w.DestroyWindow();
}

TEST_F(DpiTest, MenuTakesItsOwnersScale)
{
    CSampleWnd owner;
    ASSERT_NE(owner.Create(nullptr, "owner", UI_WNDSTYLE_FRAME, 0), nullptr);
    CPaintManagerUI::SetResourcePath(kFixtures + "skin/");
    auto menuSize = [&] {
        CMenuWnd* menu = CMenuWnd::CreateMenu("menu.xml", {10, 10}, &owner.GetPaintManagerUI());
        EXPECT_NE(menu, nullptr);
        if (!menu)
            return SIZE{};
        SIZE size = menu->GetClientSize();
        menu->DestroyWindow();
        return size;
    };
    SIZE at96 = menuSize();
    EXPECT_EQ(at96, (SIZE{160, 28 + 28 + 32}));
    ASSERT_TRUE(owner.GetPaintManagerUI().SetDPI(144));
    EXPECT_EQ(menuSize(), (SIZE{240, 132}));
    owner.DestroyWindow();
}

} // namespace
