#pragma once
// CListUI: a scrolling vertical list of item controls (CListLabelElementUI rows of text,
// CListContainerElementUI rows holding controls). A press on a row selects it ("itemselect", wParam =
// the new index, lParam = the old one; with multiple selection Ctrl toggles rows), the release sends
// "itemclick", a double click or Enter activates it ("itemactivate"). Up, down, home and end move the
// selection. The item look (colours, font, alignment, images per state) is the list's.

#include "dui/VerticalLayout.h"

#include <vector>

namespace dui {

// How the owner of list items draws them.
struct TListInfoUI
{
    int nFont = -1;
    UINT uTextStyle = DT_VCENTER | DT_SINGLELINE;
    RECT rcTextPadding;
    DWORD dwTextColor = 0;
    DWORD dwBkColor = 0;
    DWORD dwSelectedTextColor = 0;
    DWORD dwSelectedBkColor = 0;
    DWORD dwHotTextColor = 0;
    DWORD dwHotBkColor = 0;
    DWORD dwDisabledTextColor = 0;
    DWORD dwDisabledBkColor = 0;
    DWORD dwLineColor = 0;
    std::string sBkImage;
    std::string sSelectedImage;
    std::string sHotImage;
    std::string sDisabledImage;
    // Applies an item attribute ("itemfont", "itembkcolor", ...); false when the name is not one.
    bool SetAttribute(std::string_view name, std::string_view value);
};

// The owner of list items: a list or a combo.
class IListOwnerUI
{
public:
    virtual TListInfoUI* GetListInfo() = 0;
    virtual int GetCurSel() const = 0;
    virtual bool SelectItem(int index, bool takeFocus = false, bool sendNotify = true) = 0;
    // Toggles one row in a multiple selection (or selects it when there is none).
    virtual bool SelectMultiItem(int index, bool sendNotify = true) = 0;
    virtual bool IsMultiSelect() const = 0;
    virtual void DoEvent(TEventUI& event) = 0;

protected:
    ~IListOwnerUI() = default;
};

// One row of a list.
class IListItemUI
{
public:
    virtual int GetIndex() const = 0;
    virtual void SetIndex(int index) = 0;
    virtual IListOwnerUI* GetOwner() = 0;
    virtual void SetOwner(CControlUI* owner) = 0;
    virtual bool IsSelected() const = 0;
    virtual bool Select(bool select = true) = 0;
    virtual void DrawItemText(HDC hDC, const RECT& rcItem) = 0;

protected:
    ~IListItemUI() = default;
};

// Gives every list item among the container's children its index and its owner.
void BindListItems(IContainerUI& container, CControlUI* owner);

class CListUI : public CVerticalLayoutUI, public IListOwnerUI
{
public:
    CListUI();

    std::string GetClass() const override;
    void* GetInterface(std::string_view name) override;
    UINT GetControlFlags() const override;

    bool Add(CControlUI* control) override;
    bool AddAt(CControlUI* control, int index) override;
    bool Remove(CControlUI* control, bool doNotDestroy = false) override;
    bool RemoveAt(int index, bool doNotDestroy = false) override;
    void RemoveAll() override;

    TListInfoUI* GetListInfo() override { return &m_ListInfo; }
    int GetCurSel() const override { return m_iCurSel; }
    bool SelectItem(int index, bool takeFocus = false, bool sendNotify = true) override;
    bool SelectMultiItem(int index, bool sendNotify = true) override;
    bool IsMultiSelect() const override { return m_bMultiSelect; }
    void SetMultiSelect(bool multi);
    // Unselects every row.
    void SelectNone();
    // The selected rows in index order.
    std::vector<int> GetSelectedItems() const;
    int GetSelectItemCount() const { return static_cast<int>(GetSelectedItems().size()); }
    // Scrolls so the row is in view.
    void EnsureVisible(int index);

    void DoEvent(TEventUI& event) override;
    void SetAttribute(std::string_view name, std::string_view value) override;

protected:
    int m_iCurSel = -1;
    bool m_bMultiSelect = false;
    TListInfoUI m_ListInfo;
};

} // namespace dui
