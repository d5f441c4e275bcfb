// Control events and notifications: button states, focus, option groups, check boxes, sliders, edits,
// lists, combos, timers, async notifications and "windowinit".

#include "dui/Button.h"
#include "dui/CheckBox.h"
#include "dui/Combo.h"
#include "dui/Edit.h"
#include "dui/List.h"
#include "dui/ListElement.h"
#include "dui/NotifyPump.h"
#include "dui/Slider.h"
#include "dui/testing/UiTestHarness.h"

#include <gtest/gtest.h>

using namespace dui;
using dui::testing::CUiTestHarness;

namespace {

TEST(ButtonTest, HotPushedCapturedAndClick)
{
    CUiTestHarness h({200, 100});
    ASSERT_NE(
        h.Load("<HorizontalLayout><Button name='b' width='50'/><Control name='away'/></HorizontalLayout>"),
        nullptr);
    auto* b = static_cast<CButtonUI*>(h.Find("b"));

    h.MouseMove({10, 10});
    EXPECT_EQ(b->GetButtonState(), UISTATE_HOT);
    h.MouseDown({10, 10});
    EXPECT_EQ(b->GetButtonState(), UISTATE_HOT | UISTATE_PUSHED | UISTATE_CAPTURED);
    // Dragged outside while held: still captured, no longer pushed, and it keeps the mouse.
    h.MouseMove({150, 10}, MK_LBUTTON);
    EXPECT_EQ(b->GetButtonState() & (UISTATE_PUSHED | UISTATE_CAPTURED), UISTATE_CAPTURED);
    h.MouseUp({150, 10});
    EXPECT_EQ(h.Count("click", "b"), 0) << "released outside: no click";
    EXPECT_EQ(b->GetButtonState() & UISTATE_HOT, 0u);

    EXPECT_TRUE(h.Click("b"));
    EXPECT_EQ(h.Count("click", "b"), 1);
    EXPECT_EQ(b->GetButtonState(), UISTATE_HOT);

    b->SetEnabled(false);
    EXPECT_TRUE(h.Click("b"));
    EXPECT_EQ(h.Count("click", "b"), 1) << "a disabled button sends nothing";
}

TEST(FocusTest, ClickMovesFocusWithNotifications)
{
    CUiTestHarness h({200, 100});
    ASSERT_NE(h.Load("<HorizontalLayout><Edit name='e1'/><Edit name='e2'/></HorizontalLayout>"), nullptr);
    h.Click("e1");
    EXPECT_TRUE(h.Find("e1")->IsFocused());
    h.Click("e2");
    EXPECT_FALSE(h.Find("e1")->IsFocused());
    EXPECT_TRUE(h.Find("e2")->IsFocused());
    EXPECT_EQ(h.Count("setfocus", "e1"), 1);
    EXPECT_EQ(h.Count("killfocus", "e1"), 1);
    EXPECT_EQ(h.Count("setfocus", "e2"), 1);
    h.Key(VK_TAB);
    EXPECT_TRUE(h.Find("e1")->IsFocused()) << "tab wraps to the first tab stop";
    // A hidden control loses the focus.
    h.Find("e1")->SetVisible(false);
    EXPECT_EQ(h.Manager().GetFocus(), nullptr);
}

TEST(OptionTest, GroupIsExclusiveAndCheckBoxToggles)
{
    CUiTestHarness h({300, 50});
    ASSERT_NE(
        h.Load("<HorizontalLayout><Option name='o1' group='g' selected='true'/><Option name='o2' group='g'/>"
               "<Option name='o3' group='other'/><CheckBox name='c'/></HorizontalLayout>"),
        nullptr);
    auto sel = [&](const char* n) { return h.Find(n)->IsSelected(); };
    EXPECT_TRUE(sel("o1"));
    h.Click("o2");
    EXPECT_FALSE(sel("o1"));
    EXPECT_TRUE(sel("o2"));
    EXPECT_EQ(h.Count("selectchanged", "o2"), 1);
    EXPECT_EQ(h.Count("selectchanged", "o1"), 1);
    h.Click("o2");
    EXPECT_TRUE(sel("o2")) << "a grouped option stays selected when clicked again";
    EXPECT_EQ(h.Count("selectchanged", "o2"), 1);
    h.Click("o3");
    EXPECT_TRUE(sel("o2")) << "other groups are not touched";

    h.Click("c");
    EXPECT_TRUE(static_cast<CCheckBoxUI*>(h.Find("c"))->GetCheck());
    h.Click("c");
    EXPECT_FALSE(static_cast<CCheckBoxUI*>(h.Find("c"))->GetCheck());
    EXPECT_EQ(h.Count("selectchanged", "c"), 2);
}

TEST(SliderTest, DragSendsMoveValuesAndReleaseTheValue)
{
    CUiTestHarness h({110, 20});
    ASSERT_NE(h.Load("<HorizontalLayout><Slider name='s' min='0' max='100' value='0' "
                     "thumbsize='10,10'/></HorizontalLayout>"),
              nullptr);
    auto* s = static_cast<CSliderUI*>(h.Find("s"));
    h.MouseMove({5, 10});
    h.MouseDown({5, 10});
    h.MouseMove({30, 10}, MK_LBUTTON);
    h.MouseMove({55, 10}, MK_LBUTTON);
    EXPECT_EQ(s->GetValue(), 50);
    EXPECT_EQ(h.Count("movevaluechanged", "s"), 2);
    EXPECT_EQ(h.Count("valuechanged", "s"), 0);
    h.MouseMove({500, 10}, MK_LBUTTON);
    h.MouseUp({500, 10});
    EXPECT_EQ(s->GetValue(), 100) << "clamped to the maximum";
    ASSERT_EQ(h.Count("valuechanged", "s"), 1);
    EXPECT_EQ(h.Notifications().back().wParam, 100u);
    h.Wheel({50, 10}, -120);
    EXPECT_EQ(s->GetValue(), 99);
}

TEST(EditTest, TypingEditingKeysAndLimits)
{
    CUiTestHarness h({200, 30});
    ASSERT_NE(h.Load("<HorizontalLayout><Edit name='e' maxchar='6'/><Edit name='n' numberonly='true'/>"
                     "<Edit name='r' readonly='true' text='fixed'/></HorizontalLayout>"),
              nullptr);
    ASSERT_TRUE(h.Type("e", "héllo"));
    EXPECT_EQ(h.Find("e")->GetText(), "héllo");
    EXPECT_EQ(h.Count("textchanged", "e"), 5);
    h.Key(VK_LEFT);
    h.Key(VK_BACK);
    EXPECT_EQ(h.Find("e")->GetText(), "hélo");
    h.Key(VK_HOME);
    h.Key(VK_DELETE);
    EXPECT_EQ(h.Find("e")->GetText(), "élo");
    h.Key(VK_END);
    for (char32_t c : U"wxyz")
        if (c)
            h.Char(c);
    EXPECT_EQ(h.Find("e")->GetText(), "élowxy") << "at most 6 characters";
    h.Key(VK_RETURN);
    EXPECT_EQ(h.Count("return", "e"), 1);

    h.Type("n", "1a2");
    EXPECT_EQ(h.Find("n")->GetText(), "12");
    h.Type("r", "x");
    h.Key(VK_BACK);
    EXPECT_EQ(h.Find("r")->GetText(), "fixed");
    EXPECT_EQ(h.Count("textchanged", "r"), 0);
    EXPECT_EQ(h.Count("killfocus", "n"), 1);
}

TEST(ListTest, SelectClickActivateAndMultipleSelection)
{
    CUiTestHarness h({200, 100});
    ASSERT_NE(
        h.Load(
            "<VerticalLayout><List name='l'><ListLabelElement name='i0' text='a' height='20'/>"
            "<ListLabelElement name='i1' text='b' height='20'/><ListContainerElement name='i2' height='20'>"
            "<Label name='inner' text='c' mouse='false'/></ListContainerElement></List></VerticalLayout>"),
        nullptr);
    auto* list = static_cast<CListUI*>(h.Find("l"));
    h.Click("i1");
    EXPECT_EQ(list->GetCurSel(), 1);
    ASSERT_EQ(h.Count("itemselect", "l"), 1);
    EXPECT_EQ(h.Count("itemclick", "i1"), 1);
    h.Click("i2");
    EXPECT_EQ(list->GetCurSel(), 2);
    EXPECT_FALSE(h.Find("i1")->IsSelected());
    h.DoubleClick("i0");
    EXPECT_EQ(h.Count("itemactivate", "i0"), 1);
    h.Key(VK_DOWN);
    EXPECT_EQ(list->GetCurSel(), 1);

    list->SetMultiSelect(true);
    h.Click("i2", MK_CONTROL);
    EXPECT_EQ(list->GetSelectedItems(), (std::vector<int>{1, 2}));
    h.Click("i1", MK_CONTROL);
    EXPECT_EQ(list->GetSelectedItems(), (std::vector<int>{2}));
    h.Click("i0");
    EXPECT_EQ(list->GetSelectedItems(), (std::vector<int>{0}));

    // Removing the selected row leaves no selection and keeps the indexes right.
    list->RemoveAt(0);
    EXPECT_EQ(list->GetCurSel(), -1);
    EXPECT_EQ(static_cast<IListItemUI*>(h.Find("i2")->GetInterface("ListItem"))->GetIndex(), 1);
}

TEST(ComboTest, SelectItemNotifiesAndShowsTheText)
{
    CUiTestHarness h({200, 30});
    ASSERT_NE(h.Load("<HorizontalLayout><Combo name='c'><ListLabelElement text='Alpha'/><ListLabelElement "
                     "text='Beta'/>"
                     "</Combo></HorizontalLayout>"),
              nullptr);
    auto* combo = static_cast<CComboUI*>(h.Find("c"));
    EXPECT_EQ(combo->GetCurSel(), -1);
    ASSERT_TRUE(h.SelectItem("c", 1));
    EXPECT_EQ(combo->GetText(), "Beta");
    ASSERT_EQ(h.Count("itemselect", "c"), 1);
    EXPECT_EQ(h.Notifications().back().wParam, 1u);
    EXPECT_EQ(h.Notifications().back().lParam, -1);
    h.Wheel({50, 15}, 120);
    EXPECT_EQ(combo->GetCurSel(), 0);
    EXPECT_FALSE(combo->SelectItem(5));
    EXPECT_EQ(combo->GetCurSel(), 0);
}

// A control that counts its timer events.
class CTimerProbe : public CControlUI
{
public:
    std::vector<std::pair<UINT, uint32_t>> fired; // id, clock
    void DoEvent(TEventUI& event) override
    {
        if (event.Type == UIEVENT_TIMER) {
            fired.emplace_back(static_cast<UINT>(event.wParam), event.dwTimestamp);
            if (event.wParam == 2)
                KillTimer(2); // a one-shot
            return;
        }
        CControlUI::DoEvent(event);
    }
};

TEST(TimerTest, TimersFireInTimeOrderUntilKilled)
{
    CUiTestHarness h({10, 10});
    auto* probe = new CTimerProbe;
    h.Attach(probe);
    ASSERT_TRUE(probe->SetTimer(1, 5));
    ASSERT_TRUE(probe->SetTimer(2, 12));
    h.AdvanceTimers(20);
    std::vector<UINT> ids;
    for (auto& f : probe->fired)
        ids.push_back(f.first);
    EXPECT_EQ(ids, (std::vector<UINT>{1, 1, 2, 1, 1}));
    probe->KillTimer(1);
    h.AdvanceTimers(100);
    EXPECT_EQ(probe->fired.size(), 5u);
    // Setting an existing timer again restarts its period.
    probe->SetTimer(3, 10);
    h.AdvanceTimers(5);
    probe->SetTimer(3, 10);
    h.AdvanceTimers(9);
    EXPECT_EQ(probe->fired.size(), 5u);
    h.AdvanceTimers(1);
    EXPECT_EQ(probe->fired.size(), 6u);
}

TEST(TimerTest, DeletedControlsTimersAreDropped)
{
    CUiTestHarness h({10, 10});
    ASSERT_NE(h.Load("<VerticalLayout name='root'/>"), nullptr);
    auto* probe = new CTimerProbe;
    static_cast<CContainerUI*>(h.Find("root"))->Add(probe);
    probe->SetTimer(1, 5);
    static_cast<CContainerUI*>(h.Find("root"))->Remove(probe);
    h.Manager().ProcessDelayedCleanup();
    h.AdvanceTimers(50); // must not touch the deleted control
    EXPECT_EQ(h.Manager().NextTimerDue(), CPaintManagerUI::kNoTimer);
}

TEST(NotifyTest, WindowInitOnceAsyncAfterTheMessageAndReceiversMayLeave)
{
    CUiTestHarness h({50, 50});
    ASSERT_NE(h.Load("<VerticalLayout name='root'/>"), nullptr);
    h.PixelAt(0, 0);
    h.PixelAt(0, 0);
    EXPECT_EQ(h.Count("windowinit"), 1);

    struct Leaver : INotifyUI
    {
        CPaintManagerUI* pm;
        int seen = 0;
        void Notify(TNotifyUI&) override
        {
            ++seen;
            pm->RemoveNotifier(this);
        }
    } leaver;
    leaver.pm = &h.Manager();
    h.Manager().AddNotifier(&leaver);
    h.Manager().SendNotify(h.Find("root"), "custom", 7, 8, true);
    EXPECT_EQ(h.Count("custom"), 0) << "queued, not yet delivered";
    h.Manager().ProcessAsyncNotify();
    EXPECT_EQ(h.Count("custom"), 1);
    EXPECT_EQ(h.Notifications().back().wParam, 7u);
    h.Manager().SendNotify(h.Find("root"), "custom");
    EXPECT_EQ(leaver.seen, 1);
}

} // namespace

