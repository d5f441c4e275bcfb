#pragma once
// CLabelUI: a control that shows one line of text (or wrapped text with "multiline"); "autocalcwidth"
// sizes it to its text.

#include "dui/Control.h"

namespace dui {

class CLabelUI : public CControlUI
{
public:
    std::string GetClass() const override;
    void* GetInterface(std::string_view name) override;
    void SetText(std::string_view text) override;
    SIZE EstimateSize(SIZE available) override;
    void SetAttribute(std::string_view name, std::string_view value) override;

    bool IsAutoCalcWidth() const { return m_bAutoCalcWidth; }
    void SetAutoCalcWidth(bool autoCalc);

protected:
    bool m_bAutoCalcWidth = false;
};

} // namespace dui
