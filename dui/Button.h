#pragma once
// CButtonUI: a label that is clicked: hot while the pointer is over it, pushed and captured while the
// mouse button pressed on it is held; releasing over it sends "click". Images and colours per state.

#include "dui/Label.h"

namespace dui {

class CButtonUI : public CLabelUI
{
public:
    std::string GetClass() const override;
    void* GetInterface(std::string_view name) override;
    UINT GetControlFlags() const override;
    bool Activate() override;
    void SetEnabled(bool enabled = true) override;
    void DoEvent(TEventUI& event) override;
    void SetAttribute(std::string_view name, std::string_view value) override;
    void PaintBkColor(HDC hDC) override;
    void PaintStatusImage(HDC hDC) override;
    void PaintText(HDC hDC) override;

    // UISTATE_* bits: hot, pushed, captured (and disabled/focused mirrors).
    UINT GetButtonState() const { return m_uButtonState; }
    std::string GetNormalImage() const { return m_sNormalImage; }
    void SetNormalImage(std::string_view image);
    void SetHotImage(std::string_view image);
    void SetPushedImage(std::string_view image);
    void SetFocusedImage(std::string_view image);
    void SetDisabledImage(std::string_view image);
    void SetHotBkColor(DWORD color)
    {
        m_dwHotBkColor = color;
        Invalidate();
    }
    void SetPushedBkColor(DWORD color)
    {
        m_dwPushedBkColor = color;
        Invalidate();
    }
    void SetHotTextColor(DWORD color)
    {
        m_dwHotTextColor = color;
        Invalidate();
    }
    void SetPushedTextColor(DWORD color)
    {
        m_dwPushedTextColor = color;
        Invalidate();
    }

protected:
    UINT m_uButtonState = 0;
    std::string m_sNormalImage;
    std::string m_sHotImage;
    std::string m_sHotForeImage;
    std::string m_sPushedImage;
    std::string m_sPushedForeImage;
    std::string m_sFocusedImage;
    std::string m_sDisabledImage;
    DWORD m_dwHotBkColor = 0;
    DWORD m_dwPushedBkColor = 0;
    DWORD m_dwHotTextColor = 0;
    DWORD m_dwPushedTextColor = 0;
    DWORD m_dwFocusedTextColor = 0;
};

} // namespace dui
