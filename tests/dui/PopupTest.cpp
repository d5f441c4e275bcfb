// Pop-ups: menus built from a menu layout tell their owner which item was clicked (UM_MENU_ITEM_CLICK
// with the item's record) and close; the combo's drop list selects in the combo and closes.

#include "dui/Combo.h"
#include "dui/ComboWnd.h"
#include "dui/MenuWnd.h"
#include "dui/ResourceManager.h"
#include "dui/WindowImplBase.h"
#include "dui/WindowMessages.h"
#include "dui/testing/UiTestHarness.h"

#include <gtest/gtest.h>

#include <memory>

using namespace dui;
using dui::testing::ClickInWindow;
using dui::testing::PumpEventsUntil;

namespace {

const std::string kSkin = std::string(ORVANT_TEST_SOURCE_DIR) + "/fixtures/skin/";

// The owner: keeps the menu records it receives and the notifications of its controls.
class COwnerWnd : public WindowImplBase
{
public:
    std::string skin = "<Window size='300,200'><VerticalLayout name='root'/></Window>";
    std::vector<MenuCmd> commands;
    std::vector<std::string> notes;

    std::string GetWindowClassName() const override { return "OwnerWnd"; }
    std::string GetSkinFile() override { return skin; }
    LRESULT HandleCustomMessage(UINT msg, WPARAM wParam, LPARAM, bool& handled) override
    {
        if (msg == UM_MENU_ITEM_CLICK) {
            std::unique_ptr<MenuCmd> cmd(reinterpret_cast<MenuCmd*>(wParam));
            commands.push_back(*cmd);
            handled = true;
        }
        return 0;
    }
    void Notify(TNotifyUI& msg) override
    {
        notes.push_back(msg.sType + ":" + msg.pSender->GetName() + ":" + std::to_string(msg.wParam));
        WindowImplBase::Notify(msg);
    }
};

class PopupTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        dui::testing::EnsureApplication();
        CPaintManagerUI::SetResourcePath(kSkin);
        ASSERT_TRUE(CResourceManager::GetInstance()->LoadResource("res.xml"));
        ASSERT_TRUE(CResourceManager::GetInstance()->LoadLanguage("lan_en.xml"));
        ASSERT_NE(owner.Create(nullptr, "owner", UI_WNDSTYLE_FRAME, 0), nullptr);
    }
    void TearDown() override
    {
        owner.DestroyWindow();
        CResourceManager::GetInstance()->ResetTextMap();
        CResourceManager::GetInstance()->ResetResourceMap();
    }
    COwnerWnd owner;
};

TEST_F(PopupTest, MenuItemClickReachesOwnerWithItsRecord)
{
    const struct
    {
        const char* item;
        const char* userData;
        const char* text;
        bool checked;
    } kCases[] = {
        {"open_main", "u-open", "Open", false}, // text translated
        {"mute", "", "menu_mute", false},       // a checkable item flips before it reports
        {"exit", "", "menu_exit", false},
    };
    for (const auto& c : kCases) {
        CMenuWnd* menu = CMenuWnd::CreateMenu("XML_MENU", {400, 300}, &owner.GetPaintManagerUI());
        ASSERT_NE(menu, nullptr);
        HWND h = menu->GetHWND();
        ASSERT_TRUE(ClickInWindow(h, c.item)) << c.item;
        ASSERT_TRUE(PumpEventsUntil([&] { return !owner.commands.empty() && !IsWindow(h); })) << c.item;
        ASSERT_EQ(owner.commands.size(), 1u);
        const MenuCmd& cmd = owner.commands.front();
        EXPECT_EQ(cmd.szName, c.item);
        EXPECT_EQ(cmd.szUserData, c.userData);
        EXPECT_EQ(cmd.szText, c.text);
        EXPECT_EQ(cmd.bChecked, c.checked);
        owner.commands.clear();
    }
}

TEST_F(PopupTest, MenuSizeFollowsItsItemsAndAlignment)
{
    const struct
    {
        DWORD alignment;
        POINT topLeft;
    } kCases[] = {
        {CMenuWnd::eMenuAlignment_Left | CMenuWnd::eMenuAlignment_Top, {400, 300}},
        {CMenuWnd::eMenuAlignment_Right | CMenuWnd::eMenuAlignment_Bottom, {400 - 160, 300 - 88}},
    };
    for (const auto& c : kCases) {
        CMenuWnd* menu =
            CMenuWnd::CreateMenu("menu.xml", {400, 300}, &owner.GetPaintManagerUI(), c.alignment);
        ASSERT_NE(menu, nullptr);
        HWND h = menu->GetHWND();
        // 28 + 28 + 32: the hidden item takes no room.
        EXPECT_EQ(menu->GetClientSize().cx, 160);
        EXPECT_EQ(menu->GetClientSize().cy, 88);
        RECT r = menu->GetWindowRect();
        EXPECT_EQ(r.left, c.topLeft.x);
        EXPECT_EQ(r.top, c.topLeft.y);
        // Escape closes the menu without a command.
        menu->SendMessage(WM_KEYDOWN, VK_ESCAPE, 0);
        EXPECT_TRUE(PumpEventsUntil([&] { return !IsWindow(h); }));
        EXPECT_TRUE(owner.commands.empty());
    }
}

// Moves the pointer onto a control of a real window through its message path.
bool HoverInWindow(HWND h, const char* name)
{
    CWindowWnd* window = WindowFromHandle(h);
    CPaintManagerUI* pm = window ? window->GetPaintManager() : nullptr;
    CControlUI* control = pm ? pm->FindControl(name) : nullptr;
    if (!control)
        return false;
    pm->UpdateLayout();
    RECT rc = control->GetPos();
    window->SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM((rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2));
    return true;
}

