#include "dui/Slider.h"

#include "dui/PaintManager.h"
#include "dui/RenderEngine.h"

#include <algorithm>
#include <charconv>

namespace dui {

CSliderUI::CSliderUI()
{
    m_uTextStyle = DT_SINGLELINE | DT_CENTER;
}

std::string CSliderUI::GetClass() const
{
    return "Slider";
}

void* CSliderUI::GetInterface(std::string_view name)
{
    return name == "Slider" ? this : CProgressUI::GetInterface(name);
}

UINT CSliderUI::GetControlFlags() const
{
    return IsEnabled() ? UIFLAG_SETCURSOR : 0;
}

void CSliderUI::SetEnabled(bool enabled)
{
    CProgressUI::SetEnabled(enabled);
    if (!enabled)
        m_uButtonState = 0;
}

void CSliderUI::SetThumbSize(SIZE size)
{
    m_szThumb = size;
    Invalidate();
}

RECT CSliderUI::GetThumbRect() const
{
    const SIZE thumb = ToPixels(m_szThumb);
    int span = std::max(1, m_nMax - m_nMin);
    if (m_bHorizontal) {
        int travel = m_rcItem.Width() - thumb.cx;
        int left =
            m_rcItem.left + static_cast<int>(static_cast<int64_t>(travel) * (m_nValue - m_nMin) / span);
        int top = (m_rcItem.top + m_rcItem.bottom - thumb.cy) / 2;
        return {left, top, left + thumb.cx, top + thumb.cy};
    }
    int travel = m_rcItem.Height() - thumb.cy;
    int top = m_rcItem.bottom - thumb.cy -
              static_cast<int>(static_cast<int64_t>(travel) * (m_nValue - m_nMin) / span);
    int left = (m_rcItem.left + m_rcItem.right - thumb.cx) / 2;
    return {left, top, left + thumb.cx, top + thumb.cy};
}

int CSliderUI::ValueAt(POINT pt) const
{
    const SIZE thumb = ToPixels(m_szThumb);
    int span = m_nMax - m_nMin;
    if (m_bHorizontal) {
        int travel = std::max(1, m_rcItem.Width() - thumb.cx);
        int offset = std::clamp(pt.x - m_rcItem.left - thumb.cx / 2, 0, travel);
        return m_nMin + static_cast<int>((static_cast<int64_t>(offset) * span + travel / 2) / travel);
    }
    int travel = std::max(1, m_rcItem.Height() - thumb.cy);
    int offset = std::clamp(m_rcItem.bottom - pt.y - thumb.cy / 2, 0, travel);
    return m_nMin + static_cast<int>((static_cast<int64_t>(offset) * span + travel / 2) / travel);
}

void CSliderUI::DoEvent(TEventUI& event)
{
    if (!IsMouseEnabled() && event.Type > UIEVENT__MOUSEBEGIN && event.Type < UIEVENT__MOUSEEND) {
        CProgressUI::DoEvent(event);
        return;
    }
    if (TrackHot(event, m_uButtonState))
        return;
    switch (event.Type) {
    case UIEVENT_BUTTONDOWN:
    case UIEVENT_DBLCLICK:
        if (IsEnabled() && PtInRect(m_rcItem, event.ptMouse)) {
            m_uButtonState |= UISTATE_CAPTURED;
            if (!PtInRect(GetThumbRect(), event.ptMouse))
                SetValue(ValueAt(event.ptMouse));
            Invalidate();
        }
        return;
    case UIEVENT_BUTTONUP:
        if (m_uButtonState & UISTATE_CAPTURED) {
            m_uButtonState &= ~UISTATE_CAPTURED;
            SetValue(ValueAt(event.ptMouse));
            if (m_pManager)
                m_pManager->SendNotify(this, DUI_MSGTYPE_VALUECHANGED, static_cast<WPARAM>(m_nValue));
            Invalidate();
        }
        return;
    case UIEVENT_MOUSEMOVE:
        if (m_uButtonState & UISTATE_CAPTURED) {
            int old = m_nValue;
            SetValue(ValueAt(event.ptMouse));
            if (m_bSendMove && m_nValue != old && m_pManager)
                m_pManager->SendNotify(this, DUI_MSGTYPE_MOVEVALUECHANGED, static_cast<WPARAM>(m_nValue));
        }
        return;
    case UIEVENT_SCROLLWHEEL:
        if (IsEnabled()) {
            SetValue(m_nValue + (((event.wParam & 0xFFFF) == SB_LINEUP) ? m_nStep : -m_nStep));
            if (m_pManager)
                m_pManager->SendNotify(this, DUI_MSGTYPE_VALUECHANGED, static_cast<WPARAM>(m_nValue));
        }
        return;
    default:
        CProgressUI::DoEvent(event);
    }
}

void CSliderUI::SetAttribute(std::string_view name, std::string_view value)
{
    if (name == "thumbsize") {
        SIZE sz;
        ParseSize(value, sz);
        SetThumbSize(sz);
    } else if (name == "step") {
        std::from_chars(value.data(), value.data() + value.size(), m_nStep);
    } else if (name == "sendmove") {
        SetCanSendMove(ParseBool(value));
    } else if (name == "thumbimage") {
        m_sThumbImage = value;
    } else if (name == "thumbhotimage") {
        m_sThumbHotImage = value;
    } else if (name == "thumbpushedimage") {
        m_sThumbPushedImage = value;
    } else if (name == "thumbcolor") {
        m_dwThumbColor = ParseColor(value);
    } else {
        CProgressUI::SetAttribute(name, value);
    }
}

void CSliderUI::PaintStatusImage(HDC hDC)
{
    CProgressUI::PaintStatusImage(hDC);
    RECT thumb = GetThumbRect();
    const std::string* image = &m_sThumbImage;
    if ((m_uButtonState & UISTATE_CAPTURED) && !m_sThumbPushedImage.empty())
        image = &m_sThumbPushedImage;
    else if ((m_uButtonState & UISTATE_HOT) && !m_sThumbHotImage.empty())
        image = &m_sThumbHotImage;
    if (!image->empty()) {
        RECT rel = OffsetRect(thumb, -m_rcItem.left, -m_rcItem.top);
        std::string modify = "dest='" + std::to_string(rel.left) + "," + std::to_string(rel.top) + "," +
                             std::to_string(rel.right) + "," + std::to_string(rel.bottom) + "'";
        if (DrawImage(hDC, *image, modify))
            return;
    }
    CRenderEngine::FillEllipse(hDC, thumb, m_dwThumbColor);
}

} // namespace dui
