#pragma once
// CTextUI: a label for longer text: wrapped over several lines and cut with an ellipsis at the end.

#include "dui/Label.h"

namespace dui {

class CTextUI : public CLabelUI
{
public:
    CTextUI();
    std::string GetClass() const override;
    void* GetInterface(std::string_view name) override;
};

} // namespace dui
