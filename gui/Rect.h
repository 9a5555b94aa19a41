#pragma once

#include "gui/Point.h"

#include <algorithm>

namespace gui {

// A rectangle of pixels: left and top inside, right and bottom just outside,
// so its width is right − left. Views keep their rectangle in the coordinates
// of the container that holds them.
struct Rect {
    int left = 0;   // first column inside
    int top = 0;    // first row inside
    int right = 0;  // first column past the right edge
    int bottom = 0; // first row past the bottom edge

    static constexpr Rect fromSize(int left, int top, int width, int height)
    {
        return {left, top, left + width, top + height};
    }

    constexpr int width() const { return right - left; }
    constexpr int height() const { return bottom - top; }
    constexpr bool empty() const { return right <= left || bottom <= top; }
    constexpr Point topLeft() const { return {left, top}; }

    constexpr bool contains(Point p) const
    {
        return p.x >= left && p.x < right && p.y >= top && p.y < bottom;
    }
    constexpr bool intersects(const Rect& o) const
    {
        return !intersection(o).empty();
    }
    constexpr Rect intersection(const Rect& o) const
    {
        return {std::max(left, o.left), std::max(top, o.top), std::min(right, o.right),
                std::min(bottom, o.bottom)};
    }
    // The smallest rectangle that holds both; an empty side is ignored.
    constexpr Rect united(const Rect& o) const
    {
        if (empty())
            return o;
        if (o.empty())
            return *this;
        return {std::min(left, o.left), std::min(top, o.top), std::max(right, o.right),
                std::max(bottom, o.bottom)};
    }
    constexpr Rect offset(int dx, int dy) const
    {
        return {left + dx, top + dy, right + dx, bottom + dy};
    }
    constexpr long area() const { return empty() ? 0 : long(width()) * height(); }

    friend constexpr bool operator==(const Rect&, const Rect&) = default;
};

} // namespace gui
