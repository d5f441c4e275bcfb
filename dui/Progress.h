#pragma once
// CProgressUI: a bar showing a value between a minimum and a maximum: the fore image (or fore colour)
// covers the part of the control that matches the value, left to right or ("hor"="false") bottom up.

#include "dui/Label.h"

namespace dui {

class CProgressUI : public CLabelUI
{
public:
    std::string GetClass() const override;
    void* GetInterface(std::string_view name) override;

    bool IsHorizontal() const { return m_bHorizontal; }
    void SetHorizontal(bool horizontal = true);
    int GetMinValue() const { return m_nMin; }
    void SetMinValue(int min);
    int GetMaxValue() const { return m_nMax; }
    void SetMaxValue(int max);
    int GetValue() const { return m_nValue; }
    // Stores the value, clamped to the range.
    virtual void SetValue(int value);
    DWORD GetForeColor() const { return m_dwForeColor; }
    void SetForeColor(DWORD color);

    void SetAttribute(std::string_view name, std::string_view value) override;
    void PaintStatusImage(HDC hDC) override;

protected:
    // The part of the item the value covers.
    RECT ValueRect() const;

    bool m_bHorizontal = true;
    int m_nMin = 0;
    int m_nMax = 100;
    int m_nValue = 0;
    DWORD m_dwForeColor = 0;
};

} // namespace dui
