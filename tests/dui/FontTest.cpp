// Fonts: per-window entries before shared ones, the default font's order, removal, and fonts from files
// for this process only.

#include "dui/PaintManager.h"
#include "dui/testing/UiTestHarness.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace dui;

namespace {

class FontTest : public ::testing::Test
{
protected:
    void SetUp() override { dui::testing::EnsureApplication(); }
    void TearDown() override { a.RemoveAllFonts(true); }
    CPaintManagerUI a, b;
};

TEST_F(FontTest, WindowFontsComeBeforeSharedOnes)
{
    std::string builtIn = a.GetDefaultFontInfo().sFontName;
    a.AddFont(0, "Shared Face", 15, false, false, false, true);
    a.AddFont(1, "Shared Face", 14, false, true, false, true);
    b.AddFont(1, "Own Face", 20, true, false, false);
    EXPECT_EQ(a.GetFontInfo(0).iSize, 15) << "shared: every window sees it";
    EXPECT_EQ(b.GetFontInfo(0).iSize, 15);
    EXPECT_TRUE(a.GetFontInfo(1).bUnderline);
    EXPECT_EQ(b.GetFontInfo(1).sFontName, "Own Face") << "the window's own entry first";

    EXPECT_EQ(a.GetFontInfo(7).sFontName, builtIn) << "unknown index: the default";
    a.SetDefaultFont("Shared Face", 14, false, false, false, true);
    EXPECT_EQ(a.GetFontInfo(-1).sFontName, "Shared Face");
    b.SetDefaultFont("Own Face", 11, false, false, false);
    EXPECT_EQ(b.GetFontInfo(-1).sFontName, "Own Face");
    EXPECT_TRUE(a.IsUpdateNeeded()) << "a shared change relays out every window";

    b.RemoveAllFonts();
    EXPECT_EQ(b.GetFontInfo(1).sFontName, "Shared Face") << "own entries gone, shared ones stay";
    a.RemoveAllFonts(true);
    EXPECT_EQ(a.GetFontInfo(0).sFontName, builtIn);
    EXPECT_EQ(a.GetFontInfo(-1).sFontName, builtIn);
}

TEST_F(FontTest, FontFileRegistersItsFamilies)
{
    const std::string file = "/usr/share/fonts/truetype/dejavu/DejaVuSansMono.ttf";
    if (!std::filesystem::exists(file))
        GTEST_SKIP() << "no font file to load on this machine";
    std::vector<std::string> families = CPaintManagerUI::AddFontFile(file);
    ASSERT_FALSE(families.empty());
    EXPECT_EQ(families.front(), "DejaVu Sans Mono");
    EXPECT_EQ(CPaintManagerUI::AddFontFile(file), families) << "a second add answers the same";
    EXPECT_TRUE(CPaintManagerUI::RemoveFontFile(file));
    EXPECT_FALSE(CPaintManagerUI::RemoveFontFile(file)) << "removed once";
    EXPECT_EQ(CPaintManagerUI::AddFontFile(file), families) << "registered again after removal";
    EXPECT_FALSE(CPaintManagerUI::RemoveFontFile("/nonexistent/font.ttf"));
    EXPECT_TRUE(CPaintManagerUI::AddFontFile("/nonexistent/font.ttf").empty());
    EXPECT_TRUE(
        CPaintManagerUI::AddFontFile(std::string(ORVANT_TEST_SOURCE_DIR) + "/fixtures/row.xml").empty());
}

} // namespace
