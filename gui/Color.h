#pragma once

#include <cstdint>

namespace gui {

// A colour as people write it: straight (not premultiplied) 8-bit channels.
// Drawing premultiplies it on the way into an Image.
struct Color {
    std::uint8_t r = 0;   // red
    std::uint8_t g = 0;   // green
    std::uint8_t b = 0;   // blue
    std::uint8_t a = 255; // coverage, 255 opaque

    friend constexpr bool operator==(Color, Color) = default;
};

namespace colors {
constexpr Color black{0, 0, 0, 255};
constexpr Color white{255, 255, 255, 255};
constexpr Color transparent{0, 0, 0, 0};
} // namespace colors

} // namespace gui
