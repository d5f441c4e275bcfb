#pragma once
// CComboUI: shows the selected one of its items (list elements) and lets the user pick another;
// choosing an item sends "itemselect" (wParam = the new index, lParam = the old one). The scroll wheel
// and the up/down keys step through the items; activating it (a click) opens its drop list (CComboWnd)
// when it is in a window.

#include "dui/Container.h"
#include "dui/List.h"

namespace dui {

class CComboWnd;

class CComboUI : public CContainerUI, public IListOwnerUI
{
public:
    CComboUI();
    ~CComboUI() override;

    std::string GetClass() const override;
    void* GetInterface(std::string_view name) override;
    UINT GetControlFlags() const override;
    std::string GetText() const override;
    bool Activate() override;

    bool Add(CControlUI* control) override;
    bool AddAt(CControlUI* control, int index) override;
    bool Remove(CControlUI* control, bool doNotDestroy = false) override;
    bool RemoveAt(int index, bool doNotDestroy = false) override;
    void RemoveAll() override;

    TListInfoUI* GetListInfo() override { return &m_ListInfo; }
    int GetCurSel() const override { return m_iCurSel; }
    bool SelectItem(int index, bool takeFocus = false, bool sendNotify = true) override;
    bool SelectMultiItem(int index, bool sendNotify = true) override
    {
        return SelectItem(index, false, sendNotify);
    }
    bool IsMultiSelect() const override { return false; }

    // The open drop list, or nullptr.
    CComboWnd* GetDropList() const { return m_pDropList; }
    // The drop list tells that it closes.
    void DetachDropList(CComboWnd* list)
    {
        if (m_pDropList == list)
            m_pDropList = nullptr;
    }

    void SetPos(RECT rc, bool needInvalidate = true) override;
    void DoEvent(TEventUI& event) override;
    void SetAttribute(std::string_view name, std::string_view value) override;
    void DoPaint(HDC hDC, const RECT& rcPaint) override;
    void PaintStatusImage(HDC hDC) override;
    void PaintText(HDC hDC) override;

protected:
    int m_iCurSel = -1;
    UINT m_uButtonState = 0;
    TListInfoUI m_ListInfo;
    CComboWnd* m_pDropList = nullptr;
    std::string m_sNormalImage;
    std::string m_sHotImage;
    std::string m_sPushedImage;
    std::string m_sDisabledImage;
};

} // namespace dui
