#include "dui/ComboWnd.h"

#include "dui/Button.h"
#include "dui/Combo.h"
#include "dui/WindowMessages.h"

#include <string>

namespace dui {

CComboWnd* CComboWnd::Open(CComboUI* owner)
{
    CPaintManagerUI* pm = owner ? owner->GetManager() : nullptr;
    CWindowWnd* window = pm ? WindowFromHandle(pm->GetPaintWindow()) : nullptr;
    if (!window)
        return nullptr;
    RECT win = window->GetWindowRect();
    RECT combo = owner->GetPos();
    auto* list = new CComboWnd;
    list->m_pOwner = owner;
    if (!list->Popup(pm->GetPaintWindow(), {win.left + combo.left, win.top + combo.bottom})) {
        delete list;
        return nullptr;
    }
    return list;
}

std::string CComboWnd::GetSkinFile()
{
    return "<Window><VerticalLayout name='combo_droplist' bkcolor='#FFFFFFFF' bordercolor='#FF808080' "
           "bordersize='1'/></Window>";
}

void CComboWnd::InitWindow()
{
    auto* list = static_cast<CContainerUI*>(m_pm.GetRoot()->GetInterface("Container"));
    int height = 0;
    for (int i = 0; m_pOwner && i < m_pOwner->GetCount(); ++i) {
        CControlUI* item = m_pOwner->GetItemAt(i);
        if (!item->IsVisible())
            continue;
        auto* row = new CButtonUI;
        row->SetName("combo_item_" + std::to_string(i));
        row->SetText(item->GetRawText());
        row->SetResourceText(item->IsResourceText());
        row->SetTag(static_cast<uintptr_t>(i));
        row->SetFixedHeight(item->GetFixedHeight() > 0 ? item->GetFixedHeight() : kDefaultItemHeight);
        row->SetTextPadding({4, 0, 4, 0});
        row->SetTextStyle(DT_LEFT | DT_VCENTER | DT_SINGLELINE);
        if (i == m_pOwner->GetCurSel())
            row->SetBkColor(0xFFD0E0F0);
        list->Add(row);
        height += row->GetFixedHeight();
    }
    // As wide as the combo: its width in pixels back to a layout value of the list's (equal) scale.
    int width = m_pOwner ? m_pm.UnscaleValue(m_pOwner->GetWidth()) : 100;
    m_pm.SetInitSize(width, height + 2);
}

void CComboWnd::Notify(TNotifyUI& msg)
{
    if (msg.sType != DUI_MSGTYPE_CLICK || !msg.pSender)
        return;
    if (m_pOwner) {
        CComboUI* owner = m_pOwner;
        owner->DetachDropList(this);
        m_pOwner = nullptr;
        owner->SelectItem(static_cast<int>(msg.pSender->GetTag()), false, true);
    }
    Close(0);
}

void CComboWnd::OnFinalMessage(HWND hWnd)
{
    if (m_pOwner)
        m_pOwner->DetachDropList(this);
    CPopupWnd::OnFinalMessage(hWnd); // deletes this
}

} // namespace dui
