#include "dui/TileLayout.h"

#include <algorithm>
#include <charconv>

namespace dui {

std::string CTileLayoutUI::GetClass() const
{
    return "TileLayout";
}

void* CTileLayoutUI::GetInterface(std::string_view name)
{
    return name == "TileLayout" ? this : CContainerUI::GetInterface(name);
}

void CTileLayoutUI::SetColumns(int columns)
{
    if (columns <= 0)
        return;
    m_nColumns = columns;
    NeedUpdate();
}

void CTileLayoutUI::SetItemSize(SIZE size)
{
    m_szItem = size;
    NeedUpdate();
}

int CTileLayoutUI::Layout(RECT rc)
{
    const int childPadding = ToPixels(m_iChildPadding);
    const SIZE itemSize = ToPixels(m_szItem);
    int columns = m_nColumns;
    if (itemSize.cx > 0)
        columns = std::max(1, (rc.Width() + childPadding) / (itemSize.cx + childPadding));
    int cellWidth = itemSize.cx > 0 ? itemSize.cx : (rc.Width() - (columns - 1) * childPadding) / columns;
    SIZE scroll = GetScrollPos();
    int top = rc.top - scroll.cy;
    int rowHeight = 0;
    int column = 0;
    int needed = 0;
    for (int i = 0; i < GetCount(); ++i) {
        CControlUI* item = m_items[i];
        if (!item->IsVisible())
            continue;
        if (item->IsFloat()) {
            SetFloatPos(i);
            continue;
        }
        RECT pad = ToPixels(item->GetPadding());
        SIZE sz = item->EstimateSize({cellWidth, rc.Height()});
        int cy = itemSize.cy > 0 ? itemSize.cy : sz.cy;
        cy = Clamp(cy, ToPixels(item->GetMinHeight()), ToPixels(item->GetMaxHeight()));
        int left = rc.left + column * (cellWidth + childPadding);
        item->SetPos({left + pad.left, top + pad.top, left + cellWidth - pad.right, top + pad.top + cy},
                     false);
        rowHeight = std::max(rowHeight, cy + pad.top + pad.bottom);
        if (++column == columns) {
            column = 0;
            top += rowHeight + childPadding;
            needed += rowHeight + childPadding;
            rowHeight = 0;
        }
    }
    needed += rowHeight;
    if (column == 0 && needed > 0)
        needed -= childPadding;
    return needed;
}

void CTileLayoutUI::SetPos(RECT rc, bool needInvalidate)
{
    CControlUI::SetPos(rc, needInvalidate);
    for (int pass = 0; pass < 2; ++pass) {
        int needed = Layout(ClientRect());
        if (!ProcessScrollBar(DeflateRect(m_rcItem, ToPixels(m_rcInset)), 0, needed))
            break;
    }
}

void CTileLayoutUI::SetAttribute(std::string_view name, std::string_view value)
{
    if (name == "columns") {
        int v = 0;
        std::from_chars(value.data(), value.data() + value.size(), v);
        SetColumns(v);
    } else if (name == "itemsize") {
        SIZE sz;
        ParseSize(value, sz);
        SetItemSize(sz);
    } else {
        CContainerUI::SetAttribute(name, value);
    }
}

} // namespace dui
