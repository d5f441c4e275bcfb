// Skinned windows on WindowImplBase: the resource map, layouts named by resource, the builder callback,
// caption buttons, the modal run with its result, and the language table switching texts in place.

#include "dui/Button.h"
#include "dui/ResourceManager.h"
#include "dui/WindowImplBase.h"
#include "dui/WindowMessages.h"
#include "dui/testing/UiTestHarness.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTimer>

using namespace dui;

namespace {

const std::string kSkin = std::string(ORVANT_TEST_SOURCE_DIR) + "/fixtures/skin/";
constexpr UINT kClickMessage = WM_USER + 40; // wParam: index into kButtons

const char* const kButtons[] = {"closebtn", "confirm_btn", "cancel_btn", "minbtn", "maxbtn", "restorebtn"};

class CMsgTestWnd : public WindowImplBase
{
public:
    std::vector<std::string> created;
    bool initSawLayout = false;
    bool* finalFlag = nullptr;
    bool deleteSelf = false;

    std::string GetWindowClassName() const override { return "MsgWnd"; }
    std::string GetSkinFile() override { return "XML_MSG"; }
    void InitWindow() override { initSawLayout = m_pm.FindControl("MessageText") != nullptr; }
    CControlUI* CreateControl(std::string_view className) override
    {
        created.emplace_back(className);
        return className == "Star" ? new CButtonUI : nullptr;
    }
    void Notify(TNotifyUI& msg) override
    {
        if (msg.sType == DUI_MSGTYPE_CLICK && msg.pSender->GetName() == "confirm_btn")
            return Close(1);
        if (msg.sType == DUI_MSGTYPE_CLICK && msg.pSender->GetName() == "cancel_btn")
            return Close(0);
        WindowImplBase::Notify(msg);
    }
    LRESULT HandleCustomMessage(UINT msg, WPARAM wParam, LPARAM, bool& handled) override
    {
        if (msg != kClickMessage)
            return 0;
        handled = true;
        ClickButton(kButtons[wParam]);
        return 1;
    }
    void ClickButton(const char* name) { EXPECT_TRUE(dui::testing::ClickInWindow(GetHWND(), name)) << name; }
    void OnFinalMessage(HWND h) override
    {
        WindowImplBase::OnFinalMessage(h);
        if (finalFlag)
            *finalFlag = true;
        if (deleteSelf)
            delete this;
    }
};

class SkinWindowTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        dui::testing::EnsureApplication();
        CPaintManagerUI::SetResourcePath(kSkin);
        ASSERT_TRUE(CResourceManager::GetInstance()->LoadResource("res.xml"));
    }
    void TearDown() override
    {
        CResourceManager::GetInstance()->ResetTextMap();
        CResourceManager::GetInstance()->ResetResourceMap();
    }
};

TEST_F(SkinWindowTest, ResourceMapNamesLayouts)
{
    CResourceManager* rm = CResourceManager::GetInstance();
    EXPECT_EQ(rm->GetXmlPath("XML_MSG"), "msg.xml");
    EXPECT_EQ(rm->GetXmlPath("XML_MENU"), "menu.xml");
    EXPECT_EQ(rm->GetXmlPath("IMG_UNUSED"), "") << "only layout entries name layouts";
    EXPECT_EQ(rm->GetXmlPath("XML_NONE"), "");
    // A map that cannot be read or parsed leaves the current one.
    EXPECT_FALSE(rm->LoadResource("missing.xml"));
    EXPECT_FALSE(rm->LoadResource("<Res><xml name='A' value='a.xml'/>"));
    EXPECT_EQ(rm->GetXmlPath("XML_MSG"), "msg.xml");
}

TEST_F(SkinWindowTest, BuildsLayoutByResourceNameWithCallback)
{
    CMsgTestWnd w;
    ASSERT_NE(w.Create(nullptr, "msgwnd", UI_WNDSTYLE_DIALOG, 0), nullptr);
    EXPECT_TRUE(w.IsSkinLoaded());
    EXPECT_TRUE(w.initSawLayout) << "InitWindow runs after the layout is attached";
    EXPECT_EQ(w.created, std::vector<std::string>{"Star"}) << "only the element the library lacks";
    EXPECT_NE(w.GetPaintManagerUI().FindControl("custom"), nullptr);
    EXPECT_EQ(w.GetClientSize().cx, 200);
    EXPECT_EQ(w.GetClientSize().cy, 120);
    w.DestroyWindow();
}

class CMissingSkinWnd : public WindowImplBase
{
public:
    std::string GetWindowClassName() const override { return "Missing"; }
    std::string GetSkinFile() override { return "XML_NONE"; }
};

TEST_F(SkinWindowTest, MissingLayoutGivesAnEmptyWindow)
{
    CMissingSkinWnd w;
    ASSERT_NE(w.Create(nullptr, "missing", 0, 0, 0, 0, 50, 50), nullptr);
    EXPECT_FALSE(w.IsSkinLoaded());
    EXPECT_EQ(w.GetPaintManagerUI().GetRoot(), nullptr);
    w.DestroyWindow();
}

