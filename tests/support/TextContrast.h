#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <map>

#include "gui/Image.h"
#include "gui/Rect.h"

// Legibility of text in a rendered picture, measured as a reader sees it:
// the WCAG contrast ratio between the text's ink and what lies behind it.
namespace text_contrast {

// Relative luminance of an opaque 0xRRGGBBAA pixel (sRGB).
inline double luminance(std::uint32_t rgba)
{
    auto channel = [](std::uint32_t v) {
        const double c = double(v & 0xFF) / 255.0;
        return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(rgba >> 24) + 0.7152 * channel(rgba >> 16) + 0.0722 * channel(rgba >> 8);
}

inline double ratio(double a, double b) { return (std::max(a, b) + 0.05) / (std::min(a, b) + 0.05); }

struct Reading {
    double contrast = 1.0;   // ink against background
    int inkPixels = 0;       // pixels that differ clearly from the background
    int firstInkColumn = -1; // leftmost column holding ink, -1 for none
};

// Inside `area` the background is the most common colour; ink is every pixel
// whose contrast to it exceeds 1.5, and the contrast reported is that of the
// strongest ink (the core of the strokes; edges are antialiased).
inline Reading read(const gui::Image& image, const gui::Rect& area)
{
    std::map<std::uint32_t, int> counts;
    for (int y = area.top; y < area.bottom; ++y)
        for (int x = area.left; x < area.right; ++x)
            ++counts[image.pixel(x, y)];
    std::uint32_t background = 0;
    int best = -1;
    for (const auto& [colour, count] : counts)
        if (count > best) {
            best = count;
            background = colour;
        }
    Reading r;
    const double bg = luminance(background);
    for (int y = area.top; y < area.bottom; ++y)
        for (int x = area.left; x < area.right; ++x) {
            const double c = ratio(luminance(image.pixel(x, y)), bg);
            if (c <= 1.5)
                continue;
            ++r.inkPixels;
            r.contrast = std::max(r.contrast, c);
            if (r.firstInkColumn < 0 || x < r.firstInkColumn)
                r.firstInkColumn = x;
        }
    return r;
}

} // namespace text_contrast
