#pragma once
// CTileLayoutUI: children in a grid, row by row: "columns" fixes the number of columns, "itemsize" the
// size of every cell (then the columns follow from the width). A row is as high as its highest child.

#include "dui/Container.h"

namespace dui {

class CTileLayoutUI : public CContainerUI
{
public:
    std::string GetClass() const override;
    void* GetInterface(std::string_view name) override;

    int GetColumns() const { return m_nColumns; }
    void SetColumns(int columns);
    SIZE GetItemSize() const { return m_szItem; }
    void SetItemSize(SIZE size);

    void SetPos(RECT rc, bool needInvalidate = true) override;
    void SetAttribute(std::string_view name, std::string_view value) override;

private:
    int Layout(RECT rc);

    int m_nColumns = 1;
    SIZE m_szItem;
};

} // namespace dui
