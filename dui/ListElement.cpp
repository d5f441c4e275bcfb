#include "dui/ListElement.h"

#include "dui/PaintManager.h"
#include "dui/RenderEngine.h"

namespace dui {

bool HandleListItemEvent(CControlUI* self, IListItemUI* item, UINT& buttonState, TEventUI& event)
{
    CPaintManagerUI* manager = self->GetManager();
    IListOwnerUI* owner = item->GetOwner();
    switch (event.Type) {
    case UIEVENT_BUTTONDOWN:
    case UIEVENT_RBUTTONDOWN:
        if (self->IsEnabled() && owner) {
            if ((event.wKeyState & MK_CONTROL) && owner->IsMultiSelect())
                owner->SelectMultiItem(item->GetIndex());
            else
                owner->SelectItem(item->GetIndex(), true);
            self->Invalidate();
        }
        return true;
    case UIEVENT_BUTTONUP:
        if (self->IsEnabled() && manager)
            manager->SendNotify(self, DUI_MSGTYPE_ITEMCLICK);
        return true;
    case UIEVENT_DBLCLICK:
        if (self->IsEnabled()) {
            self->Activate();
            self->Invalidate();
        }
        return true;
    case UIEVENT_KEYDOWN:
        if (self->IsEnabled() && event.chKey == static_cast<char32_t>(VK_RETURN)) {
            self->Activate();
            self->Invalidate();
            return true;
        }
        break;
    case UIEVENT_MOUSEMOVE:
        return true;
    case UIEVENT_MOUSEENTER:
        if (self->IsEnabled()) {
            buttonState |= UISTATE_HOT;
            self->Invalidate();
        }
        return true;
    case UIEVENT_MOUSELEAVE:
        buttonState &= ~UISTATE_HOT;
        self->Invalidate();
        return true;
    case UIEVENT_TIMER:
    case UIEVENT_SETFOCUS:
    case UIEVENT_KILLFOCUS:
        return false;
    default:
        break;
    }
    if (owner) {
        owner->DoEvent(event);
        return true;
    }
    return false;
}

void DrawListItemBk(CControlUI* self, IListItemUI* item, UINT buttonState, HDC hDC, const RECT& rc)
{
    IListOwnerUI* owner = item->GetOwner();
    if (!owner)
        return;
    const TListInfoUI* info = owner->GetListInfo();
    DWORD color = info->dwBkColor;
    const std::string* image = &info->sBkImage;
    if (!self->IsEnabled()) {
        color = info->dwDisabledBkColor;
        image = &info->sDisabledImage;
    } else if (item->IsSelected()) {
        color = info->dwSelectedBkColor;
        image = &info->sSelectedImage;
    } else if (buttonState & UISTATE_HOT) {
        color = info->dwHotBkColor;
        image = &info->sHotImage;
    }
    if (color)
        CRenderEngine::DrawColor(hDC, rc, color);
    if (!image->empty())
        self->DrawImage(hDC, *image);
    if (info->dwLineColor)
        CRenderEngine::DrawLine(hDC, {rc.left, rc.bottom - 1}, {rc.right, rc.bottom - 1}, 1,
                                info->dwLineColor);
}

std::string CListElementUI::GetClass() const
{
    return "ListElement";
}

void* CListElementUI::GetInterface(std::string_view name)
{
    if (name == "ListItem")
        return static_cast<IListItemUI*>(this);
    if (name == "ListElement")
        return this;
    return CControlUI::GetInterface(name);
}

void CListElementUI::SetOwner(CControlUI* owner)
{
    m_pOwner = owner ? static_cast<IListOwnerUI*>(owner->GetInterface("IListOwner")) : nullptr;
}

void CListElementUI::SetVisible(bool visible)
{
    CControlUI::SetVisible(visible);
    if (!IsVisible() && m_bSelected) {
        m_bSelected = false;
        if (m_pOwner)
            m_pOwner->SelectItem(-1);
    }
}

void CListElementUI::SetEnabled(bool enabled)
{
    CControlUI::SetEnabled(enabled);
    if (!enabled)
        m_uButtonState = 0;
}

bool CListElementUI::Activate()
{
    if (!CControlUI::Activate())
        return false;
    if (m_pManager)
        m_pManager->SendNotify(this, DUI_MSGTYPE_ITEMACTIVATE);
    return true;
}

bool CListElementUI::Select(bool select)
{
    if (!IsEnabled())
        return false;
    m_bSelected = select;
    Invalidate();
    return true;
}

void CListElementUI::DoEvent(TEventUI& event)
{
    if (!IsMouseEnabled() && event.Type > UIEVENT__MOUSEBEGIN && event.Type < UIEVENT__MOUSEEND) {
        if (m_pOwner)
            m_pOwner->DoEvent(event);
        else
            CControlUI::DoEvent(event);
        return;
    }
    if (!HandleListItemEvent(this, this, m_uButtonState, event))
        CControlUI::DoEvent(event);
}

void CListElementUI::SetAttribute(std::string_view name, std::string_view value)
{
    if (name == "selected")
        Select(ParseBool(value));
    else
        CControlUI::SetAttribute(name, value);
}

void CListElementUI::DrawItemBk(HDC hDC, const RECT& rcItem)
{
    DrawListItemBk(this, this, m_uButtonState, hDC, rcItem);
}

std::string CListLabelElementUI::GetClass() const
{
    return "ListLabelElement";
}

void* CListLabelElementUI::GetInterface(std::string_view name)
{
    return name == "ListLabelElement" ? this : CListElementUI::GetInterface(name);
}

SIZE CListLabelElementUI::EstimateSize(SIZE available)
{
    SIZE sz = ToPixels(m_cxyFixed);
    if (sz.cy == 0 && m_pManager) {
        int font = m_pOwner ? m_pOwner->GetListInfo()->nFont : -1;
        sz.cy = m_pManager->GetScaledFontInfo(font).iSize + ToPixels(8);
    }
    (void)available;
    return sz;
}

void CListLabelElementUI::DoPaint(HDC hDC, const RECT& rcPaint)
{
    if (!IntersectRect(m_rcPaint, rcPaint, m_rcItem))
        return;
    DrawItemBk(hDC, m_rcItem);
    DrawItemText(hDC, m_rcItem);
    PaintBorder(hDC);
}

void CListLabelElementUI::DrawItemText(HDC hDC, const RECT& rcItem)
{
    if (m_sText.empty())
        return;
    TListInfoUI fallback;
    const TListInfoUI* info = m_pOwner ? m_pOwner->GetListInfo() : &fallback;
    DWORD color = info->dwTextColor;
    if (!IsEnabled())
        color = info->dwDisabledTextColor;
    else if (m_bSelected && info->dwSelectedTextColor)
        color = info->dwSelectedTextColor;
    else if ((m_uButtonState & UISTATE_HOT) && info->dwHotTextColor)
        color = info->dwHotTextColor;
    if (m_dwTextColor)
        color = m_dwTextColor;
    if (color == 0 && m_pManager)
        color = m_pManager->GetDefaultFontColor();
    CRenderEngine::DrawText(hDC, m_pManager, DeflateRect(rcItem, ToPixels(info->rcTextPadding)), GetText(),
                            color, m_iFont >= 0 ? m_iFont : info->nFont, info->uTextStyle);
}

} // namespace dui
