// Image descriptions and the drawing of images: source parts, masks, fade, dest, tinting, missing files.

#include "dui/RenderEngine.h"
#include "dui/testing/UiTestHarness.h"
#include "platform/DebugOutput.h"

#include <gtest/gtest.h>

using namespace dui;

namespace {

const std::string kFixtures = std::string(ORVANT_TEST_SOURCE_DIR) + "/fixtures/";

TEST(DrawInfoTest, ParsesEveryKey)
{
    TDrawInfo info;
    ASSERT_TRUE(CRenderEngine::ParseDrawInfo(
        "file='a.png' dest='1,2,3,4' source='5,6,7,8' corner='1,1,2,2' "
        "mask='#FF00FF' fade='128' hole='true' xtiled='true' ytiled='false' hsl='true'",
        info));
    EXPECT_EQ(info.sImageName, "a.png");
    EXPECT_EQ(info.rcDest, (RECT{1, 2, 3, 4}));
    EXPECT_TRUE(info.bDestSet);
    EXPECT_EQ(info.rcSource, (RECT{5, 6, 7, 8}));
    EXPECT_EQ(info.rcCorner, (RECT{1, 1, 2, 2}));
    EXPECT_EQ(info.dwMask, 0xFFFF00FFu);
    EXPECT_EQ(info.uFade, 128);
    EXPECT_TRUE(info.bHole);
    EXPECT_TRUE(info.bTiledX);
    EXPECT_FALSE(info.bTiledY);
    EXPECT_TRUE(info.bHSL);

    TDrawInfo plain;
    ASSERT_TRUE(CRenderEngine::ParseDrawInfo("skin\\key.png", plain));
    EXPECT_EQ(plain.sImageName, "skin\\key.png");
    TDrawInfo res;
    ASSERT_TRUE(CRenderEngine::ParseDrawInfo("res='b.png' restype='PNG'", res));
    EXPECT_EQ(res.sImageName, "b.png");
    EXPECT_EQ(res.sResType, "PNG");
    TDrawInfo none;
    EXPECT_FALSE(CRenderEngine::ParseDrawInfo("", none));
}

class ImageDrawTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        dui::testing::EnsureApplication();
        CPaintManagerUI::SetResourcePath(kFixtures);
    }
    DWORD Draw(const std::string& image, POINT at, DWORD colorRef = 0, int bright = 255, bool on = false)
    {
        CRenderSurface surface(40, 40);
        surface.Painter().FillRect({0, 0, 40, 40}, 0xFF000000);
        CRenderEngine::DrawImageString(&surface.Painter(), nullptr, {0, 0, 40, 40}, {0, 0, 40, 40}, image, {},
                                       colorRef, bright, on);
        return surface.PixelAt(at.x, at.y);
    }
};

TEST_F(ImageDrawTest, SourceDestMaskFade)
{
    // The image stretched over 40x40: the top-right quarter is red.
    EXPECT_EQ(Draw("quarters.png", {30, 5}), 0xFFFF0000u);
    // The bottom-right source quarter over the whole rectangle.
    EXPECT_EQ(Draw("file='quarters.png' source='10,10,20,20'", {5, 5}), 0xFF0000FFu);
    // dest limits the drawing; outside it the background stays.
    EXPECT_EQ(Draw("file='quarters.png' dest='0,0,20,20'", {30, 30}), 0xFF000000u);
    EXPECT_EQ(Draw("file='quarters.png' dest='0,0,20,20'", {15, 15}), 0xFF0000FFu);
    // The mask colour becomes transparent.
    EXPECT_EQ(Draw("file='quarters.png' mask='#FF00FF'", {5, 5}), 0xFF000000u);
    // Half faded red over black.
    DWORD faded = Draw("file='quarters.png' fade='128'", {30, 5});
    EXPECT_NEAR(static_cast<int>((faded >> 16) & 0xFF), 128, 2);
    // A hole leaves the middle of a nine-grid undrawn.
    EXPECT_EQ(Draw("file='key.png' corner='3,3,3,3' hole='true'", {20, 20}), 0xFF000000u);
    EXPECT_EQ(Draw("file='key.png' corner='3,3,3,3' hole='true'", {1, 1}), 0xFF787878u);
}

