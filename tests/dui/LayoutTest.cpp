// Layout math of the containers: line layouts (fixed, stretching, min/max, padding, child padding),
// floating children, tiles, tab pages and scrolling.

#include "dui/HorizontalLayout.h"
#include "dui/ScrollBar.h"
#include "dui/TabLayout.h"
#include "dui/TileLayout.h"
#include "dui/VerticalLayout.h"
#include "dui/testing/UiTestHarness.h"

#include <gtest/gtest.h>

using namespace dui;
using dui::testing::CUiTestHarness;

namespace {

struct LineCase
{
    const char* what;
    const char* layout;
    std::vector<RECT> expected; // of children "c0", "c1", ...
};

class LineLayoutTest : public ::testing::TestWithParam<LineCase>
{
};

TEST_P(LineLayoutTest, PlacesChildren)
{
    CUiTestHarness h({200, 100});
    ASSERT_NE(h.Load(GetParam().layout), nullptr);
    for (size_t i = 0; i < GetParam().expected.size(); ++i) {
        CControlUI* c = h.Find("c" + std::to_string(i));
        ASSERT_NE(c, nullptr) << i;
        EXPECT_EQ(c->GetPos(), GetParam().expected[i]) << GetParam().what << ", child " << i;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LineLayoutTest,
    ::testing::Values(
        LineCase{"vertical fixed and stretching",
                 "<VerticalLayout><Control name='c0' height='30'/><Control name='c1'/><Control name='c2' "
                 "height='10'/></VerticalLayout>",
                 {{0, 0, 200, 30}, {0, 30, 200, 90}, {0, 90, 200, 100}}},
        LineCase{
            "vertical shares the rest evenly, last takes the remainder",
            "<VerticalLayout><Control name='c0'/><Control name='c1'/><Control name='c2'/></VerticalLayout>",
            {{0, 0, 200, 33}, {0, 33, 200, 66}, {0, 66, 200, 100}}},
        LineCase{"inset and child padding",
                 "<VerticalLayout inset='10,5,10,5' childpadding='4'><Control name='c0' "
                 "height='20'/><Control name='c1'/></VerticalLayout>",
                 {{10, 5, 190, 25}, {10, 29, 190, 95}}},
        LineCase{"child padding on the sides and fixed width",
                 "<VerticalLayout><Control name='c0' height='20' width='50' padding='5,3,0,2'/><Control "
                 "name='c1'/></VerticalLayout>",
                 {{5, 3, 55, 23}, {0, 25, 200, 100}}},
        LineCase{"stretching child bounded by max and min",
                 "<VerticalLayout><Control name='c0' maxheight='20'/><Control name='c1' minheight='70' "
                 "height='5'/></VerticalLayout>",
                 {{0, 0, 200, 20}, {0, 20, 200, 90}}},
        LineCase{"horizontal fixed and stretching",
                 "<HorizontalLayout><Control name='c0' width='50'/><Control name='c1'/><Control name='c2' "
                 "width='30' height='40'/></HorizontalLayout>",
                 {{0, 0, 50, 100}, {50, 0, 170, 100}, {170, 0, 200, 40}}},
        LineCase{"hidden children take no room",
                 "<HorizontalLayout><Control name='c0' width='50' visible='false'/><Control "
                 "name='c1'/></HorizontalLayout>",
                 {{0, 0, 0, 0}, {0, 0, 200, 100}}},
        LineCase{"floating child at its pos, others ignore it",
                 "<HorizontalLayout><Control name='c0' float='true' pos='10,20,40,30'/><Control "
                 "name='c1'/></HorizontalLayout>",
                 {{10, 20, 40, 30}, {0, 0, 200, 100}}},
        LineCase{"floating child from the right and bottom edges",
                 "<VerticalLayout><Control name='c0' float='true' pos='-30,-20,0,0' width='20' "
                 "height='10'/></VerticalLayout>",
                 {{150, 70, 170, 80}}}));

TEST(TileLayoutTest, PlacesChildrenRowByRow)
{
    CUiTestHarness h({100, 100});
    ASSERT_NE(h.Load("<TileLayout columns='3' childpadding='5'><Control name='a' height='20'/><Control "
                     "name='b' height='30'/>"
                     "<Control name='c' height='10'/><Control name='d' height='10'/></TileLayout>"),
              nullptr);
    // (100 - 2*5) / 3 = 30 per cell; the first row is as high as its highest child.
    EXPECT_EQ(h.Find("a")->GetPos(), (RECT{0, 0, 30, 20}));
    EXPECT_EQ(h.Find("b")->GetPos(), (RECT{35, 0, 65, 30}));
    EXPECT_EQ(h.Find("c")->GetPos(), (RECT{70, 0, 100, 10}));
    EXPECT_EQ(h.Find("d")->GetPos(), (RECT{0, 35, 30, 45}));
}

TEST(TabLayoutTest, ShowsOnlyTheSelectedPageAndNotifies)
{
    CUiTestHarness h({100, 100});
    ASSERT_NE(h.Load("<TabLayout name='tabs'><Control name='p0'/><Control name='p1'/><Control "
                     "name='p2'/></TabLayout>"),
              nullptr);
    auto* tabs = static_cast<CTabLayoutUI*>(h.Find("tabs"));
    EXPECT_EQ(tabs->GetCurSel(), 0);
    EXPECT_TRUE(h.Find("p0")->IsVisible());
    EXPECT_FALSE(h.Find("p1")->IsVisible());

    ASSERT_TRUE(h.SelectItem("tabs", 2));
    EXPECT_EQ(tabs->GetCurSel(), 2);
    EXPECT_FALSE(h.Find("p0")->IsVisible());
    EXPECT_TRUE(h.Find("p2")->IsVisible());
    EXPECT_EQ(h.Find("p2")->GetPos(), (RECT{0, 0, 100, 100}));
    ASSERT_EQ(h.Count("tabselect", "tabs"), 1);
    EXPECT_EQ(h.Notifications().back().wParam, 2u);
    EXPECT_EQ(h.Notifications().back().lParam, 0);

    EXPECT_FALSE(tabs->SelectItem(3));
    CUiTestHarness built({100, 100});
    ASSERT_NE(
        built.Load("<TabLayout name='t' selectedid='1'><Control name='q0'/><Control name='q1'/></TabLayout>"),
        nullptr);
    EXPECT_TRUE(built.Find("q1")->IsVisible()) << "selectedid of the layout file";
    EXPECT_FALSE(built.Find("q0")->IsVisible());
    EXPECT_EQ(tabs->GetCurSel(), 2);
    // Removing the shown page shows a neighbour.
    tabs->RemoveAt(2);
    EXPECT_EQ(tabs->GetCurSel(), 1);
    EXPECT_TRUE(h.Find("p1")->IsVisible());
}

TEST(ScrollTest, ScrollBarAppearsWhenChildrenNeedMoreRoomAndMovesThem)
{
    CUiTestHarness h({100, 100});
    ASSERT_NE(h.Load("<VerticalLayout name='v' vscrollbar='true'><Control name='a' height='80'/><Control "
                     "name='b' height='80'/></VerticalLayout>"),
              nullptr);
    auto* v = static_cast<CVerticalLayoutUI*>(h.Find("v"));
    ASSERT_NE(v->GetVerticalScrollBar(), nullptr);
    EXPECT_TRUE(v->GetVerticalScrollBar()->IsVisible());
    EXPECT_EQ(v->GetScrollRange().cy, 60);
    int barWidth = v->GetVerticalScrollBar()->GetFixedWidth();
    EXPECT_EQ(h.Find("a")->GetPos(), (RECT{0, 0, 100 - barWidth, 80}));

    v->SetScrollPos({0, 25});
    EXPECT_EQ(h.Find("b")->GetPos().top, 80 - 25);
    v->SetScrollPos({0, 500});
    EXPECT_EQ(v->GetScrollPos().cy, 60);
    h.Wheel({10, 10}, 120);
    EXPECT_LT(v->GetScrollPos().cy, 60);

    // Room enough again: the bar goes away and the offset with it.
    h.Find("b")->SetVisible(false);
    h.Layout();
    EXPECT_FALSE(v->GetVerticalScrollBar()->IsVisible());
    EXPECT_EQ(h.Find("a")->GetPos(), (RECT{0, 0, 100, 80}));
}

TEST(SeparatorTest, DraggingTheSeparatorResizesTheLayout)
{
    CUiTestHarness h({100, 200});
    ASSERT_NE(h.Load("<VerticalLayout><VerticalLayout name='top' height='100' sepheight='4'/><Control "
                     "name='rest'/></VerticalLayout>"),
              nullptr);
    h.MouseMove({50, 98});
    h.MouseDown({50, 98});
    EXPECT_TRUE(static_cast<CVerticalLayoutUI*>(h.Find("top"))->IsSeparatorCaptured());
    h.MouseMove({50, 128});
    h.MouseUp({50, 128});
    h.Layout();
    EXPECT_EQ(h.Find("top")->GetPos(), (RECT{0, 0, 100, 130}));
    EXPECT_EQ(h.Find("rest")->GetPos().top, 130);
}

} // namespace
