#pragma once
// CComboWnd: the drop list of a combo box, a pop-up under the combo listing its visible items. Clicking
// one selects it in the combo (with "itemselect") and closes the list; Escape or leaving the list closes
// it without a change. The combo closes its list when it goes away.

#include "dui/PopupWnd.h"

namespace dui {

class CComboUI;

class CComboWnd : public CPopupWnd
{
public:
    static constexpr int kDefaultItemHeight = 24;

    // Opens the list of the combo (which must be in a window); nullptr when it cannot.
    static CComboWnd* Open(CComboUI* owner);
    // The combo lets go of its list (the list closes without touching it again).
    void Detach() { m_pOwner = nullptr; }

    void Notify(TNotifyUI& msg) override;

protected:
    std::string GetWindowClassName() const override { return "ComboWnd"; }
    std::string GetSkinFile() override;
    void InitWindow() override;
    void OnFinalMessage(HWND hWnd) override;

private:
    CComboUI* m_pOwner = nullptr;
};

} // namespace dui
