#pragma once
// CListContainerElementUI: a list row that holds controls, laid out left to right.

#include "dui/HorizontalLayout.h"
#include "dui/List.h"

namespace dui {

class CListContainerElementUI : public CHorizontalLayoutUI, public IListItemUI
{
public:
    std::string GetClass() const override;
    void* GetInterface(std::string_view name) override;
    UINT GetControlFlags() const override { return UIFLAG_WANTRETURN; }
    bool Activate() override;

    int GetIndex() const override { return m_iIndex; }
    void SetIndex(int index) override { m_iIndex = index; }
    IListOwnerUI* GetOwner() override { return m_pOwner; }
    void SetOwner(CControlUI* owner) override;
    bool IsSelected() const override { return m_bSelected; }
    bool Select(bool select = true) override;
    void DrawItemText(HDC, const RECT&) override {}

    void DoEvent(TEventUI& event) override;
    void DoPaint(HDC hDC, const RECT& rcPaint) override;
    virtual void DrawItemBk(HDC hDC, const RECT& rcItem);

protected:
    int m_iIndex = -1;
    bool m_bSelected = false;
    UINT m_uButtonState = 0;
    IListOwnerUI* m_pOwner = nullptr;
};

} // namespace dui