TEST_F(PopupTest, SubMenusOpenOnHoverAndTheirClickReachesTheOwner)
{
    const char* xml = "<Window><Menu width='120'>"
                      "<MenuElement name='top' text='Top'/>"
                      "<MenuElement name='more' text='More'>"
                      "<MenuElement name='sub_a' userdata='a'/>"
                      "<MenuElement name='deeper'><MenuElement name='leaf' userdata='l'/></MenuElement>"
                      "</MenuElement></Menu></Window>";
    CMenuWnd* menu = CMenuWnd::CreateMenu(xml, {100, 100}, &owner.GetPaintManagerUI());
    ASSERT_NE(menu, nullptr);
    HWND h = menu->GetHWND();
    EXPECT_EQ(menu->GetClientSize(), (SIZE{120, 56})) << "sub-items take no room in their parent";
    EXPECT_EQ(menu->GetSubMenuWindow(), nullptr);

    auto child = [](HWND parent) {
        auto* m = dynamic_cast<CMenuWnd*>(WindowFromHandle(parent));
        return m ? m->GetSubMenuWindow() : nullptr;
    };
    ASSERT_TRUE(HoverInWindow(h, "more"));
    HWND sub = child(h);
    ASSERT_NE(sub, nullptr);
    EXPECT_EQ(WindowFromHandle(sub)->GetClientSize(), (SIZE{120, 56}));
    RECT r = WindowFromHandle(sub)->GetWindowRect();
    EXPECT_EQ(r.left, 220) << "at the item's right edge";
    EXPECT_EQ(r.top, 128) << "level with the item";

    // Another item closes it; coming back opens it again with the sub-items given back.
    ASSERT_TRUE(HoverInWindow(h, "top"));
    EXPECT_FALSE(IsWindow(sub));
    ASSERT_TRUE(HoverInWindow(h, "more"));
    sub = child(h);
    ASSERT_NE(sub, nullptr);
    EXPECT_TRUE(HoverInWindow(sub, "sub_a"));

    ASSERT_TRUE(HoverInWindow(sub, "deeper"));
    HWND leafMenu = child(sub);
    ASSERT_NE(leafMenu, nullptr);
    ASSERT_TRUE(ClickInWindow(leafMenu, "leaf"));
    ASSERT_TRUE(PumpEventsUntil([&] { return !owner.commands.empty() && !IsWindow(h); }));
    EXPECT_FALSE(IsWindow(sub));
    EXPECT_FALSE(IsWindow(leafMenu));
    ASSERT_EQ(owner.commands.size(), 1u);
    EXPECT_EQ(owner.commands[0].szName, "leaf");
    EXPECT_EQ(owner.commands[0].szUserData, "l");
}

TEST_F(PopupTest, MenuWithoutLayoutIsNotShown)
{
    EXPECT_EQ(CMenuWnd::CreateMenu("XML_NONE", {0, 0}, &owner.GetPaintManagerUI()), nullptr);
    EXPECT_EQ(CMenuWnd::CreateMenu("<Window><Menu>", {0, 0}, &owner.GetPaintManagerUI()), nullptr);
}

class ComboPopupTest : public PopupTest
{
protected:
    void SetUp() override
    {
        owner.skin = "combo.xml";
        PopupTest::SetUp();
        combo = static_cast<CComboUI*>(owner.GetPaintManagerUI().FindControl("profile_combo"));
        ASSERT_NE(combo, nullptr);
    }
    CComboUI* combo = nullptr;
};

TEST_F(ComboPopupTest, DropListSelectsTheClickedItem)
{
    ASSERT_TRUE(ClickInWindow(owner.GetHWND(), "profile_combo"));
    CComboWnd* list = combo->GetDropList();
    ASSERT_NE(list, nullptr);
    HWND h = list->GetHWND();
    EXPECT_EQ(list->GetClientSize().cx, 120) << "as wide as the combo";
    EXPECT_EQ(list->GetClientSize().cy, 24 + 24 + 40 + 2);
    EXPECT_EQ(list->GetPaintManagerUI().FindControl("combo_item_1")->GetText(), "Open");
    owner.notes.clear();
    ASSERT_TRUE(ClickInWindow(h, "combo_item_2"));
    EXPECT_EQ(combo->GetCurSel(), 2);
    EXPECT_EQ(combo->GetText(), "third");
    EXPECT_EQ(owner.notes, std::vector<std::string>{"itemselect:profile_combo:2"});
    EXPECT_EQ(combo->GetDropList(), nullptr);
    EXPECT_TRUE(PumpEventsUntil([&] { return !IsWindow(h); }));
}

TEST_F(ComboPopupTest, DropListClosesWithoutChangeOrWithItsCombo)
{
    ASSERT_TRUE(ClickInWindow(owner.GetHWND(), "profile_combo"));
    HWND h = combo->GetDropList()->GetHWND();
    WindowFromHandle(h)->SendMessage(WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_TRUE(PumpEventsUntil([&] { return !IsWindow(h); }));
    EXPECT_EQ(combo->GetDropList(), nullptr);
    EXPECT_EQ(combo->GetCurSel(), -1) << "unchanged";

    // The combo goes away while its list is open: the list closes and touches nothing.
    ASSERT_TRUE(ClickInWindow(owner.GetHWND(), "profile_combo"));
    h = combo->GetDropList()->GetHWND();
    auto* root = static_cast<CContainerUI*>(owner.GetPaintManagerUI().FindControl("root"));
    ASSERT_TRUE(root->Remove(combo, true));
    delete combo;
    EXPECT_TRUE(PumpEventsUntil([&] { return !IsWindow(h); }));
}

} // namespace
