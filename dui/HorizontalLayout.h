#pragma once
// CHorizontalLayoutUI: children left to right. Children with a fixed width keep it; the others share the
// rest of the room.

#include "dui/Container.h"

namespace dui {

class CHorizontalLayoutUI : public CContainerUI
{
public:
    std::string GetClass() const override;
    void* GetInterface(std::string_view name) override;
    void SetPos(RECT rc, bool needInvalidate = true) override;
};

} // namespace dui
