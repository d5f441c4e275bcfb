// The native line edit of a focused edit control in a shown window: it appears with the focus, mirrors
// the control's text and modes, feeds what is typed into it back as the control's text and
// "textchanged", and goes away with the focus.

#include "dui/Button.h"
#include "dui/DialogBuilder.h"
#include "dui/Edit.h"
#include "dui/PaintManager.h"
#include "dui/WindowWnd.h"
#include "dui/testing/UiTestHarness.h"
#include "platform/Event.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>

#include <algorithm>

using namespace dui;

namespace {

class CEditWindow : public CWindowWnd, public INotifyUI
{
public:
    CPaintManagerUI pm;
    std::vector<std::string> notes;

    void Notify(TNotifyUI& msg) override
    {
        notes.push_back(msg.sType + ":" + (msg.pSender ? msg.pSender->GetName() : ""));
    }
    bool Saw(const std::string& note) const
    {
        return std::find(notes.begin(), notes.end(), note) != notes.end();
    }

    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override
    {
        if (msg == WM_CREATE) {
            pm.Init(GetHWND());
            CDialogBuilder builder;
            CControlUI* root =
                builder.Create("<Window size='200,100'><VerticalLayout>"
                               "<Edit name='name' height='30' maxchar='5' text='ab'/>"
                               "<Edit name='pin' height='30' numberonly='true' password='true'/>"
                               "<Button name='ok' height='30'/></VerticalLayout></Window>",
                               {}, nullptr, &pm);
            pm.AttachDialog(root);
            pm.AddNotifier(this);
            return 0;
        }
        LRESULT r = 0;
        if (pm.MessageHandler(msg, wParam, lParam, r))
            return r;
        return CWindowWnd::HandleMessage(msg, wParam, lParam);
    }
};

class NativeEditTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        dui::testing::EnsureApplication();
        ASSERT_NE(window.Create(nullptr, "edit", UI_WNDSTYLE_FRAME, 0), nullptr);
        window.ShowWindow(true);
        for (int i = 0; i < 20; ++i)
            QApplication::processEvents(QEventLoop::AllEvents, 10);
        name = static_cast<CEditUI*>(window.pm.FindControl("name"));
        pin = static_cast<CEditUI*>(window.pm.FindControl("pin"));
        ASSERT_NE(name, nullptr);
        ASSERT_NE(pin, nullptr);
    }
    void TearDown() override
    {
        window.DestroyWindow();
        QApplication::processEvents();
    }

    CEditWindow window;
    CEditUI* name = nullptr;
    CEditUI* pin = nullptr;
};

TEST_F(NativeEditTest, FocusShowsEditorWhoseTypingReachesTheControl)
{
    EXPECT_FALSE(name->HasNativeEditor());
    window.pm.SetFocus(name);
    ASSERT_TRUE(name->HasNativeEditor());

    window.notes.clear();
    ASSERT_TRUE(name->TypeIntoNativeEditor("abc"));
    EXPECT_EQ(name->GetText(), "abc");
    EXPECT_TRUE(window.Saw("textchanged:name"));

    // Longer than maxchar: the control keeps five characters.
    name->TypeIntoNativeEditor("abcdefgh");
    EXPECT_EQ(name->GetText(), "abcde");

    // The focus moves on: the editor goes, the control keeps the text and says it lost the focus.
    window.pm.SetFocus(window.pm.FindControl("ok"));
    EXPECT_FALSE(name->HasNativeEditor());
    EXPECT_FALSE(name->TypeIntoNativeEditor("x"));
    EXPECT_EQ(name->GetText(), "abcde");
    EXPECT_TRUE(window.Saw("killfocus:name"));
    QApplication::processEvents();
}

// What the user does in the native editor itself: Enter sends "return"; clicking elsewhere in the window
// takes the focus from the control.
TEST_F(NativeEditTest, EnterAndLeavingTheEditorNotify)
{
    window.pm.SetFocus(name);
    ASSERT_TRUE(name->HasNativeEditor());
    EXPECT_EQ(name->GetNativeEditorPos(), name->GetPos());
    QApplication::processEvents();
    auto* edit = qobject_cast<QLineEdit*>(QApplication::focusWidget());
    ASSERT_NE(edit, nullptr);

    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, "\r");
    QApplication::sendEvent(edit, &enter);
    // Once: the key the editor passes on to the window must not send it again.
    EXPECT_EQ(std::count(window.notes.begin(), window.notes.end(), "return:name"), 1);

    edit->parentWidget()->setFocus(Qt::MouseFocusReason);
    QApplication::processEvents();
    EXPECT_FALSE(name->HasNativeEditor());
    EXPECT_EQ(window.pm.GetFocus(), nullptr);
    EXPECT_TRUE(window.Saw("killfocus:name"));
}

// The layout moves the control while it is being edited: the editor moves with it.
TEST_F(NativeEditTest, EditorFollowsTheControl)
{
    window.pm.SetFocus(pin);
    ASSERT_TRUE(pin->HasNativeEditor());
    RECT moved{10, 40, 150, 64};
    pin->SetPos(moved);
    EXPECT_EQ(pin->GetNativeEditorPos(), moved);
}

TEST_F(NativeEditTest, NumberOnlyAndReadOnlyHoldForTheEditor)
{
    window.pm.SetFocus(pin);
    ASSERT_TRUE(pin->HasNativeEditor());
    ASSERT_TRUE(pin->TypeIntoNativeEditor("123"));
    EXPECT_EQ(pin->GetText(), "123");
    window.notes.clear();
    pin->TypeIntoNativeEditor("12a");
    EXPECT_EQ(pin->GetText(), "123");
    EXPECT_FALSE(window.Saw("textchanged:pin"));

    pin->SetReadOnly(true);
    pin->TypeIntoNativeEditor("999");
    EXPECT_EQ(pin->GetText(), "123");

    // Text set by the program while focused shows in the editor; the focus going takes the editor away.
    pin->SetReadOnly(false);
    pin->SetText("42");
    pin->TypeIntoNativeEditor("421");
    EXPECT_EQ(pin->GetText(), "421");
    window.pm.SetFocus(nullptr);
    EXPECT_FALSE(pin->HasNativeEditor());
}

TEST(NativeEditWithoutWindowTest, EditsTheTextItself)
{
    dui::testing::EnsureApplication();
    CPaintManagerUI pm;
    pm.SetClientSize({100, 40});
    auto* edit = new CEditUI;
    edit->SetName("e");
    pm.AttachDialog(edit);
    pm.SetFocus(edit);
    EXPECT_TRUE(edit->IsFocused());
    EXPECT_FALSE(edit->HasNativeEditor());
    EXPECT_FALSE(edit->TypeIntoNativeEditor("x"));
}

} // namespace
