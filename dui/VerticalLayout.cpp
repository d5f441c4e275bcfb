#include "dui/VerticalLayout.h"

#include "dui/PaintManager.h"
#include "dui/RenderEngine.h"

#include <charconv>

namespace dui {

std::string CVerticalLayoutUI::GetClass() const
{
    return "VerticalLayout";
}

void* CVerticalLayoutUI::GetInterface(std::string_view name)
{
    return name == "VerticalLayout" ? this : CContainerUI::GetInterface(name);
}

UINT CVerticalLayoutUI::GetControlFlags() const
{
    return (IsEnabled() && m_iSepHeight != 0) ? UIFLAG_SETCURSOR : 0;
}

void CVerticalLayoutUI::SetPos(RECT rc, bool needInvalidate)
{
    SetLinePos(rc, needInvalidate, true);
}

RECT CVerticalLayoutUI::GetThumbRect(bool useNew) const
{
    const RECT& r = ((m_uButtonState & UISTATE_CAPTURED) && useNew) ? m_rcNewPos : m_rcItem;
    int sep = ToPixels(m_iSepHeight);
    if (sep >= 0)
        return {r.left, std::max(r.bottom - sep, r.top), r.right, r.bottom};
    return {r.left, r.top, r.right, std::min(r.top - sep, r.bottom)};
}

void CVerticalLayoutUI::DoEvent(TEventUI& event)
{
    if (m_iSepHeight != 0) {
        if (event.Type == UIEVENT_BUTTONDOWN && IsEnabled() && PtInRect(GetThumbRect(), event.ptMouse)) {
            m_uButtonState |= UISTATE_CAPTURED;
            m_ptLastMouse = event.ptMouse;
            m_rcNewPos = m_rcItem;
            return;
        }
        if (event.Type == UIEVENT_BUTTONUP && (m_uButtonState & UISTATE_CAPTURED)) {
            m_uButtonState &= ~UISTATE_CAPTURED;
            m_rcItem = m_rcNewPos;
            SetFixedHeight(FromPixels(m_rcNewPos.Height()));
            NeedParentUpdate();
            return;
        }
        if (event.Type == UIEVENT_MOUSEMOVE && (m_uButtonState & UISTATE_CAPTURED)) {
            int dy = event.ptMouse.y - m_ptLastMouse.y;
            m_ptLastMouse = event.ptMouse;
            if (m_iSepHeight >= 0)
                m_rcNewPos.bottom =
                    std::max(m_rcNewPos.top + ToPixels(GetMinHeight()), m_rcNewPos.bottom + dy);
            else
                m_rcNewPos.top = std::min(m_rcNewPos.bottom - ToPixels(GetMinHeight()), m_rcNewPos.top + dy);
            if (m_bImmMode) {
                m_rcItem = m_rcNewPos;
                SetFixedHeight(FromPixels(m_rcNewPos.Height()));
                NeedParentUpdate();
            } else if (m_pManager) {
                m_pManager->Invalidate();
            }
            return;
        }
    }
    CContainerUI::DoEvent(event);
}

void CVerticalLayoutUI::DoPostPaint(HDC hDC, const RECT&)
{
    if ((m_uButtonState & UISTATE_CAPTURED) && !m_bImmMode)
        CRenderEngine::DrawColor(hDC, GetThumbRect(true), 0xAA000000);
}

void CVerticalLayoutUI::SetAttribute(std::string_view name, std::string_view value)
{
    if (name == "sepheight") {
        int v = 0;
        std::from_chars(value.data() + (value.starts_with('-') ? 0 : 0), value.data() + value.size(), v);
        SetSepHeight(v);
    } else if (name == "sepimm") {
        SetSepImmMode(ParseBool(value));
    } else {
        CContainerUI::SetAttribute(name, value);
    }
}

} // namespace dui
