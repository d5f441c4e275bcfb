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

CMenuElementUI::CMenuElementUI()
{
    m_rcTextPadding = {24, 0, 8, 0};
    m_uTextStyle = DT_LEFT | DT_VCENTER | DT_SINGLELINE;
}

std::string CMenuElementUI::GetClass() const
{
    return "MenuElementUI";
}

void* CMenuElementUI::GetInterface(std::string_view name)
{
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
    CButtonUI::PaintText(hDC);
}

CMenuWnd* CMenuWnd::CreateMenu(std::string_view xml, POINT point, CPaintManagerUI* owner, DWORD alignment)
{
    auto* menu = new CMenuWnd;
    return menu->Init(nullptr, xml, point, owner, alignment) ? menu : nullptr;
}

bool CMenuWnd::Init(CMenuElementUI*, std::string_view xml, POINT point, CPaintManagerUI* owner,
                    DWORD alignment)
{
    m_sXml = xml;
    m_hOwner = owner ? owner->GetPaintWindow() : nullptr;
    if (!Create(m_hOwner, "menu", WS_POPUP, WS_EX_TOOLWINDOW | WS_EX_TOPMOST, point.x, point.y)) {
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

void CMenuWnd::Notify(TNotifyUI& msg)
{
    if (msg.sType != DUI_MSGTYPE_CLICK || !msg.pSender)
        return;
    auto* item = static_cast<CMenuElementUI*>(msg.pSender->GetInterface("MenuElement"));
    if (!item)
        return;
    if (item->IsCheckable())
        item->SetChecked(!item->GetChecked());
    auto* cmd = new MenuCmd{item->GetName(), item->GetUserData(), item->GetText(), item->GetChecked()};
    if (!dui::PostMessage(m_hOwner, UM_MENU_ITEM_CLICK, reinterpret_cast<WPARAM>(cmd), 0)) {
        platform::DebugPrintf("dui: menu item %s has no owner to tell\n", cmd->szName.c_str());
        delete cmd;
    }
    Close(0);
}

} // namespace dui