TEST_F(SkinWindowTest, ShowModalAnswersTheCloseResult)
{
    const struct
    {
        WPARAM button;
        UINT result;
    } kCases[] = {{1, 1}, {2, 0}, {0, 0}};
    for (const auto& c : kCases) {
        bool finalSeen = false;
        auto* w = new CMsgTestWnd;
        w->finalFlag = &finalSeen;
        w->deleteSelf = true; // the window may delete itself while its modal run ends
        HWND h = w->Create(nullptr, "msgwnd", UI_WNDSTYLE_DIALOG, 0);
        ASSERT_NE(h, nullptr);
        w->CenterWindow();
        PostMessage(h, kClickMessage, c.button, 0);
        // Nothing else ends the nested loop: a guard closes the window if the click did not.
        QTimer::singleShot(3000, [h] { PostMessage(h, WM_CLOSE, 99, 0); });
        EXPECT_EQ(w->ShowModal(), c.result) << kButtons[c.button];
        EXPECT_TRUE(finalSeen);
        EXPECT_FALSE(IsWindow(h));
    }
}

TEST_F(SkinWindowTest, CaptionButtonsRunSystemCommands)
{
    CMsgTestWnd w;
    HWND h = w.Create(nullptr, "msgwnd", UI_WNDSTYLE_FRAME, 0);
    ASSERT_NE(h, nullptr);
    CPaintManagerUI& pm = w.GetPaintManagerUI();
    w.ClickButton("maxbtn");
    EXPECT_FALSE(pm.FindControl("maxbtn")->IsVisible());
    EXPECT_TRUE(pm.FindControl("restorebtn")->IsVisible());
    w.ClickButton("restorebtn");
    EXPECT_TRUE(pm.FindControl("maxbtn")->IsVisible());
    EXPECT_FALSE(pm.FindControl("restorebtn")->IsVisible());
    w.ClickButton("minbtn");
    EXPECT_TRUE(w.IsMinimized());
    w.Restore();
    w.ClickButton("closebtn");
    EXPECT_TRUE(IsWindow(h)) << "close is posted";
    EXPECT_TRUE(dui::testing::PumpEventsUntil([&] { return !IsWindow(h); }));
}

// The language table: texts follow a switch in place; keys the table lacks stay as they are.
TEST_F(SkinWindowTest, LanguageSwitchChangesTextsInPlace)
{
    CResourceManager* rm = CResourceManager::GetInstance();
    dui::testing::CUiTestHarness ui({200, 120});
    ASSERT_NE(ui.Load("msg.xml"), nullptr);
    struct Row
    {
        const char* control;
        const char* en;
        const char* cn;
    };
    const Row kRows[] = {{"MessageTitle", "Notice", "提示"},
                         {"MessageText", "Save changes?", "是否保存？"},
                         {"confirm_btn", "OK", "确定"},
                         {"cancel_btn", "cancel_text", "cancel_text"}};
    for (const char* file : {"lan_en.xml", "lan_cn.xml", "lan_en.xml"}) {
        ASSERT_TRUE(rm->LoadLanguage(file));
        rm->SetLanguage(file);
        rm->ReloadText();
        EXPECT_TRUE(ui.Manager().IsUpdateNeeded()) << "reload relays out every window";
        bool en = std::string(file) == "lan_en.xml";
        for (const Row& row : kRows)
            EXPECT_EQ(ui.Find(row.control)->GetText(), en ? row.en : row.cn) << row.control << " " << file;
        EXPECT_EQ(ui.Find("MessageText")->GetRawText(), "message_text_5");
    }
    // A file that cannot be read or parsed keeps the current table.
    EXPECT_FALSE(rm->LoadLanguage("lan_missing.xml"));
    EXPECT_FALSE(rm->LoadLanguage("lan_broken.xml"));
    EXPECT_FALSE(rm->LoadLanguage(""));
    EXPECT_EQ(ui.Find("MessageTitle")->GetText(), "Notice");
    EXPECT_EQ(rm->GetLanguage(), "lan_en.xml");
}

TEST_F(SkinWindowTest, HiddenControlResolvesAKey)
{
    CResourceManager* rm = CResourceManager::GetInstance();
    ASSERT_TRUE(rm->LoadLanguage("lan_cn.xml"));
    dui::testing::CUiTestHarness ui({200, 120});
    ASSERT_NE(ui.Load("msg.xml"), nullptr);
    CControlUI* hidden = ui.Find("text_test");
    ASSERT_FALSE(hidden->IsVisible());
    hidden->SetText("software_rev_text");
    EXPECT_EQ(hidden->GetText() + "V1000", "版本：V1000");
    // A control marked literal shows its text as set, even when it is a key.
    hidden->SetResourceText(false);
    EXPECT_EQ(hidden->GetText(), "software_rev_text");
}

class CQueryText : public IQueryControlText
{
public:
    std::string QueryControlText(std::string_view id, std::string_view) override
    {
        return id == "dynamic_key" ? "from query" : "";
    }
};

TEST_F(SkinWindowTest, TextQueryInterfaceAnswersKeysTheTableLacks)
{
    CResourceManager* rm = CResourceManager::GetInstance();
    ASSERT_TRUE(rm->LoadLanguage("lan_en.xml"));
    CQueryText query;
    rm->SetTextQueryInterface(&query);
    EXPECT_EQ(rm->GetText("dynamic_key"), "from query");
    EXPECT_EQ(rm->GetText("other_key"), "other_key") << "no answer: the key stays";
    EXPECT_EQ(rm->GetText("msg_title"), "Notice") << "the table comes first";
    rm->RemoveTextQueryInterface(&query);
    EXPECT_EQ(rm->GetText("dynamic_key"), "dynamic_key");
}

} // namespace
