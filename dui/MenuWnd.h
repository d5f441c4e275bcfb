#pragma once
// Pop-up menus built from a menu layout:
//
//   <Window><Menu width="160">
//     <MenuElement name="open_main" text="menu_open" userdata="1"/>
//     <MenuElement name="mute" text="menu_mute" checkable="true" checked="true"/>
//     <MenuElement name="exit" text="menu_exit"/>
//   </Menu></Window>
//
// Clicking an item closes the menu and posts UM_MENU_ITEM_CLICK to the owner window with wParam = a new
// MenuCmd (the receiver deletes it) holding the item's name, user data, text (translated) and checked
// state (a checkable item flips it first). Items are 28 pixels high unless they say otherwise.
//
// A MenuElement holding MenuElements is a sub-menu: hovering or clicking it opens them as a child menu at
// its right edge (closing any other open child); a click in a child reaches the same owner and closes
// the whole chain. A menu stays open while its child is; a child that loses activation to anything but
// its parent closes the chain.

#include "dui/Button.h"
#include "dui/PopupWnd.h"
#include "dui/VerticalLayout.h"

#include <memory>
#include <string>
#include <string_view>

namespace dui {

inline constexpr UINT UM_MENU_ITEM_CLICK = 1145;

struct MenuCmd
{
    std::string szName;
    std::string szUserData;
    std::string szText;
    bool bChecked = false;
};

// The menu's item list (element "Menu").
class CMenuUI : public CVerticalLayoutUI
{
public:
    std::string GetClass() const override;
    void* GetInterface(std::string_view name) override;
};

// One item (element "MenuElement"): a button with a checked state.
class CMenuElementUI : public CButtonUI
{
public:
    CMenuElementUI();
    ~CMenuElementUI() override;
    std::string GetClass() const override;
    // "IContainer" is the list of sub-items (layouts add child elements to it).
    void* GetInterface(std::string_view name) override;
    void SetAttribute(std::string_view name, std::string_view value) override;
    void DoEvent(TEventUI& event) override;
    // The sub-items; kept outside the menu's tree (a child menu shows them while it is open).
    CMenuUI* GetSubMenu() const { return m_pSubMenu.get(); }
    bool HasSubMenu() const;
    bool IsCheckable() const { return m_bCheckable; }
    bool GetChecked() const { return m_bChecked; }
    void SetChecked(bool checked);
    void PaintText(HDC hDC) override;

private:
    bool m_bCheckable = false;
    bool m_bChecked = false;
    std::unique_ptr<CMenuUI> m_pSubMenu;
};

class CMenuWnd : public CPopupWnd
{
public:
    static constexpr DWORD eMenuAlignment_Left = 1, eMenuAlignment_Top = 2, eMenuAlignment_Right = 4,
                           eMenuAlignment_Bottom = 8;
    static constexpr int kDefaultItemHeight = 28;
    static constexpr int kDefaultWidth = 150;
    // Posted by a child menu to its parent when the child lost activation (the parent closes unless it
    // is the active window now).
    static constexpr UINT UM_SUBMENU_DEACTIVATED = 1146;

    // Builds the menu from the layout (resource name, file or text) and shows it with the corner the
    // alignment names at the screen point (Left|Top: its top-left corner; Right|Bottom: its bottom-right).
    // Clicks go to the window of `owner`. False (and nothing shown; the object deleted) when the layout
    // cannot be built.
    static CMenuWnd* CreateMenu(std::string_view xml, POINT point, CPaintManagerUI* owner,
                                DWORD alignment = eMenuAlignment_Left | eMenuAlignment_Top);
    bool Init(CMenuElementUI* ownerItem, std::string_view xml, POINT point, CPaintManagerUI* owner,
              DWORD alignment = eMenuAlignment_Left | eMenuAlignment_Top);

    void Notify(TNotifyUI& msg) override;
    CControlUI* CreateControl(std::string_view className) override;
    LRESULT HandleCustomMessage(UINT msg, WPARAM wParam, LPARAM lParam, bool& handled) override;
    // The open child menu (nullptr: none).
    HWND GetSubMenuWindow() const;

protected:
    std::string GetWindowClassName() const override { return "MenuWnd"; }
    std::string GetSkinFile() override { return m_sXml; }
    void InitWindow() override;
    void OnFinalMessage(HWND hWnd) override;

private:
    // Opens the item's sub-items as a child menu at its right edge (closing another open one).
    void OpenSubMenu(CMenuElementUI* item);
    void CloseSubMenu();
    // Closes this menu and the menus it is a child of.
    void CloseChain();

    std::string m_sXml;
    HWND m_hOwner = nullptr;
    HWND m_hParentMenu = nullptr;
    HWND m_hSubMenu = nullptr;
    CMenuElementUI* m_pOwnerItem = nullptr;   // of a child menu: the parent's item whose sub-items it shows
    CMenuElementUI* m_pSubMenuItem = nullptr; // the item whose sub-items the open child menu shows
    bool m_bWasActive = false;
};

} // namespace dui
