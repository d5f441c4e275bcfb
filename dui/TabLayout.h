#pragma once
// CTabLayoutUI: pages stacked in one place; only the selected page is visible. Selecting a page sends
// "tabselect" (wParam = new page, lParam = old page).

#include "dui/Container.h"

namespace dui {

class CTabLayoutUI : public CContainerUI
{
public:
    std::string GetClass() const override;
    void* GetInterface(std::string_view name) override;

    bool Add(CControlUI* control) override;
    bool AddAt(CControlUI* control, int index) override;
    bool Remove(CControlUI* control, bool doNotDestroy = false) override;
    bool RemoveAt(int index, bool doNotDestroy = false) override;
    void RemoveAll() override;

    int GetCurSel() const { return m_iCurSel; }
    // Shows page `index`; false when there is no such page.
    virtual bool SelectItem(int index);
    bool SelectItem(CControlUI* control);

    void SetPos(RECT rc, bool needInvalidate = true) override;
    void SetAttribute(std::string_view name, std::string_view value) override;

protected:
    int m_iCurSel = -1;
};

} // namespace dui
