#pragma once

#include <cstdint>

namespace gui {

// One pre-rendered glyph of a FontData: an 8-bit coverage bitmap and its
// placement relative to the pen on the baseline.
struct GlyphData {
    std::uint32_t offset; // first byte of the coverage bitmap in FontData::coverage
    std::uint8_t width;   // bitmap columns
    std::uint8_t height;  // bitmap rows
    std::int8_t left;     // columns from the pen to the bitmap's left edge
    std::int8_t top;      // rows from the baseline up to the bitmap's top edge
    std::uint8_t advance; // pen movement to the next glyph, pixels
};

// A font rendered at one pixel size at build time (tools/fontgen): the
// printable ASCII characters, anti-aliased, identical on every platform.
struct FontData {
    int pixelSize;                 // nominal size the glyphs were rendered at
    int ascent;                    // pixels from the top of a line to the baseline
    int descent;                   // pixels from the baseline to the bottom of a line
    char32_t first;                // code point of glyphs[0]
    int count;                     // number of glyphs
    const GlyphData* glyphs;       // count glyphs for first, first + 1, ...
    const std::uint8_t* coverage;  // the glyph bitmaps, row by row
};

// The fonts built into the toolkit (generated sources).
const FontData& smallFontData();     // for tiny displays and labels
const FontData& normalFontData();    // for menus, labels and displays
const FontData& condensedFontData(); // the normal size, narrower: short texts in narrow fields

} // namespace gui
