// The message box as a real modal window of the shipped skin: which buttons it shows, what each one
// answers, and the text it shows for a message key.

#include "app/MsgWnd.h"

#include "dui/Control.h"
#include "dui/PaintManager.h"
#include "dui/ResourceManager.h"
#include "dui/WindowMessages.h"
#include "dui/WindowWnd.h"
#include "dui/testing/UiTestHarness.h"

#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace {

class MsgWndTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        dui::testing::EnsureApplication();
        savedPath_ = dui::CPaintManagerUI::GetResourcePath();
        dui::CPaintManagerUI::SetResourcePath(std::string(ORVANT_SOURCE_DIR) + "/skin/");
        ASSERT_TRUE(dui::CResourceManager::GetInstance()->LoadResource("res.xml"));
    }
    void TearDown() override
    {
        dui::CResourceManager::GetInstance()->ResetResourceMap();
        dui::CPaintManagerUI::SetResourcePath(savedPath_);
    }

    // Shows a box; once it is open, look runs on it, then the named button is clicked.
    int ShowAndClick(const std::string& button, int buttons, const std::string& text, bool isKey,
                     const std::function<void(dui::CPaintManagerUI&)>& look = {})
    {
        QTimer::singleShot(0, [=] {
            const dui::HWND box = dui::FindWindowByTitle("msgwnd");
            ASSERT_NE(box, nullptr);
            dui::CPaintManagerUI* pm = dui::WindowFromHandle(box)->GetPaintManager();
            if (look)
                look(*pm);
            if (!dui::testing::ClickInWindow(box, button))
                dui::PostMessage(box, dui::WM_CLOSE, 0, 0);
        });
        return CMsgWnd::ShowMessage(nullptr, "", text, 96, isKey, buttons);
    }

    std::string savedPath_;
};

TEST_F(MsgWndTest, EachButtonAnswersAndOneButtonBoxesHideCancel)
{
    struct Case
    {
        const char* button;
        int buttons;
        int answer;
    };
    for (const Case c :
         {Case{"confirm_btn", CMsgWnd::kConfirmCancel, 1}, Case{"cancel_btn", CMsgWnd::kConfirmCancel, 0},
          Case{"closebtn", CMsgWnd::kConfirmCancel, 0}, Case{"confirm_btn", CMsgWnd::kConfirmOnly, 1}}) {
        SCOPED_TRACE(std::string(c.button) + " of " + std::to_string(c.buttons));
        bool cancelShown = false;
        EXPECT_EQ(ShowAndClick(c.button, c.buttons, "message_text_22", true,
                               [&](dui::CPaintManagerUI& pm) {
                                   cancelShown = pm.FindControl("cancel_btn")->IsVisible();
                               }),
                  c.answer);
        EXPECT_EQ(cancelShown, c.buttons == CMsgWnd::kConfirmCancel);
    }
    EXPECT_EQ(dui::FindWindowByTitle("msgwnd"), nullptr) << "every box went with its close";
}

TEST_F(MsgWndTest, AKeyShowsItsTextAndAPlainTextShowsAsItIs)
{
    std::string shown;
    const auto read = [&](dui::CPaintManagerUI& pm) { shown = pm.FindControl("MessageText")->GetText(); };
    ShowAndClick("confirm_btn", CMsgWnd::kConfirmOnly, "message_text_25", true, read);
    EXPECT_EQ(shown, CMsgWnd::BuiltInText("message_text_25"));
    EXPECT_FALSE(shown.empty());
    ShowAndClick("confirm_btn", CMsgWnd::kConfirmOnly, "7 events too many", false, read);
    EXPECT_EQ(shown, "7 events too many");
}

} // namespace
