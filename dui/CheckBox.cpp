#include "dui/CheckBox.h"

namespace dui {

std::string CCheckBoxUI::GetClass() const
{
    return "CheckBox";
}

void* CCheckBoxUI::GetInterface(std::string_view name)
{
    return name == "CheckBox" ? this : COptionUI::GetInterface(name);
}

} // namespace dui
