#include "dui/MenuWnd.h"

#include "dui/RenderEngine.h"
#include "dui/WindowMessages.h"
#include "platform/DebugOutput.h"

#include <strings.h>

namespace dui {

std::string CMenuUI::GetClass() const
{
    return "MenuUI";
}

void* CMenuUI::GetInterface(std::string_view name)
{
    return name == "Menu" ? this : CVerticalLayoutUI::GetInterface(name);
}

CMenuElementUI::CMenuElementUI() : m_pSubMenu(std::make_unique<CMenuUI>())
{
    m_rcTextPadding = {24, 0, 8, 0};
    m_uTextStyle = DT_LEFT | DT_VCENTER | DT_SINGLELINE;
}

CMenuElementUI::~CMenuElementUI() = default;

bool CMenuElementUI::HasSubMenu() const
{
    return m_pSubMenu->GetCount() > 0;
}

void CMenuElementUI::DoEvent(TEventUI& event)
{
    CButtonUI::DoEvent(event);
    if (event.Type == UIEVENT_MOUSEENTER && m_pManager)
        m_pManager->SendNotify(this, DUI_MSGTYPE_MOUSEENTER);
}

std::string CMenuElementUI::GetClass() const
{
    return "MenuElementUI";
}

void* CMenuElementUI::GetInterface(std::string_view name)
{
    if (name == "IContainer")
        return static_cast<IContainerUI*>(m_pSubMenu.get());
    return name == "MenuElement" ? this : CButtonUI::GetInterface(name);
}

void CMenuElementUI::SetAttribute(std::string_view name, std::string_view value)
{
    if (name == "checkable")
        m_bCheckable = value == "true";
    else if (name == "checked")
        SetChecked(value == "true");
    else
        CButtonUI::SetAttribute(name, value);
}

void CMenuElementUI::SetChecked(bool checked)
{
    m_bChecked = checked;
    Invalidate();
}

void CMenuElementUI::PaintText(HDC hDC)
{
    if (m_bChecked) {
        // A check mark: a small square in the left margin.
        int cy = (m_rcItem.top + m_rcItem.bottom) / 2;
        RECT mark{m_rcItem.left + ToPixels(8), cy - ToPixels(4), m_rcItem.left + ToPixels(16),
                  cy + ToPixels(4)};
        DWORD color =
            m_dwTextColor ? m_dwTextColor : (m_pManager ? m_pManager->GetDefaultFontColor() : 0xFF000000);
        CRenderEngine::DrawColor(hDC, mark, color);
    }
    if (HasSubMenu()) {
        // An arrow of sorts: a narrow bar at the right edge.
        int cy = (m_rcItem.top + m_rcItem.bottom) / 2;
        RECT mark{m_rcItem.right - ToPixels(12), cy - ToPixels(4), m_rcItem.right - ToPixels(8),
                  cy + ToPixels(4)};
        DWORD color =
            m_dwTextColor ? m_dwTextColor : (m_pManager ? m_pManager->GetDefaultFontColor() : 0xFF000000);
        CRenderEngine::DrawColor(hDC, mark, color);
    }
    CButtonUI::PaintText(hDC);
}

CMenuWnd* CMenuWnd::CreateMenu(std::string_view xml, POINT point, CPaintManagerUI* owner, DWORD alignment)
{
    auto* menu = new CMenuWnd;
    return menu->Init(nullptr, xml, point, owner, alignment) ? menu : nullptr;
}

bool CMenuWnd::Init(CMenuElementUI* ownerItem, std::string_view xml, POINT point, CPaintManagerUI* owner,
                    DWORD alignment)
{
    m_sXml = xml;
    m_hOwner = owner ? owner->GetPaintWindow() : nullptr;
    m_pOwnerItem = ownerItem;
    HWND above = m_hOwner;
    if (ownerItem && ownerItem->GetManager()) {
        // A child menu: the click goes to the owner of the menu it opens from.
        m_hParentMenu = ownerItem->GetManager()->GetPaintWindow();
        if (auto* parent = dynamic_cast<CMenuWnd*>(WindowFromHandle(m_hParentMenu)))
            m_hOwner = parent->m_hOwner;
        above = m_hParentMenu;
    }
    if (!Create(above, "menu", WS_POPUP, WS_EX_TOOLWINDOW | WS_EX_TOPMOST, point.x, point.y)) {
        delete this;
        return false;
    }
    if (!IsSkinLoaded()) {
        DestroyWindow(); // deletes this
        return false;
    }
    SIZE size = GetClientSize();
    int x = (alignment & eMenuAlignment_Right) ? point.x - size.cx : point.x;
    int y = (alignment & eMenuAlignment_Bottom) ? point.y - size.cy : point.y;
    MoveWindow(x, y);
    ShowWindow(true);
    return true;
}

CControlUI* CMenuWnd::CreateControl(std::string_view className)
{
    if (strncasecmp(className.data(), "MenuElement", className.size()) == 0 && className.size() == 11)
        return new CMenuElementUI;
    if (strncasecmp(className.data(), "Menu", className.size()) == 0 && className.size() == 4)
        return new CMenuUI;
    return nullptr;
}

void CMenuWnd::InitWindow()
{
    // A child menu borrows its item's sub-items (given back in OnFinalMessage).
    if (m_hParentMenu && m_pOwnerItem) {
        auto* list = static_cast<CContainerUI*>(m_pm.GetRoot()->GetInterface("Container"));
        CMenuUI* store = m_pOwnerItem->GetSubMenu();
        while (list && store->GetCount() > 0) {
            CControlUI* item = store->GetItemAt(0);
            store->RemoveAt(0, true);
            list->Add(item);
        }
        if (auto* parent = dynamic_cast<CMenuWnd*>(WindowFromHandle(m_hParentMenu))) {
            CControlUI* parentRoot = parent->m_pm.GetRoot();
            m_pm.GetRoot()->SetFixedWidth(parentRoot->GetFixedWidth());
            m_pm.GetRoot()->SetBkColor(parentRoot->GetBkColor());
        }
    }
    // The menu is as wide as its list says and as high as its visible items (layout values; the manager
    // sizes the window at its scale).
    CControlUI* root = m_pm.GetRoot();
    auto* list = root ? static_cast<CContainerUI*>(root->GetInterface("Container")) : nullptr;
    if (!list)
        return;
    int width = root->GetFixedWidth() > 0 ? root->GetFixedWidth() : kDefaultWidth;
    int height = 0;
    for (int i = 0; i < list->GetCount(); ++i) {
        CControlUI* item = list->GetItemAt(i);
        if (item->GetFixedHeight() <= 0)
            item->SetFixedHeight(kDefaultItemHeight);
        if (item->IsVisible())
            height += item->GetFixedHeight();
    }
    m_pm.SetInitSize(width, height);
}

HWND CMenuWnd::GetSubMenuWindow() const
{
    return IsWindow(m_hSubMenu) ? m_hSubMenu : nullptr;
}

void CMenuWnd::OpenSubMenu(CMenuElementUI* item)
{
    if (item == m_pSubMenuItem && GetSubMenuWindow())
        return;
    CloseSubMenu();
    if (!item->HasSubMenu())
        return;
    RECT win = GetWindowRect();
    RECT rc = item->GetPos();
    auto* child = new CMenuWnd;
    if (child->Init(item, "<Window><Menu/></Window>", {win.left + rc.right, win.top + rc.top}, &m_pm)) {
        m_hSubMenu = child->GetHWND();
        m_pSubMenuItem = item;
    }
}

void CMenuWnd::CloseSubMenu()
{
    if (CWindowWnd* child = WindowFromHandle(m_hSubMenu))
        child->DestroyWindow(); // the child deletes itself
    m_hSubMenu = nullptr;
    m_pSubMenuItem = nullptr;
}

void CMenuWnd::CloseChain()
{
    for (HWND h = m_hParentMenu; h;) {
        auto* menu = dynamic_cast<CMenuWnd*>(WindowFromHandle(h));
        dui::PostMessage(h, WM_CLOSE, 0, 0);
        h = menu ? menu->m_hParentMenu : nullptr;
    }
    Close(0);
}

LRESULT CMenuWnd::HandleCustomMessage(UINT msg, WPARAM wParam, LPARAM lParam, bool& handled)
{
    if (msg == UM_SUBMENU_DEACTIVATED) {
        handled = true;
        if (!IsActiveWindow() && !GetSubMenuWindow())
            CloseChain();
        return 0;
    }
    if (msg == WM_ACTIVATE) {
        if (wParam != 0) {
            m_bWasActive = true;
        } else if (GetSubMenuWindow()) {
            handled = true; // the child menu took the activation: stay open
            return 0;
        } else if (m_bWasActive && m_hParentMenu) {
            dui::PostMessage(m_hParentMenu, UM_SUBMENU_DEACTIVATED, 0, 0);
        }
    }
    return CPopupWnd::HandleCustomMessage(msg, wParam, lParam, handled);
}

void CMenuWnd::OnFinalMessage(HWND hWnd)
{
    CloseSubMenu();
    // A child menu gives the borrowed sub-items back to their item.
    if (m_hParentMenu && m_pOwnerItem && m_pm.GetRoot()) {
        auto* list = static_cast<CContainerUI*>(m_pm.GetRoot()->GetInterface("Container"));
        CMenuUI* store = m_pOwnerItem->GetSubMenu();
        while (list && list->GetCount() > 0) {
            CControlUI* item = list->GetItemAt(0);
            list->RemoveAt(0, true);
            store->Add(item);
        }
    }
    CPopupWnd::OnFinalMessage(hWnd); // deletes this
}

void CMenuWnd::Notify(TNotifyUI& msg)
{
    if (!msg.pSender)
        return;
    auto* item = static_cast<CMenuElementUI*>(msg.pSender->GetInterface("MenuElement"));
    if (!item)
        return;
    if (msg.sType == DUI_MSGTYPE_MOUSEENTER) {
        OpenSubMenu(item);
        return;
    }
    if (msg.sType != DUI_MSGTYPE_CLICK)
        return;
    if (item->HasSubMenu()) {
        OpenSubMenu(item);
        return;
    }
    if (item->IsCheckable())
        item->SetChecked(!item->GetChecked());
    auto* cmd = new MenuCmd{item->GetName(), item->GetUserData(), item->GetText(), item->GetChecked()};
    if (!dui::PostMessage(m_hOwner, UM_MENU_ITEM_CLICK, reinterpret_cast<WPARAM>(cmd), 0)) {
        platform::DebugPrintf("dui: menu item %s has no owner to tell\n", cmd->szName.c_str());
        delete cmd;
    }
    CloseChain();
}

} // namespace dui
