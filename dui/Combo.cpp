#include "dui/Combo.h"

#include "dui/ComboWnd.h"
#include "dui/PaintManager.h"
#include "dui/RenderEngine.h"

#include <algorithm>

namespace dui {

CComboUI::CComboUI()
{
    m_rcTextPadding = {4, 0, 4, 0};
}

CComboUI::~CComboUI()
{
    if (CComboWnd* list = m_pDropList) {
        m_pDropList = nullptr;
        list->Detach();
        list->Close(0);
    }
}

std::string CComboUI::GetClass() const
{
    return "Combo";
}

void* CComboUI::GetInterface(std::string_view name)
{
    if (name == "Combo")
        return this;
    if (name == "IListOwner")
        return static_cast<IListOwnerUI*>(this);
    return CContainerUI::GetInterface(name);
}

UINT CComboUI::GetControlFlags() const
{
    return UIFLAG_TABSTOP;
}

std::string CComboUI::GetText() const
{
    CControlUI* item = GetItemAt(m_iCurSel);
    return item ? item->GetText() : m_sText;
}

bool CComboUI::Activate()
{
    if (!CControlUI::Activate())
        return false;
    if (!m_pDropList)
        m_pDropList = CComboWnd::Open(this);
    return true;
}

bool CComboUI::Add(CControlUI* control)
{
    return AddAt(control, GetCount());
}

bool CComboUI::AddAt(CControlUI* control, int index)
{
    if (!CContainerUI::AddAt(control, index))
        return false;
    if (m_iCurSel >= index)
        ++m_iCurSel;
    BindListItems(*this, this);
    if (control->IsSelected())
        m_iCurSel = index;
    return true;
}

bool CComboUI::Remove(CControlUI* control, bool doNotDestroy)
{
    return RemoveAt(GetItemIndex(control), doNotDestroy);
}

bool CComboUI::RemoveAt(int index, bool doNotDestroy)
{
    if (!CContainerUI::RemoveAt(index, doNotDestroy))
        return false;
    BindListItems(*this, this);
    if (index == m_iCurSel)
        m_iCurSel = -1;
    else if (index < m_iCurSel)
        --m_iCurSel;
    Invalidate();
    return true;
}

void CComboUI::RemoveAll()
{
    m_iCurSel = -1;
    CContainerUI::RemoveAll();
}

bool CComboUI::SelectItem(int index, bool takeFocus, bool sendNotify)
{
    if (takeFocus)
        SetFocus();
    if (index == m_iCurSel)
        return true;
    int old = m_iCurSel;
    if (index >= 0) {
        CControlUI* control = GetItemAt(index);
        auto* item = control ? static_cast<IListItemUI*>(control->GetInterface("ListItem")) : nullptr;
        if (!item || !control->IsEnabled())
            return false;
    }
    if (CControlUI* oldControl = GetItemAt(old)) {
        if (auto* item = static_cast<IListItemUI*>(oldControl->GetInterface("ListItem")))
            item->Select(false);
    }
    m_iCurSel = index;
    if (CControlUI* control = GetItemAt(index))
        static_cast<IListItemUI*>(control->GetInterface("ListItem"))->Select(true);
    Invalidate();
    if (sendNotify && m_pManager)
        m_pManager->SendNotify(this, DUI_MSGTYPE_ITEMSELECT, static_cast<WPARAM>(m_iCurSel), old);
    return true;
}

void CComboUI::SetPos(RECT rc, bool needInvalidate)
{
    // The items are shown by the drop list, not inside the combo.
    CControlUI::SetPos(rc, needInvalidate);
}

void CComboUI::DoEvent(TEventUI& event)
{
    if (!IsMouseEnabled() && event.Type > UIEVENT__MOUSEBEGIN && event.Type < UIEVENT__MOUSEEND) {
        CContainerUI::DoEvent(event);
        return;
    }
    // Steps to the next enabled item in the direction.
    auto step = [this](int direction) {
        for (int i = m_iCurSel + direction; i >= 0 && i < GetCount(); i += direction) {
            CControlUI* c = GetItemAt(i);
            if (c->IsEnabled() && c->GetInterface("ListItem")) {
                SelectItem(i);
                return;
            }
        }
    };
    if (TrackHot(event, m_uButtonState))
        return;
    switch (event.Type) {
    case UIEVENT_BUTTONDOWN:
        if (IsEnabled()) {
            m_uButtonState |= UISTATE_PUSHED | UISTATE_CAPTURED;
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
    case UIEVENT_MOUSEMOVE:
        return;
    case UIEVENT_KEYDOWN:
        if (event.chKey == static_cast<char32_t>(VK_UP))
            step(-1);
        else if (event.chKey == static_cast<char32_t>(VK_DOWN))
            step(1);
        else
            break;
        return;
    case UIEVENT_SCROLLWHEEL:
        if (IsEnabled())
            step((event.wParam & 0xFFFF) == SB_LINEUP ? -1 : 1);
        return;
    default:
        break;
    }
    CControlUI::DoEvent(event);
}

void CComboUI::SetAttribute(std::string_view name, std::string_view value)
{
    if (m_ListInfo.SetAttribute(name, value))
        return;
    if (name == "normalimage")
        m_sNormalImage = value;
    else if (name == "hotimage")
        m_sHotImage = value;
    else if (name == "pushedimage")
        m_sPushedImage = value;
    else if (name == "disabledimage")
        m_sDisabledImage = value;
    else
        CContainerUI::SetAttribute(name, value);
    Invalidate();
}

void CComboUI::DoPaint(HDC hDC, const RECT& rcPaint)
{
    CControlUI::DoPaint(hDC, rcPaint);
}

void CComboUI::PaintStatusImage(HDC hDC)
{
    const std::string* image = &m_sNormalImage;
    if (!IsEnabled() && !m_sDisabledImage.empty())
        image = &m_sDisabledImage;
    else if ((m_uButtonState & UISTATE_PUSHED) && !m_sPushedImage.empty())
        image = &m_sPushedImage;
    else if ((m_uButtonState & UISTATE_HOT) && !m_sHotImage.empty())
        image = &m_sHotImage;
    if (!image->empty())
        DrawImage(hDC, *image);
}

void CComboUI::PaintText(HDC hDC)
{
    CControlUI* item = GetItemAt(m_iCurSel);
    if (!item)
        return;
    DWORD color = m_dwTextColor ? m_dwTextColor : m_ListInfo.dwTextColor;
    if (color == 0 && m_pManager)
        color = m_pManager->GetDefaultFontColor();
    CRenderEngine::DrawText(hDC, m_pManager, DeflateRect(m_rcItem, ToPixels(m_rcTextPadding)),
                            item->GetText(), color, m_iFont >= 0 ? m_iFont : m_ListInfo.nFont,
                            m_ListInfo.uTextStyle);
}

} // namespace dui
