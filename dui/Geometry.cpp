#include "dui/Geometry.h"

#include <algorithm>
#include <charconv>

namespace dui {

bool PtInRect(const RECT& rc, POINT pt)
{
    return pt.x >= rc.left && pt.x < rc.right && pt.y >= rc.top && pt.y < rc.bottom;
}

bool IntersectRect(RECT& out, const RECT& a, const RECT& b)
{
    out = {std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
           std::min(a.bottom, b.bottom)};
    if (out.IsEmpty()) {
        out = {};
        return false;
    }
    return true;
}

RECT UnionRect(const RECT& a, const RECT& b)
{
    if (a.IsEmpty())
        return b;
    if (b.IsEmpty())
        return a;
    return {std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
            std::max(a.bottom, b.bottom)};
}

RECT OffsetRect(const RECT& rc, int dx, int dy)
{
    return {rc.left + dx, rc.top + dy, rc.right + dx, rc.bottom + dy};
}

RECT DeflateRect(const RECT& rc, const RECT& insets)
{
    return {rc.left + insets.left, rc.top + insets.top, rc.right - insets.right, rc.bottom - insets.bottom};
}

namespace {

// Reads up to `count` comma-separated integers; answers how many were read.
int ParseInts(std::string_view text, int* values, int count)
{
    int found = 0;
    size_t pos = 0;
    for (int i = 0; i < count && pos <= text.size(); ++i) {
        while (pos < text.size() && (text[pos] == ' ' || text[pos] == '\t'))
            ++pos;
        int v = 0;
        auto [end, ec] = std::from_chars(text.data() + pos, text.data() + text.size(), v);
        if (ec == std::errc()) {
            values[i] = v;
            ++found;
            pos = end - text.data();
        }
        size_t comma = text.find(',', pos);
        if (comma == std::string_view::npos)
            break;
        pos = comma + 1;
    }
    return found;
}

} // namespace

bool ParseRect(std::string_view text, RECT& out)
{
    int v[4] = {0, 0, 0, 0};
    if (ParseInts(text, v, 4) == 0)
        return false;
    out = {v[0], v[1], v[2], v[3]};
    return true;
}

bool ParseSize(std::string_view text, SIZE& out)
{
    int v[2] = {0, 0};
    if (ParseInts(text, v, 2) == 0)
        return false;
    out = {v[0], v[1]};
    return true;
}

} // namespace dui
