#pragma once
// CRichEditUI: a text entry of several lines: text wraps, and with "wantreturn" Enter starts a new line
// (otherwise it sends "return" like the one-line edit).

#include "dui/Edit.h"

namespace dui {

class CRichEditUI : public CEditUI
{
public:
    CRichEditUI();
    std::string GetClass() const override;
    void* GetInterface(std::string_view name) override;
    bool IsWantReturn() const { return m_bWantReturn; }
    void SetWantReturn(bool want) { m_bWantReturn = want; }
    void SetAttribute(std::string_view name, std::string_view value) override;
};

} // namespace dui
