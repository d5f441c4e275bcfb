#include "dui/List.h"

#include "dui/PaintManager.h"
#include "dui/ScrollBar.h"

#include <algorithm>
#include <charconv>

namespace dui {

bool TListInfoUI::SetAttribute(std::string_view name, std::string_view value)
{
    struct ColorAttr
    {
        const char* name;
        DWORD TListInfoUI::*field;
    };
    static const ColorAttr kColors[] = {
        {"itemtextcolor", &TListInfoUI::dwTextColor},
        {"itembkcolor", &TListInfoUI::dwBkColor},
        {"itemselectedtextcolor", &TListInfoUI::dwSelectedTextColor},
        {"itemselectedbkcolor", &TListInfoUI::dwSelectedBkColor},
        {"itemhottextcolor", &TListInfoUI::dwHotTextColor},
        {"itemhotbkcolor", &TListInfoUI::dwHotBkColor},
        {"itemdisabledtextcolor", &TListInfoUI::dwDisabledTextColor},
        {"itemdisabledbkcolor", &TListInfoUI::dwDisabledBkColor},
        {"itemlinecolor", &TListInfoUI::dwLineColor},
    };
    struct ImageAttr
    {
        const char* name;
        std::string TListInfoUI::*field;
    };
    static const ImageAttr kImages[] = {
        {"itembkimage", &TListInfoUI::sBkImage},
        {"itemselectedimage", &TListInfoUI::sSelectedImage},
        {"itemhotimage", &TListInfoUI::sHotImage},
        {"itemdisabledimage", &TListInfoUI::sDisabledImage},
    };
    for (const ColorAttr& a : kColors) {
        if (name == a.name) {
            this->*a.field = ParseColor(value);
            return true;
        }
    }
    for (const ImageAttr& a : kImages) {
        if (name == a.name) {
            this->*a.field = value;
            return true;
        }
    }
    if (name == "itemfont") {
        std::from_chars(value.data(), value.data() + value.size(), nFont);
    } else if (name == "itemalign") {
        uTextStyle &= ~(DT_LEFT | DT_CENTER | DT_RIGHT);
        if (value.find("center") != std::string_view::npos)
            uTextStyle |= DT_CENTER;
        else if (value.find("right") != std::string_view::npos)
            uTextStyle |= DT_RIGHT;
    } else if (name == "itemtextpadding") {
        ParseRect(value, rcTextPadding);
    } else if (name == "itemendellipsis") {
        uTextStyle = ParseBool(value) ? (uTextStyle | DT_END_ELLIPSIS) : (uTextStyle & ~DT_END_ELLIPSIS);
    } else {
        return false;
    }
    return true;
}

CListUI::CListUI()
{
    EnableScrollBar(true, false);
}

std::string CListUI::GetClass() const
{
    return "List";
}

void* CListUI::GetInterface(std::string_view name)
{
    if (name == "List")
        return this;
    if (name == "IListOwner")
        return static_cast<IListOwnerUI*>(this);
    return CVerticalLayoutUI::GetInterface(name);
}

UINT CListUI::GetControlFlags() const
{
    return UIFLAG_TABSTOP;
}

void BindListItems(IContainerUI& container, CControlUI* owner)
{
    for (int i = 0; i < container.GetCount(); ++i) {
        if (auto* item = static_cast<IListItemUI*>(container.GetItemAt(i)->GetInterface("ListItem"))) {
            item->SetIndex(i);
            item->SetOwner(owner);
        }
    }
}

bool CListUI::Add(CControlUI* control)
{
    return AddAt(control, GetCount());
}

bool CListUI::AddAt(CControlUI* control, int index)
{
    if (!CVerticalLayoutUI::AddAt(control, index))
        return false;
    BindListItems(*this, this);
    if (m_iCurSel >= index)
        ++m_iCurSel;
    return true;
}

bool CListUI::Remove(CControlUI* control, bool doNotDestroy)
{
    return RemoveAt(GetItemIndex(control), doNotDestroy);
}

bool CListUI::RemoveAt(int index, bool doNotDestroy)
{
    if (!GetItemAt(index))
        return false;
    if (!CVerticalLayoutUI::RemoveAt(index, doNotDestroy))
        return false;
    BindListItems(*this, this);
    if (index == m_iCurSel)
        m_iCurSel = -1;
    else if (index < m_iCurSel)
        --m_iCurSel;
    return true;
}

void CListUI::RemoveAll()
{
    m_iCurSel = -1;
    CVerticalLayoutUI::RemoveAll();
}

void CListUI::SetMultiSelect(bool multi)
{
    m_bMultiSelect = multi;
    if (!multi && m_iCurSel >= 0) {
        int cur = m_iCurSel;
        SelectNone();
        if (auto* item = static_cast<IListItemUI*>(GetItemAt(cur)->GetInterface("ListItem"))) {
            item->Select(true);
            m_iCurSel = cur;
        }
    }
}

void CListUI::SelectNone()
{
    for (CControlUI* c : m_items) {
        if (auto* item = static_cast<IListItemUI*>(c->GetInterface("ListItem")))
            item->Select(false);
    }
    m_iCurSel = -1;
}

std::vector<int> CListUI::GetSelectedItems() const
{
    std::vector<int> out;
    for (int i = 0; i < GetCount(); ++i) {
        auto* item = static_cast<IListItemUI*>(m_items[i]->GetInterface("ListItem"));
        if (item && item->IsSelected())
            out.push_back(i);
    }
    return out;
}

bool CListUI::SelectItem(int index, bool takeFocus, bool sendNotify)
{
    if (index < 0) {
        int old = m_iCurSel;
        SelectNone();
        if (sendNotify && old >= 0 && m_pManager)
            m_pManager->SendNotify(this, DUI_MSGTYPE_ITEMSELECT, static_cast<WPARAM>(-1), old);
        return true;
    }
    CControlUI* control = GetItemAt(index);
    auto* item = control ? static_cast<IListItemUI*>(control->GetInterface("ListItem")) : nullptr;
    if (!item || !control->IsVisible() || !control->IsEnabled())
        return false;
    int old = m_iCurSel;
    bool onlyThis = GetSelectItemCount() == 1 && item->IsSelected();
    if (index == old && onlyThis)
        return true;
    SelectNone();
    item->Select(true);
    m_iCurSel = index;
    EnsureVisible(index);
    if (takeFocus)
        control->SetFocus();
    if (sendNotify && m_pManager)
        m_pManager->SendNotify(this, DUI_MSGTYPE_ITEMSELECT, static_cast<WPARAM>(index), old);
    return true;
}

bool CListUI::SelectMultiItem(int index, bool sendNotify)
{
    if (!m_bMultiSelect)
        return SelectItem(index, false, sendNotify);
    CControlUI* control = GetItemAt(index);
    auto* item = control ? static_cast<IListItemUI*>(control->GetInterface("ListItem")) : nullptr;
    if (!item || !control->IsVisible() || !control->IsEnabled())
        return false;
    int old = m_iCurSel;
    if (item->IsSelected()) {
        item->Select(false);
        if (m_iCurSel == index) {
            std::vector<int> rest = GetSelectedItems();
            m_iCurSel = rest.empty() ? -1 : rest.back();
        }
    } else {
        item->Select(true);
        m_iCurSel = index;
    }
    if (sendNotify && m_pManager)
        m_pManager->SendNotify(this, DUI_MSGTYPE_ITEMSELECT, static_cast<WPARAM>(index), old);
    return true;
}

void CListUI::EnsureVisible(int index)
{
    CControlUI* control = GetItemAt(index);
    if (!control || !m_pVerticalScrollBar || !m_pVerticalScrollBar->IsVisible())
        return;
    RECT client = ClientRect();
    RECT rc = control->GetPos();
    SIZE pos = GetScrollPos();
    if (rc.top < client.top)
        pos.cy -= client.top - rc.top;
    else if (rc.bottom > client.bottom)
        pos.cy += rc.bottom - client.bottom;
    else
        return;
    SetScrollPos(pos);
}

void CListUI::DoEvent(TEventUI& event)
{
    if (event.Type == UIEVENT_KEYDOWN && IsEnabled()) {
        int count = GetCount();
        int target = -2;
        switch (static_cast<int>(event.chKey)) {
        case VK_UP:
            target = std::max(0, m_iCurSel - 1);
            break;
        case VK_DOWN:
            target = std::min(count - 1, m_iCurSel + 1);
            break;
        case VK_HOME:
            target = 0;
            break;
        case VK_END:
            target = count - 1;
            break;
        case VK_RETURN:
            if (CControlUI* c = GetItemAt(m_iCurSel))
                c->Activate();
            return;
        default:
            break;
        }
        if (target >= 0 && count > 0) {
            SelectItem(target, false);
            return;
        }
    }
    CVerticalLayoutUI::DoEvent(event);
}

void CListUI::SetAttribute(std::string_view name, std::string_view value)
{
    if (m_ListInfo.SetAttribute(name, value)) {
        Invalidate();
    } else if (name == "multiselect" || name == "multiexpanding") {
        SetMultiSelect(ParseBool(value));
    } else {
        CVerticalLayoutUI::SetAttribute(name, value);
    }
}

} // namespace dui
