#pragma once

namespace gui {

// A pixel position. x grows to the right, y downwards.
struct Point {
    int x = 0; // pixels from the left edge of the coordinate system
    int y = 0; // pixels from the top edge

    constexpr Point offset(int dx, int dy) const { return {x + dx, y + dy}; }
    friend constexpr bool operator==(Point, Point) = default;
};

} // namespace gui
