#pragma once
// CVerticalLayoutUI: children top to bottom. Children with a fixed height keep it; the others share the
// rest. With "sepheight" the layout has a separator strip (at its bottom; negative: at its top) that the
// user drags to change the layout's own height ("sepimm": follow the drag at once).

#include "dui/Container.h"

namespace dui {

class CVerticalLayoutUI : public CContainerUI
{
public:
    std::string GetClass() const override;
    void* GetInterface(std::string_view name) override;
    UINT GetControlFlags() const override;

    void SetSepHeight(int height) { m_iSepHeight = height; }
    int GetSepHeight() const { return m_iSepHeight; }
    void SetSepImmMode(bool immediately) { m_bImmMode = immediately; }
    // True while the separator holds the mouse.
    bool IsSeparatorCaptured() const { return (m_uButtonState & UISTATE_CAPTURED) != 0; }

    void SetPos(RECT rc, bool needInvalidate = true) override;
    void DoEvent(TEventUI& event) override;
    void SetAttribute(std::string_view name, std::string_view value) override;
    void DoPostPaint(HDC hDC, const RECT& rcPaint) override;

protected:
    RECT GetThumbRect(bool useNew = false) const;

    int m_iSepHeight = 0;
    bool m_bImmMode = false;
    UINT m_uButtonState = 0;
    POINT m_ptLastMouse;
    RECT m_rcNewPos;
};

} // namespace dui
