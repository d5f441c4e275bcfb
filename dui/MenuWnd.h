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

#include "dui/Button.h"
#include "dui/PopupWnd.h"
#include "dui/VerticalLayout.h"

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
    std::string GetClass() const override;
    void* GetInterface(std::string_view name) override;
    void SetAttribute(std::string_view name, std::string_view value) override;
    bool IsCheckable() const { return m_bCheckable; }
    bool GetChecked() const { return m_bChecked; }
    void SetChecked(bool checked);
    void PaintText(HDC hDC) override;

private:
    bool m_bCheckable = false;
    bool m_bChecked = false;
};

class CMenuWnd : public CPopupWnd
{
public:
    static constexpr DWORD eMenuAlignment_Left = 1, eMenuAlignment_Top = 2, eMenuAlignment_Right = 4,
                           eMenuAlignment_Bottom = 8;
    static constexpr int kDefaultItemHeight = 28;
    static constexpr int kDefaultWidth = 150;

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

protected:
    std::string GetWindowClassName() const override { return "MenuWnd"; }
    std::string GetSkinFile() override { return m_sXml; }
    void InitWindow() override;

private:
    std::string m_sXml;
    HWND m_hOwner = nullptr;
};

} // namespace dui
