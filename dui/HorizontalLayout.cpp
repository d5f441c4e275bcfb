#include "dui/HorizontalLayout.h"

namespace dui {

std::string CHorizontalLayoutUI::GetClass() const
{
    return "HorizontalLayout";
}

void* CHorizontalLayoutUI::GetInterface(std::string_view name)
{
    return name == "HorizontalLayout" ? this : CContainerUI::GetInterface(name);
}

void CHorizontalLayoutUI::SetPos(RECT rc, bool needInvalidate)
{
    SetLinePos(rc, needInvalidate, false);
}

} // namespace dui