TEST_F(ImageDrawTest, TintMultipliesByColourAndBrightness)
{
    // Colour 0x00BBGGRR: pure green at full brightness.
    EXPECT_EQ(Draw("light.png", {20, 20}, 0x0000FF00, 255, true), 0xFF00FF00u);
    // Red at brightness 128: about half red.
    DWORD half = Draw("light.png", {20, 20}, 0x000000FF, 128, true);
    EXPECT_NEAR(static_cast<int>((half >> 16) & 0xFF), 128, 2);
    EXPECT_EQ(half & 0xFFFF, 0u);
    // Off: the light image as it is.
    EXPECT_EQ(Draw("light.png", {20, 20}, 0x000000FF, 128, false), 0xFFFFFFFFu);
    // The transparent border stays transparent when tinted.
    EXPECT_EQ(Draw("light.png", {1, 1}, 0x000000FF, 255, true), 0xFF000000u);
}

// Tinting while drawing gives the same pixels as drawing a tinted copy, through stretched nine-grids,
// source parts, tiles and fade.
TEST_F(ImageDrawTest, TintWhileDrawingMatchesTintedCopy)
{
    const char* descriptions[] = {
        "file='quarters.png' corner='3,4,5,6'",
        "file='quarters.png' source='5,5,20,20' fade='100'",
        "file='quarters.png' source='0,0,10,10' xtiled='true' ytiled='true'",
        "file='key.png' corner='3,3,3,3' hole='true' dest='2,2,37,30'",
    };
    const TImageTint tints[] = {{0x00336699, 255}, {0x00FFFFFF, 77}, {0x000000FF, 0}};
    for (const char* description : descriptions) {
        TDrawInfo info;
        ASSERT_TRUE(CRenderEngine::ParseDrawInfo(description, info));
        const TImageInfo* image = CRenderEngine::GetImage(info.sImageName);
        ASSERT_NE(image, nullptr);
        for (const TImageTint& tint : tints) {
            SCOPED_TRACE(std::string(description) + " tint " + std::to_string(tint.colorRef));
            CRenderSurface drawn(40, 40), copied(40, 40);
            for (CRenderSurface* s : {&drawn, &copied})
                s->Painter().FillRect({0, 0, 40, 40}, 0xFF102030);
            CRenderEngine::DrawImageString(&drawn.Painter(), nullptr, {0, 0, 40, 40}, {0, 0, 40, 40},
                                           description, {}, tint.colorRef, tint.bright, true);
            auto tinted = TintImage(*image->bits, tint);
            CRenderEngine::DrawImage(&copied.Painter(), *tinted, {image->nX, image->nY}, {0, 0, 40, 40},
                                     {0, 0, 40, 40}, info);
            for (int y = 0; y < 40; ++y) {
                for (int x = 0; x < 40; ++x)
                    ASSERT_EQ(drawn.PixelAt(x, y), copied.PixelAt(x, y)) << x << "," << y;
            }
        }
    }
}

TEST_F(ImageDrawTest, MissingImageDrawsNothingAndSaysSoOnce)
{
    CRenderEngine::FreeImageCache(); // forgets names reported before
    platform::DebugCapture capture;
    EXPECT_EQ(Draw("no-such.png", {5, 5}), 0xFF000000u);
    Draw("no-such.png", {5, 5});
    EXPECT_TRUE(capture.Contains("cannot read image 'no-such.png'"));
    EXPECT_EQ(capture.Pieces().size(), 1u);
}

TEST_F(ImageDrawTest, PieAndEllipse)
{
    CRenderSurface surface(40, 40);
    surface.Painter().FillRect({0, 0, 40, 40}, 0xFF000000);
    // A quarter from 90 degrees (the bottom) clockwise: the lower-left quarter.
    CRenderEngine::FillPie(&surface.Painter(), {0, 0, 40, 40}, 90, 90, 0xFFFF0000);
    EXPECT_EQ(surface.PixelAt(10, 30), 0xFFFF0000u);
    EXPECT_EQ(surface.PixelAt(30, 30), 0xFF000000u);
    EXPECT_EQ(surface.PixelAt(10, 10), 0xFF000000u);
}

} // namespace
