#include "dui/Button.h"

#include "dui/PaintManager.h"
#include "dui/RenderEngine.h"

namespace dui {

std::string CButtonUI::GetClass() const
{
    return "Button";
}

void* CButtonUI::GetInterface(std::string_view name)
{
    return name == "Button" ? this : CLabelUI::GetInterface(name);
}

UINT CButtonUI::GetControlFlags() const
{
    return (IsKeyboardEnabled() ? UIFLAG_TABSTOP : 0) | (IsEnabled() ? UIFLAG_SETCURSOR : 0);
}

bool CButtonUI::Activate()
{
    if (!CLabelUI::Activate())
        return false;
    if (m_pManager)
        m_pManager->SendNotify(this, DUI_MSGTYPE_CLICK);
    return true;
}

void CButtonUI::SetEnabled(bool enabled)
{
    CLabelUI::SetEnabled(enabled);
    if (!enabled)
        m_uButtonState = 0;
}

void CButtonUI::DoEvent(TEventUI& event)
{
    if (!IsMouseEnabled() && event.Type > UIEVENT__MOUSEBEGIN && event.Type < UIEVENT__MOUSEEND) {
        if (m_pParent)
            m_pParent->DoEvent(event);
        else
            CLabelUI::DoEvent(event);
        return;
    }
    if (TrackHot(event, m_uButtonState))
        return;
    switch (event.Type) {
    case UIEVENT_SETFOCUS:
    case UIEVENT_KILLFOCUS:
        CLabelUI::DoEvent(event);
        return;
    case UIEVENT_KEYDOWN:
        if (IsKeyboardEnabled() && IsEnabled() && (event.chKey == VK_SPACE || event.chKey == VK_RETURN)) {
            Activate();
            return;
        }
        break;
    case UIEVENT_BUTTONDOWN:
    case UIEVENT_DBLCLICK:
        if (PtInRect(m_rcItem, event.ptMouse) && IsEnabled()) {
            m_uButtonState |= UISTATE_PUSHED | UISTATE_CAPTURED;
            Invalidate();
        }
        return;
    case UIEVENT_MOUSEMOVE:
        if (m_uButtonState & UISTATE_CAPTURED) {
            if (PtInRect(m_rcItem, event.ptMouse))
                m_uButtonState |= UISTATE_PUSHED;
            else
                m_uButtonState &= ~UISTATE_PUSHED;
            Invalidate();
        }
        return;
    case UIEVENT_BUTTONUP:
        if (m_uButtonState & UISTATE_CAPTURED) {
            m_uButtonState &= ~(UISTATE_PUSHED | UISTATE_CAPTURED);
            Invalidate();
            if (PtInRect(m_rcItem, event.ptMouse))
                Activate();
        }
        return;
    case UIEVENT_SETCURSOR:
        return;
    default:
        break;
    }
    CLabelUI::DoEvent(event);
}

void CButtonUI::SetNormalImage(std::string_view image)
{
    m_sNormalImage = image;
    Invalidate();
}
void CButtonUI::SetHotImage(std::string_view image)
{
    m_sHotImage = image;
    Invalidate();
}
void CButtonUI::SetPushedImage(std::string_view image)
{
    m_sPushedImage = image;
    Invalidate();
}
void CButtonUI::SetFocusedImage(std::string_view image)
{
    m_sFocusedImage = image;
    Invalidate();
}
void CButtonUI::SetDisabledImage(std::string_view image)
{
    m_sDisabledImage = image;
    Invalidate();
}

void CButtonUI::SetAttribute(std::string_view name, std::string_view value)
{
    struct ImageAttr
    {
        const char* name;
        std::string CButtonUI::*field;
    };
    static const ImageAttr kImages[] = {
        {"normalimage", &CButtonUI::m_sNormalImage},         {"hotimage", &CButtonUI::m_sHotImage},
        {"hotforeimage", &CButtonUI::m_sHotForeImage},       {"pushedimage", &CButtonUI::m_sPushedImage},
        {"pushedforeimage", &CButtonUI::m_sPushedForeImage}, {"focusedimage", &CButtonUI::m_sFocusedImage},
        {"disabledimage", &CButtonUI::m_sDisabledImage},
    };
    struct ColorAttr
    {
        const char* name;
        DWORD CButtonUI::*field;
    };
    static const ColorAttr kColors[] = {
        {"hotbkcolor", &CButtonUI::m_dwHotBkColor},
        {"pushedbkcolor", &CButtonUI::m_dwPushedBkColor},
        {"hottextcolor", &CButtonUI::m_dwHotTextColor},
        {"pushedtextcolor", &CButtonUI::m_dwPushedTextColor},
        {"focusedtextcolor", &CButtonUI::m_dwFocusedTextColor},
    };
    for (const ImageAttr& a : kImages) {
        if (name == a.name) {
            this->*a.field = value;
            Invalidate();
            return;
        }
    }
    for (const ColorAttr& a : kColors) {
        if (name == a.name) {
            this->*a.field = ParseColor(value);
            Invalidate();
            return;
        }
    }
    CLabelUI::SetAttribute(name, value);
}

void CButtonUI::PaintBkColor(HDC hDC)
{
    DWORD color = 0;
    if ((m_uButtonState & UISTATE_PUSHED) && m_dwPushedBkColor)
        color = m_dwPushedBkColor;
    else if ((m_uButtonState & UISTATE_HOT) && m_dwHotBkColor)
        color = m_dwHotBkColor;
    if (color)
        CRenderEngine::DrawColor(hDC, m_rcPaint, color);
    else
        CLabelUI::PaintBkColor(hDC);
}

void CButtonUI::PaintStatusImage(HDC hDC)
{
    const std::string* image = &m_sNormalImage;
    const std::string* fore = &m_sForeImage;
    if (!IsEnabled()) {
        if (!m_sDisabledImage.empty())
            image = &m_sDisabledImage;
    } else if (m_uButtonState & UISTATE_PUSHED) {
        if (!m_sPushedImage.empty())
            image = &m_sPushedImage;
        if (!m_sPushedForeImage.empty())
            fore = &m_sPushedForeImage;
    } else if (m_uButtonState & UISTATE_HOT) {
        if (!m_sHotImage.empty())
            image = &m_sHotImage;
        if (!m_sHotForeImage.empty())
            fore = &m_sHotForeImage;
    } else if (IsFocused() && !m_sFocusedImage.empty()) {
        image = &m_sFocusedImage;
    }
    if (!image->empty())
        DrawImage(hDC, *image);
    if (!fore->empty())
        DrawImage(hDC, *fore);
}

void CButtonUI::PaintText(HDC hDC)
{
    DWORD saved = m_dwTextColor;
    if ((m_uButtonState & UISTATE_PUSHED) && m_dwPushedTextColor)
        m_dwTextColor = m_dwPushedTextColor;
    else if ((m_uButtonState & UISTATE_HOT) && m_dwHotTextColor)
        m_dwTextColor = m_dwHotTextColor;
    else if (IsFocused() && m_dwFocusedTextColor)
        m_dwTextColor = m_dwFocusedTextColor;
    CLabelUI::PaintText(hDC);
    m_dwTextColor = saved;
}

} // namespace dui
