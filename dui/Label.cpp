#include "dui/Label.h"

#include "dui/RenderEngine.h"

namespace dui {

std::string CLabelUI::GetClass() const
{
    return "Label";
}

void* CLabelUI::GetInterface(std::string_view name)
{
    return name == "Label" ? this : CControlUI::GetInterface(name);
}

void CLabelUI::SetText(std::string_view text)
{
    CControlUI::SetText(text);
    if (m_bAutoCalcWidth)
        NeedParentUpdate();
}

void CLabelUI::SetAutoCalcWidth(bool autoCalc)
{
    m_bAutoCalcWidth = autoCalc;
    NeedParentUpdate();
}

SIZE CLabelUI::EstimateSize(SIZE available)
{
    SIZE sz = ToPixels(m_cxyFixed);
    if (m_bAutoCalcWidth) {
        SIZE text = CRenderEngine::GetTextSize(m_pManager, GetText(), m_iFont, m_uTextStyle);
        RECT padding = ToPixels(m_rcTextPadding);
        sz.cx = text.cx + padding.left + padding.right;
    }
    (void)available;
    return sz;
}

void CLabelUI::SetAttribute(std::string_view name, std::string_view value)
{
    if (name == "autocalcwidth")
        SetAutoCalcWidth(ParseBool(value));
    else
        CControlUI::SetAttribute(name, value);
}

} // namespace dui
