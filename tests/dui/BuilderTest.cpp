// Layout files: element lookup order, sub-layouts, defaults, fonts, window attributes, bad input; the
// sample layout rendered to a PNG.

#include "dui/Button.h"
#include "dui/ControlFactory.h"
#include "dui/Label.h"
#include "dui/RenderEngine.h"
#include "dui/testing/UiTestHarness.h"
#include "platform/DebugOutput.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace dui;
using dui::testing::CUiTestHarness;

namespace {

const std::string kFixtures = std::string(ORVANT_TEST_SOURCE_DIR) + "/fixtures/";

class CFactoryLabel : public CLabelUI
{
public:
    std::string GetClass() const override { return "FactoryLabel"; }
};

class CCallbackButton : public CButtonUI
{
public:
    std::string GetClass() const override { return "CallbackButton"; }
};

struct Callback : IDialogBuilderCallback
{
    std::vector<std::string> asked;
    CControlUI* CreateControl(std::string_view name) override
    {
        asked.emplace_back(name);
        if (EqualsNoCase(name, "Special") || EqualsNoCase(name, "Shared"))
            return new CCallbackButton;
        return nullptr;
    }
};

TEST(BuilderTest, OwnElementsThenCallbackThenRegistry)
{
    CControlFactory::GetInstance()->RegistControl("Shared",
                                                  []() -> CControlUI* { return new CFactoryLabel; });
    CControlFactory::GetInstance()->RegistControl("CFactoryLabelUI",
                                                  []() -> CControlUI* { return new CFactoryLabel; });
    CUiTestHarness h;
    Callback cb;
    ASSERT_NE(h.Load("<Window><VerticalLayout><BUTTON name='own'/><special name='cb'/><Shared name='both'/>"
                     "<cfactorylabelui name='reg'/></VerticalLayout></Window>",
                     &cb),
              nullptr);
    EXPECT_EQ(h.Find("own")->GetClass(), "Button");
    EXPECT_EQ(h.Find("cb")->GetClass(), "CallbackButton");
    EXPECT_EQ(h.Find("both")->GetClass(), "CallbackButton") << "the callback comes before the registry";
    EXPECT_EQ(h.Find("reg")->GetClass(), "FactoryLabel");
    EXPECT_EQ(cb.asked, (std::vector<std::string>{"special", "Shared", "cfactorylabelui"}))
        << "library elements never reach the callback";
}

TEST(BuilderTest, UnknownElementIsLeftOutWithADebugLine)
{
    platform::DebugCapture capture;
    CUiTestHarness h;
    ASSERT_NE(h.Load("<VerticalLayout name='root'><Nonsense name='x'><Button name='inner'/></Nonsense><Label "
                     "name='l'/></VerticalLayout>"),
              nullptr);
    EXPECT_EQ(h.Find("x"), nullptr);
    EXPECT_EQ(h.Find("inner"), nullptr);
    EXPECT_NE(h.Find("l"), nullptr);
    EXPECT_TRUE(capture.Contains("unknown element 'Nonsense'"));
}

TEST(BuilderTest, BadLayoutsGiveNoTreeAndSayWhy)
{
    struct Case
    {
        const char* what;
        std::string layout;
        const char* debug;
    };
    const Case cases[] = {
        {"missing file", "no/such/layout.xml", "cannot read layout file"},
        {"unclosed element", "<Window><VerticalLayout></Window>", "cannot parse layout"},
        {"not XML", "<<<>>>", "cannot parse layout"},
        {"no control", "<Window><Font id='1' name='x'/></Window>", "layout holds no control"},
        {"two roots", "<VerticalLayout/><VerticalLayout/>", "cannot parse layout"},
    };
    for (const Case& c : cases) {
        platform::DebugCapture capture;
        CDialogBuilder builder;
        CPaintManagerUI pm;
        EXPECT_EQ(builder.Create(c.layout, {}, nullptr, &pm), nullptr) << c.what;
        EXPECT_TRUE(capture.Contains(c.debug)) << c.what << ": " << capture.Text();
        EXPECT_FALSE(builder.GetLastError().empty()) << c.what;
    }
}

TEST(BuilderTest, WindowFontsDefaultsAndIncludes)
{
    CPaintManagerUI::SetResourcePath(kFixtures);
    CUiTestHarness h({400, 300});
    ASSERT_NE(h.Load("sample.xml"), nullptr);
    CPaintManagerUI& pm = h.Manager();
    EXPECT_EQ(pm.GetInitSize().cx, 400);
    EXPECT_EQ(pm.GetCaptionRect().bottom, 32);
    EXPECT_EQ(pm.GetFontInfo(0).iSize, 14);
    EXPECT_TRUE(pm.GetFontInfo(0).bBold);
    EXPECT_EQ(pm.GetDefaultFontInfo().iSize, 12);
    // The default attribute list of "Button" applies under the element's own attributes.
    auto* close = static_cast<CButtonUI*>(h.Find("closebtn"));
    EXPECT_NE(close->GetNormalImage().find("button.png"), std::string::npos);
    EXPECT_EQ(close->GetTextColor(), 0xFFFFFFFFu);
    EXPECT_EQ(close->GetFixedWidth(), 24);
    // The included row lands inside page_a, and its controls are found by name.
    ASSERT_NE(h.Find("key_1"), nullptr);
    EXPECT_EQ(h.Find("keys")->GetParent(), h.Find("page_a"));
    EXPECT_EQ(pm.FindSubControlByName(h.Find("page_a"), "combo"), h.Find("combo"));
    EXPECT_EQ(pm.FindSubControlByName(h.Find("page_b"), "combo"), nullptr);
    EXPECT_TRUE(pm.IsCaptionPoint({100, 10}));
    EXPECT_FALSE(pm.IsCaptionPoint({100, 40}));
}

TEST(BuilderTest, IncludeCycleStops)
{
    namespace fs = std::filesystem;
    fs::path dir = fs::temp_directory_path() / "dui-include-cycle";
    fs::create_directories(dir);
    {
        FILE* f = fopen((dir / "loop.xml").c_str(), "w");
        fputs("<VerticalLayout><Include source='loop.xml'/></VerticalLayout>", f);
        fclose(f);
    }
    CPaintManagerUI::SetResourcePath(dir.string());
    platform::DebugCapture capture;
    CUiTestHarness h;
    EXPECT_NE(h.Load("loop.xml"), nullptr);
    EXPECT_TRUE(capture.Contains("includes nested too deep"));
    fs::remove_all(dir);
}

TEST(RenderTest, SampleLayoutRendersAsDrawn)
{
    CPaintManagerUI::SetResourcePath(kFixtures);
    CUiTestHarness h({400, 300});
    ASSERT_NE(h.Load("sample.xml"), nullptr);
    std::string out = (std::filesystem::temp_directory_path() / "dui-sample.png").string();
    ASSERT_TRUE(h.RenderPng(out));
    EXPECT_EQ(h.PixelAt(200, 5), 0xFF303040u) << "caption bar";
    EXPECT_EQ(h.PixelAt(200, 290), 0xFFF0F0F0u) << "window background";
    RECT tabA = h.Find("tab_a")->GetPos();
    EXPECT_EQ(h.PixelAt(tabA.left + 2, tabA.top + 2), 0xFF4080FFu) << "selected option";
    RECT tabB = h.Find("tab_b")->GetPos();
    EXPECT_EQ(h.PixelAt(tabB.left + 2, tabB.top + 2), 0xFFD0D0D0u) << "unselected option";
    RECT progress = h.Find("progress")->GetPos();
    EXPECT_EQ(h.PixelAt(progress.left + progress.Width() / 2, progress.top + 6), 0xFFE08020u) << "value part";
    EXPECT_EQ(h.PixelAt(progress.right - 3, progress.top + 6), 0xFFFFFFFFu) << "beyond the value";
    RECT key = h.Find("key_0")->GetPos();
    EXPECT_EQ(h.PixelAt(key.left + 1, key.top + 1), 0xFF787878u) << "key image frame";
    EXPECT_EQ(h.PixelAt(key.left + 20, key.top + 20), 0xFF282828u) << "key image face";
    RECT close = h.Find("closebtn")->GetPos();
    EXPECT_EQ(h.PixelAt(close.left, close.top), 0xFF143CA0u) << "nine-grid corner of the button image";

    h.Click("tab_b");
    EXPECT_EQ(h.PixelAt(tabB.left + 2, tabB.top + 2), 0xFF4080FFu);
}

} // namespace
