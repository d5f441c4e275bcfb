#include "dui/ListContainerElement.h"

#include "dui/ListElement.h"
#include "dui/PaintManager.h"
#include "dui/RenderEngine.h"

namespace dui {

std::string CListContainerElementUI::GetClass() const
{
    return "ListContainerElement";
}

void* CListContainerElementUI::GetInterface(std::string_view name)
{
    if (name == "ListItem")
        return static_cast<IListItemUI*>(this);
    if (name == "ListContainerElement")
        return this;
    return CHorizontalLayoutUI::GetInterface(name);
}

void CListContainerElementUI::SetOwner(CControlUI* owner)
{
    m_pOwner = owner ? static_cast<IListOwnerUI*>(owner->GetInterface("IListOwner")) : nullptr;
}

bool CListContainerElementUI::Activate()
{
    if (!CControlUI::Activate())
        return false;
    if (m_pManager)
        m_pManager->SendNotify(this, DUI_MSGTYPE_ITEMACTIVATE);
    return true;
}

bool CListContainerElementUI::Select(bool select)
{
    if (!IsEnabled())
        return false;
    m_bSelected = select;
    Invalidate();
    return true;
}

void CListContainerElementUI::DoEvent(TEventUI& event)
{
    if (!IsMouseEnabled() && event.Type > UIEVENT__MOUSEBEGIN && event.Type < UIEVENT__MOUSEEND) {
        if (m_pOwner)
            m_pOwner->DoEvent(event);
        else
            CHorizontalLayoutUI::DoEvent(event);
        return;
    }
    if (!HandleListItemEvent(this, this, m_uButtonState, event))
        CHorizontalLayoutUI::DoEvent(event);
}

void CListContainerElementUI::DoPaint(HDC hDC, const RECT& rcPaint)
{
    RECT rc;
    if (!IntersectRect(rc, rcPaint, m_rcItem))
        return;
    DrawItemBk(hDC, m_rcItem);
    CHorizontalLayoutUI::DoPaint(hDC, rcPaint);
}

void CListContainerElementUI::DrawItemBk(HDC hDC, const RECT& rcItem)
{
    DrawListItemBk(this, this, m_uButtonState, hDC, rcItem);
}

} // namespace dui