namespace {

TEST(NotifyPumpTest, NamedHandlersFirstThenByTypeAndVirtualWindows)
{
    dui::CControlUI sender;
    sender.SetName("btn");
    TNotifyUI msg;
    msg.sType = "click";
    msg.pSender = &sender;

    dui::CNotifyPump pump, sub;
    std::vector<std::string> seen;
    pump.BindNotify("click", [&](TNotifyUI&) { seen.push_back("any"); });
    pump.BindNotify("click", "btn", [&](TNotifyUI&) { seen.push_back("named"); });
    sub.BindNotify("click", [&](TNotifyUI&) { seen.push_back("sub"); });
    ASSERT_TRUE(pump.AddVirtualWnd("page", &sub));
    EXPECT_FALSE(pump.AddVirtualWnd("page", &sub));

    EXPECT_TRUE(pump.NotifyPump(msg));
    sender.SetName("other");
    EXPECT_TRUE(pump.NotifyPump(msg));
    msg.sVirtualWnd = "page";
    EXPECT_TRUE(pump.NotifyPump(msg));
    msg.sType = "selectchanged";
    EXPECT_FALSE(pump.NotifyPump(msg));
    EXPECT_EQ(seen, (std::vector<std::string>{"named", "any", "sub"}));
}

} // namespace
