// Texts of the shipped skin are drawn with real glyphs, not missing-glyph boxes: every text of the main
// layout in its own font, and a sample of each language the interface offers in the skin's default
// font. The faces come from the machine's fonts, found by family through Qt and fontconfig (the set-up
// script installs the Noto families).

#include "dui/Container.h"
#include "dui/Control.h"
#include "dui/PaintManager.h"
#include "dui/Painter.h"
#include "dui/testing/UiTestHarness.h"

#include <gtest/gtest.h>

#include <string>

using namespace dui;

namespace {

const std::string kSkin = std::string(ORVANT_SOURCE_DIR) + "/skin/";

std::string CodePoints(const std::u32string& text)
{
    std::string out;
    for (char32_t ch : text) {
        char hex[16];
        std::snprintf(hex, sizeof hex, "U+%04X ", static_cast<unsigned>(ch));
        out += hex;
    }
    return out;
}

class SkinText : public ::testing::Test
{
protected:
    void SetUp() override
    {
        dui::testing::EnsureApplication();
        CPaintManagerUI::SetResourcePath(kSkin);
        ASSERT_NE(ui_.Load("XML\\main.xml"), nullptr);
    }

    // Each control below the one given that has a text, with that text and its font.
    void ExpectGlyphsBelow(CControlUI* control, int& texts)
    {
        if (!control->GetText().empty()) {
            ++texts;
            const TFontInfo font = ui_.Manager().GetScaledFontInfo(control->GetFont());
            EXPECT_EQ(CodePoints(MissingGlyphs(control->GetText(), font)), "")
                << control->GetName() << " \"" << control->GetText() << "\" in " << font.sFontName;
        }
        if (auto* container = static_cast<IContainerUI*>(control->GetInterface("IContainer"))) {
            for (int i = 0; i < container->GetCount(); ++i) {
                ExpectGlyphsBelow(container->GetItemAt(i), texts);
            }
        }
    }

    dui::testing::CUiTestHarness ui_{{1000, 640}};
};

TEST_F(SkinText, MainLayoutTextsHaveGlyphs)
{
    CControlUI* chinese = ui_.Find("control_light_status");
    ASSERT_NE(chinese, nullptr);
    ASSERT_EQ(chinese->GetText(), "控制灯光") << "the layout's Chinese label moved: pick another";
    int texts = 0;
    ExpectGlyphsBelow(ui_.Manager().GetRoot(), texts);
    EXPECT_GT(texts, 1);
}

TEST_F(SkinText, EveryInterfaceLanguageHasGlyphsInTheDefaultFont)
{
    const struct
    {
        const char* language;
        const char* sample;
    } cases[] = {
        {"Simplified Chinese", "控制灯光设置"},
        {"Traditional Chinese", "控制燈光設定"},
        {"Japanese", "ライティング設定"},
        {"Korean", "조명 설정"},
        {"Thai", "ตั้งค่าไฟ"},
        {"Latin", "Beleuchtung – Réglages"},
    };
    const TFontInfo font = ui_.Manager().GetDefaultFontInfo();
    for (const auto& c : cases) {
        EXPECT_EQ(CodePoints(MissingGlyphs(c.sample, font)), "") << c.language << " in " << font.sFontName;
    }
    EXPECT_EQ(CodePoints(MissingGlyphs("\xEF\xBF\xBF", font)), "U+FFFF ") << "a character no font has";
}

} // namespace
