#include "panels/SelectPanelUI.h"

std::string CSelectPanelUI::GetClass() const
{
    return std::string(kClassName);
}

void* CSelectPanelUI::GetInterface(std::string_view name)
{
    return name == kClassName ? this : CVerticalLayoutUI::GetInterface(name);
}
