#pragma once
// List rows: CListElementUI is the base of rows drawn by the owner's item settings; CListLabelElementUI
// is a row of text. CListContainerElementUI (ListContainerElement.h) holds controls.

#include "dui/List.h"

namespace dui {

class CListElementUI : public CControlUI, public IListItemUI
{
public:
    std::string GetClass() const override;
    void* GetInterface(std::string_view name) override;
    UINT GetControlFlags() const override { return UIFLAG_WANTRETURN; }
    void SetVisible(bool visible = true) override;
    void SetEnabled(bool enabled = true) override;
    bool Activate() override;

    int GetIndex() const override { return m_iIndex; }
    void SetIndex(int index) override { m_iIndex = index; }
    IListOwnerUI* GetOwner() override { return m_pOwner; }
    void SetOwner(CControlUI* owner) override;
    bool IsSelected() const override { return m_bSelected; }
    bool Select(bool select = true) override;
    void DrawItemText(HDC, const RECT&) override {}

    void DoEvent(TEventUI& event) override;
    void SetAttribute(std::string_view name, std::string_view value) override;
    // Background of the row by state, from the owner's item settings.
    virtual void DrawItemBk(HDC hDC, const RECT& rcItem);

protected:
    int m_iIndex = -1;
    bool m_bSelected = false;
    UINT m_uButtonState = 0;
    IListOwnerUI* m_pOwner = nullptr;
};

class CListLabelElementUI : public CListElementUI
{
public:
    std::string GetClass() const override;
    void* GetInterface(std::string_view name) override;
    SIZE EstimateSize(SIZE available) override;
    void DoPaint(HDC hDC, const RECT& rcPaint) override;
    void DrawItemText(HDC hDC, const RECT& rcItem) override;
};

// Shared row behaviour of the element kinds: press selects (Ctrl toggles in a multiple selection),
// release sends "itemclick", double click or Enter activates, enter/leave set the hot state; anything
// else goes to the owner. Answers true when the event was handled.
bool HandleListItemEvent(CControlUI* self, IListItemUI* item, UINT& buttonState, TEventUI& event);
// Shared row background by state (disabled, selected, hot, normal): colour, image and line from the
// owner's item settings.
void DrawListItemBk(CControlUI* self, IListItemUI* item, UINT buttonState, HDC hDC, const RECT& rc);

} // namespace dui
