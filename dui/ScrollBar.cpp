#include "dui/ScrollBar.h"

#include "dui/Container.h"
#include "dui/RenderEngine.h"

#include <algorithm>
#include <charconv>

namespace dui {

namespace {
constexpr int kMinThumb = 12;
}

CScrollBarUI::CScrollBarUI()
{
    m_cxyFixed = {10, 10};
    m_dwBackColor = 0xFFE8E8E8;
}

std::string CScrollBarUI::GetClass() const
{
    return "ScrollBar";
}

void* CScrollBarUI::GetInterface(std::string_view name)
{
    return name == "ScrollBar" ? this : CControlUI::GetInterface(name);
}

void CScrollBarUI::SetHorizontal(bool horizontal)
{
    m_bHorizontal = horizontal;
    Invalidate();
}

void CScrollBarUI::SetScrollRange(int range)
{
    m_nRange = std::max(0, range);
    m_nScrollPos = std::min(m_nScrollPos, m_nRange);
    Invalidate();
}

void CScrollBarUI::SetScrollPos(int pos)
{
    m_nScrollPos = std::clamp(pos, 0, m_nRange);
    Invalidate();
}

RECT CScrollBarUI::GetThumbRect() const
{
    int length = m_bHorizontal ? m_rcItem.Width() : m_rcItem.Height();
    if (length <= 0)
        return {};
    int thumb = std::max(ToPixels(kMinThumb),
                         static_cast<int>(static_cast<int64_t>(length) * length / (length + m_nRange)));
    thumb = std::min(thumb, length);
    int offset =
        m_nRange > 0 ? static_cast<int>(static_cast<int64_t>(length - thumb) * m_nScrollPos / m_nRange) : 0;
    if (m_bHorizontal)
        return {m_rcItem.left + offset, m_rcItem.top, m_rcItem.left + offset + thumb, m_rcItem.bottom};
    return {m_rcItem.left, m_rcItem.top + offset, m_rcItem.right, m_rcItem.top + offset + thumb};
}

void CScrollBarUI::SetPos(RECT rc, bool needInvalidate)
{
    CControlUI::SetPos(rc, needInvalidate);
}

void CScrollBarUI::Apply()
{
    if (!m_pOwner)
        return;
    SIZE pos = m_pOwner->GetScrollPos();
    if (m_bHorizontal)
        pos.cx = m_nScrollPos;
    else
        pos.cy = m_nScrollPos;
    // The owner reads the old position from the bars, so restore it first and let the owner move.
    int wanted = m_nScrollPos;
    SIZE old = m_pOwner->GetScrollPos();
    m_nScrollPos = m_bHorizontal ? old.cx : old.cy;
    if (m_bHorizontal)
        pos.cx = wanted;
    else
        pos.cy = wanted;
    m_pOwner->SetScrollPos(pos);
}

void CScrollBarUI::DoEvent(TEventUI& event)
{
    if (!IsMouseEnabled() && event.Type > UIEVENT__MOUSEBEGIN && event.Type < UIEVENT__MOUSEEND) {
        if (m_pOwner)
            m_pOwner->DoEvent(event);
        return;
    }
    RECT thumb = GetThumbRect();
    switch (event.Type) {
    case UIEVENT_BUTTONDOWN:
    case UIEVENT_DBLCLICK:
        if (!IsEnabled())
            return;
        if (PtInRect(thumb, event.ptMouse)) {
            m_uThumbState |= UISTATE_CAPTURED | UISTATE_PUSHED;
            m_ptDragStart = event.ptMouse;
            m_nDragStartPos = m_nScrollPos;
        } else if (m_pOwner) {
            bool before = m_bHorizontal ? event.ptMouse.x < thumb.left : event.ptMouse.y < thumb.top;
            if (m_bHorizontal) {
                SIZE pos = m_pOwner->GetScrollPos();
                pos.cx += before ? -m_rcItem.Width() : m_rcItem.Width();
                m_pOwner->SetScrollPos(pos);
            } else if (before) {
                m_pOwner->PageUp();
            } else {
                m_pOwner->PageDown();
            }
        }
        Invalidate();
        return;
    case UIEVENT_BUTTONUP:
        m_uThumbState &= ~(UISTATE_CAPTURED | UISTATE_PUSHED);
        Invalidate();
        return;
    case UIEVENT_MOUSEMOVE:
        if (m_uThumbState & UISTATE_CAPTURED) {
            int length = m_bHorizontal ? m_rcItem.Width() : m_rcItem.Height();
            int thumbLength = m_bHorizontal ? thumb.Width() : thumb.Height();
            int travel = length - thumbLength;
            int delta = m_bHorizontal ? event.ptMouse.x - m_ptDragStart.x : event.ptMouse.y - m_ptDragStart.y;
            if (travel > 0) {
                m_nScrollPos = std::clamp(
                    m_nDragStartPos + static_cast<int>(static_cast<int64_t>(delta) * m_nRange / travel), 0,
                    m_nRange);
                Apply();
            }
        }
        return;
    case UIEVENT_MOUSEENTER:
        m_uThumbState |= UISTATE_HOT;
        Invalidate();
        return;
    case UIEVENT_MOUSELEAVE:
        m_uThumbState &= ~UISTATE_HOT;
        Invalidate();
        return;
    case UIEVENT_SCROLLWHEEL:
        if (m_pOwner)
            m_pOwner->DoEvent(event);
        return;
    default:
        CControlUI::DoEvent(event);
    }
}

void CScrollBarUI::SetAttribute(std::string_view name, std::string_view value)
{
    if (name == "thumbcolor") {
        m_dwThumbColor = ParseColor(value);
    } else if (name == "thumbhotcolor") {
        m_dwThumbHotColor = ParseColor(value);
    } else if (name == "thumbnormalimage" || name == "thumbimage") {
        m_sThumbImage = value;
    } else if (name == "linesize") {
        std::from_chars(value.data(), value.data() + value.size(), m_nLineSize);
    } else if (name == "hor") {
        SetHorizontal(ParseBool(value));
    } else {
        CControlUI::SetAttribute(name, value);
    }
}

void CScrollBarUI::PaintBkColor(HDC hDC)
{
    CControlUI::PaintBkColor(hDC);
}

void CScrollBarUI::PaintStatusImage(HDC hDC)
{
    RECT thumb = GetThumbRect();
    if (!m_sThumbImage.empty()) {
        RECT rel = OffsetRect(thumb, -m_rcItem.left, -m_rcItem.top);
        std::string modify = "dest='" + std::to_string(rel.left) + "," + std::to_string(rel.top) + "," +
                             std::to_string(rel.right) + "," + std::to_string(rel.bottom) + "'";
        if (DrawImage(hDC, m_sThumbImage, modify))
            return;
    }
    CRenderEngine::FillRoundRect(hDC, thumb, ToPixels(4), ToPixels(4),
                                 (m_uThumbState & (UISTATE_HOT | UISTATE_PUSHED)) ? m_dwThumbHotColor
                                                                                  : m_dwThumbColor);
}

} // namespace dui
