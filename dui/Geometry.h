#pragma once
// Plain geometry of the skin library: points, sizes and rectangles in window client pixels. A rectangle
// holds its left/top edges and the right/bottom edges just past it, so its width is right - left.

#include <string_view>

namespace dui {

struct POINT
{
    int x = 0;
    int y = 0;
};

struct SIZE
{
    int cx = 0;
    int cy = 0;
    bool operator==(const SIZE&) const = default;
};

struct RECT
{
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool IsEmpty() const { return right <= left || bottom <= top; }
    bool operator==(const RECT&) const = default;
};

// True when the point lies inside the rectangle (left/top inclusive, right/bottom exclusive).
bool PtInRect(const RECT& rc, POINT pt);
// The common part of two rectangles; false (and an empty result) when they do not overlap.
bool IntersectRect(RECT& out, const RECT& a, const RECT& b);
// The smallest rectangle holding both; an empty rectangle adds nothing.
RECT UnionRect(const RECT& a, const RECT& b);
// Moves the rectangle by dx, dy.
RECT OffsetRect(const RECT& rc, int dx, int dy);
// Shrinks the rectangle by the insets on each side (the insets' left..bottom fields).
RECT DeflateRect(const RECT& rc, const RECT& insets);
// Reads "l,t,r,b" (missing numbers are 0); false when the text holds no number at all.
bool ParseRect(std::string_view text, RECT& out);
// Reads "cx,cy".
bool ParseSize(std::string_view text, SIZE& out);

} // namespace dui
