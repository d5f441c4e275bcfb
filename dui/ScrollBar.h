#pragma once
// CScrollBarUI: the scroll bar of a scrolling container: a track and a thumb that can be dragged, with
// pages scrolled by a click on the track. Its owner container moves its children.

#include "dui/Control.h"

namespace dui {

class CContainerUI;

class CScrollBarUI : public CControlUI
{
public:
    CScrollBarUI();

    std::string GetClass() const override;
    void* GetInterface(std::string_view name) override;

    CContainerUI* GetOwner() const { return m_pOwner; }
    void SetOwner(CContainerUI* owner) { m_pOwner = owner; }
    bool IsHorizontal() const { return m_bHorizontal; }
    void SetHorizontal(bool horizontal = true);
    int GetScrollRange() const { return m_nRange; }
    void SetScrollRange(int range);
    int GetScrollPos() const { return m_nScrollPos; }
    void SetScrollPos(int pos);
    int GetLineSize() const { return m_nLineSize; }
    void SetLineSize(int size) { m_nLineSize = size; }
    RECT GetThumbRect() const;

    void SetPos(RECT rc, bool needInvalidate = true) override;
    void DoEvent(TEventUI& event) override;
    void SetAttribute(std::string_view name, std::string_view value) override;
    void PaintBkColor(HDC hDC) override;
    void PaintStatusImage(HDC hDC) override;

private:
    // Moves the owner to the bar's position.
    void Apply();

    CContainerUI* m_pOwner = nullptr;
    bool m_bHorizontal = false;
    int m_nRange = 100;
    int m_nScrollPos = 0;
    int m_nLineSize = 8;
    UINT m_uThumbState = 0;
    POINT m_ptDragStart;
    int m_nDragStartPos = 0;
    DWORD m_dwThumbColor = 0xFFA0A0A0;
    DWORD m_dwThumbHotColor = 0xFF808080;
    std::string m_sThumbImage;
};

} // namespace dui
