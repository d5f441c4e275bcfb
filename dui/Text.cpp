#include "dui/Text.h"

namespace dui {

CTextUI::CTextUI()
{
    m_uTextStyle = DT_WORDBREAK | DT_END_ELLIPSIS;
}

std::string CTextUI::GetClass() const
{
    return "Text";
}

void* CTextUI::GetInterface(std::string_view name)
{
    return name == "Text" ? this : CLabelUI::GetInterface(name);
}

} // namespace dui
