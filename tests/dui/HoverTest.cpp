// Hovering: a control's tool tip shows after the pointer rests on it and hides when it leaves or
// presses; the pointer takes the hovered control's cursor; the pointer position is readable.

#include "dui/Control.h"
#include "dui/WindowImplBase.h"
#include "dui/WindowMessages.h"
#include "dui/testing/UiTestHarness.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCursor>
#include <QToolTip>
#include <QWidget>

using namespace dui;
using dui::testing::CUiTestHarness;
using dui::testing::PumpEventsUntil;

namespace {

const char* const kLayout = "<Window size='300,100'><HorizontalLayout name='root'>"
                            "<Button name='save' width='100' tooltip='Save the profile' cursor='hand'/>"
                            "<Button name='plain' width='100'/>"
                            "<Edit name='edit' width='50'/>"
                            "<Control name='grip' width='50' cursor='SizeWE' tooltip='Drag to resize'/>"
                            "</HorizontalLayout></Window>";

class HoverTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_NE(h.Load(kLayout), nullptr);
        h.Manager().UseManualClock(true);
    }
    CUiTestHarness h;
};

TEST_F(HoverTest, ToolTipShowsAfterTheDelayAndHidesOnLeaveAndPress)
{
    CPaintManagerUI& pm = h.Manager();
    ASSERT_TRUE(h.Hover("save"));
    h.AdvanceTimers(CPaintManagerUI::kToolTipDelayMs - 1);
    EXPECT_EQ(pm.GetShownToolTip(), "") << "not before the delay";
    h.AdvanceTimers(1);
    EXPECT_EQ(pm.GetShownToolTip(), "Save the profile");
    EXPECT_EQ(h.Count(DUI_MSGTYPE_TIMER), 0) << "the delay is no timer of the control";

    ASSERT_TRUE(h.Hover("plain"));
    EXPECT_EQ(pm.GetShownToolTip(), "") << "left the control";
    h.AdvanceTimers(CPaintManagerUI::kToolTipDelayMs * 2);
    EXPECT_EQ(pm.GetShownToolTip(), "") << "a control without a tool tip shows none";

    // Moving away before the delay cancels it.
    ASSERT_TRUE(h.Hover("grip"));
    h.AdvanceTimers(CPaintManagerUI::kToolTipDelayMs / 2);
    ASSERT_TRUE(h.Hover("save"));
    h.AdvanceTimers(CPaintManagerUI::kToolTipDelayMs / 2 + 1);
    EXPECT_EQ(pm.GetShownToolTip(), "");
    h.AdvanceTimers(CPaintManagerUI::kToolTipDelayMs);
    EXPECT_EQ(pm.GetShownToolTip(), "Save the profile");

    POINT pt;
    ASSERT_TRUE(h.CentreOf("save", pt));
    h.MouseDown(pt);
    EXPECT_EQ(pm.GetShownToolTip(), "") << "a press hides it";
    h.MouseUp(pt);

    ASSERT_TRUE(h.Hover("grip"));
    h.AdvanceTimers(CPaintManagerUI::kToolTipDelayMs);
    EXPECT_EQ(pm.GetShownToolTip(), "Drag to resize");
    LRESULT r = 0;
    pm.MessageHandler(WM_MOUSELEAVE, 0, 0, r);
    EXPECT_EQ(pm.GetShownToolTip(), "") << "leaving the window hides it";
}

TEST_F(HoverTest, PointerTakesTheHoveredControlsCursor)
{
    const struct
    {
        const char* control;
        int cursor;
    } cases[] = {{"save", UICURSOR_HAND},
                 {"plain", UICURSOR_ARROW},
                 {"edit", UICURSOR_IBEAM},
                 {"grip", UICURSOR_SIZEWE}};
    for (const auto& c : cases) {
        ASSERT_TRUE(h.Hover(c.control));
        EXPECT_EQ(h.Manager().GetCurrentCursor(), c.cursor) << c.control;
    }
    h.Find("save")->SetEnabled(false);
    ASSERT_TRUE(h.Hover("save"));
    EXPECT_EQ(h.Manager().GetCurrentCursor(), UICURSOR_ARROW) << "a disabled control keeps the arrow";
}

TEST(CursorNameTest, NamesAndUnknownValues)
{
    int cursor = -1;
    EXPECT_TRUE(ParseCursor("IBeam", cursor));
    EXPECT_EQ(cursor, UICURSOR_IBEAM);
    EXPECT_TRUE(ParseCursor("sizenesw", cursor));
    EXPECT_EQ(cursor, UICURSOR_SIZENESW);
    EXPECT_FALSE(ParseCursor("pointer", cursor));
    EXPECT_EQ(cursor, UICURSOR_ARROW);
}

class CHoverWnd : public WindowImplBase
{
public:
    std::string GetWindowClassName() const override { return "HoverWnd"; }
    std::string GetSkinFile() override { return kLayout; }
};

TEST(HoverWindowTest, NativeToolTipAndCursorFollowTheHoveredControl)
{
    dui::testing::EnsureApplication();
    CHoverWnd w;
    ASSERT_NE(w.Create(nullptr, "hover", UI_WNDSTYLE_FRAME, 0), nullptr);
    CPaintManagerUI& pm = w.GetPaintManagerUI();
    QWidget* host = nullptr;
    for (QWidget* widget : QApplication::topLevelWidgets())
        host = widget->windowTitle() == "hover" ? widget : host;
    ASSERT_NE(host, nullptr);
    pm.UpdateLayout();
    auto move = [&](const char* name) {
        RECT rc = pm.FindControl(name)->GetPos();
        w.SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM((rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2));
    };
    move("save");
    EXPECT_EQ(host->cursor().shape(), Qt::PointingHandCursor);
    EXPECT_TRUE(PumpEventsUntil([] { return QToolTip::isVisible(); }));
    EXPECT_EQ(QToolTip::text().toStdString(), "Save the profile");
    move("plain");
    EXPECT_EQ(host->cursor().shape(), Qt::ArrowCursor);
    EXPECT_TRUE(PumpEventsUntil([] { return !QToolTip::isVisible(); }));
    w.DestroyWindow();
}

TEST(CursorPosTest, AnswersThePointersScreenPosition)
{
    dui::testing::EnsureApplication();
    QCursor::setPos(123, 45);
    POINT pt;
    ASSERT_TRUE(GetCursorPos(pt));
    if (QCursor::pos() != QPoint(123, 45))
        GTEST_SKIP() << "this platform does not move the pointer";
    EXPECT_EQ(pt.x, 123);
    EXPECT_EQ(pt.y, 45);
}

} // namespace
