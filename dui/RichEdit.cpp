#include "dui/RichEdit.h"

namespace dui {

CRichEditUI::CRichEditUI()
{
    m_uTextStyle = DT_WORDBREAK;
    m_uMaxChar = 30000;
}

std::string CRichEditUI::GetClass() const
{
    return "RichEdit";
}

void* CRichEditUI::GetInterface(std::string_view name)
{
    return name == "RichEdit" ? this : CEditUI::GetInterface(name);
}

void CRichEditUI::SetAttribute(std::string_view name, std::string_view value)
{
    if (name == "wantreturn")
        SetWantReturn(ParseBool(value));
    else if (name == "multiline")
        SetTextStyle(ParseBool(value) ? DT_WORDBREAK : (DT_SINGLELINE | DT_VCENTER));
    else
        CEditUI::SetAttribute(name, value);
}

} // namespace dui
