#pragma once
// CCheckBoxUI: an option that toggles on every click (a check box has no group).

#include "dui/Option.h"

namespace dui {

class CCheckBoxUI : public COptionUI
{
public:
    std::string GetClass() const override;
    void* GetInterface(std::string_view name) override;
    bool GetCheck() const { return IsSelected(); }
    void SetCheck(bool check, bool sendNotify = true) { Selected(check, sendNotify); }
};

} // namespace dui
