#include "dui/TabLayout.h"

#include "dui/PaintManager.h"

#include <charconv>

namespace dui {

std::string CTabLayoutUI::GetClass() const
{
    return "TabLayout";
}

void* CTabLayoutUI::GetInterface(std::string_view name)
{
    return name == "TabLayout" ? this : CContainerUI::GetInterface(name);
}

bool CTabLayoutUI::Add(CControlUI* control)
{
    return AddAt(control, GetCount());
}

bool CTabLayoutUI::AddAt(CControlUI* control, int index)
{
    if (!CContainerUI::AddAt(control, index))
        return false;
    if (m_iCurSel < 0 && control->IsVisible()) {
        m_iCurSel = index;
    } else {
        if (index <= m_iCurSel)
            ++m_iCurSel;
        control->SetVisible(false);
    }
    return true;
}

bool CTabLayoutUI::Remove(CControlUI* control, bool doNotDestroy)
{
    return RemoveAt(GetItemIndex(control), doNotDestroy);
}

bool CTabLayoutUI::RemoveAt(int index, bool doNotDestroy)
{
    if (!GetItemAt(index))
        return false;
    bool wasCurrent = index == m_iCurSel;
    if (!CContainerUI::RemoveAt(index, doNotDestroy))
        return false;
    if (wasCurrent) {
        m_iCurSel = -1;
        if (GetCount() > 0)
            SelectItem(std::min(index, GetCount() - 1));
    } else if (index < m_iCurSel) {
        --m_iCurSel;
    }
    return true;
}

void CTabLayoutUI::RemoveAll()
{
    m_iCurSel = -1;
    CContainerUI::RemoveAll();
}

bool CTabLayoutUI::SelectItem(int index)
{
    if (index < 0 || index >= GetCount())
        return false;
    if (index == m_iCurSel) {
        m_items[index]->SetVisible(true);
        return true;
    }
    int old = m_iCurSel;
    m_iCurSel = index;
    for (int i = 0; i < GetCount(); ++i)
        m_items[i]->SetVisible(i == index);
    NeedParentUpdate();
    if (m_pManager) {
        m_pManager->SetNextTabControl();
        m_pManager->SendNotify(this, DUI_MSGTYPE_TABSELECT, static_cast<WPARAM>(index), old);
    }
    return true;
}

bool CTabLayoutUI::SelectItem(CControlUI* control)
{
    return SelectItem(GetItemIndex(control));
}

void CTabLayoutUI::SetPos(RECT rc, bool needInvalidate)
{
    CControlUI::SetPos(rc, needInvalidate);
    RECT client = ClientRect();
    for (int i = 0; i < GetCount(); ++i) {
        CControlUI* item = m_items[i];
        if (i != m_iCurSel || !item->IsVisible())
            continue;
        if (item->IsFloat()) {
            SetFloatPos(i);
            continue;
        }
        RECT rcCtrl = DeflateRect(client, ToPixels(item->GetPadding()));
        SIZE sz = item->EstimateSize({client.Width(), client.Height()});
        if (sz.cx > 0)
            rcCtrl.right =
                rcCtrl.left + Clamp(sz.cx, ToPixels(item->GetMinWidth()), ToPixels(item->GetMaxWidth()));
        if (sz.cy > 0)
            rcCtrl.bottom =
                rcCtrl.top + Clamp(sz.cy, ToPixels(item->GetMinHeight()), ToPixels(item->GetMaxHeight()));
        item->SetPos(rcCtrl, false);
    }
}

void CTabLayoutUI::SetAttribute(std::string_view name, std::string_view value)
{
    if (name == "selectedid") {
        int v = 0;
        std::from_chars(value.data(), value.data() + value.size(), v);
        SelectItem(v);
    } else {
        CContainerUI::SetAttribute(name, value);
    }
}

} // namespace dui
