#include "dui/Progress.h"

#include "dui/RenderEngine.h"

#include <algorithm>
#include <charconv>

namespace dui {

namespace {
int ToInt(std::string_view v)
{
    int n = 0;
    std::from_chars(v.data(), v.data() + v.size(), n);
    return n;
}
} // namespace

std::string CProgressUI::GetClass() const
{
    return "Progress";
}

void* CProgressUI::GetInterface(std::string_view name)
{
    return name == "Progress" ? this : CLabelUI::GetInterface(name);
}

void CProgressUI::SetHorizontal(bool horizontal)
{
    m_bHorizontal = horizontal;
    Invalidate();
}

void CProgressUI::SetMinValue(int min)
{
    m_nMin = min;
    m_nMax = std::max(m_nMax, m_nMin);
    SetValue(m_nValue);
}

void CProgressUI::SetMaxValue(int max)
{
    m_nMax = max;
    m_nMin = std::min(m_nMin, m_nMax);
    SetValue(m_nValue);
}

void CProgressUI::SetValue(int value)
{
    value = std::clamp(value, m_nMin, m_nMax);
    if (value == m_nValue)
        return;
    m_nValue = value;
    Invalidate();
}

void CProgressUI::SetForeColor(DWORD color)
{
    m_dwForeColor = color;
    Invalidate();
}

RECT CProgressUI::ValueRect() const
{
    RECT rc = m_rcItem;
    int span = m_nMax - m_nMin;
    if (span <= 0)
        return {rc.left, rc.top, rc.left, rc.top};
    if (m_bHorizontal)
        rc.right = rc.left + static_cast<int>(static_cast<int64_t>(m_nValue - m_nMin) * rc.Width() / span);
    else
        rc.top = rc.bottom - static_cast<int>(static_cast<int64_t>(m_nValue - m_nMin) * rc.Height() / span);
    return rc;
}

void CProgressUI::SetAttribute(std::string_view name, std::string_view value)
{
    if (name == "hor")
        SetHorizontal(ParseBool(value));
    else if (name == "min")
        SetMinValue(ToInt(value));
    else if (name == "max")
        SetMaxValue(ToInt(value));
    else if (name == "value")
        SetValue(ToInt(value));
    else if (name == "forecolor")
        SetForeColor(ParseColor(value));
    else
        CLabelUI::SetAttribute(name, value);
}

void CProgressUI::PaintStatusImage(HDC hDC)
{
    RECT rc = ValueRect();
    if (rc.IsEmpty())
        return;
    if (m_dwForeColor) {
        RECT clip;
        if (IntersectRect(clip, rc, m_rcPaint))
            CRenderEngine::DrawColor(hDC, clip, m_dwForeColor);
    }
    if (!m_sForeImage.empty()) {
        // The image covers the whole bar; only the value's part of it shows.
        hDC->Save();
        hDC->ClipRect(rc);
        DrawImage(hDC, m_sForeImage);
        hDC->Restore();
    }
}

} // namespace dui
