#pragma once

#include <array>
#include <string>

namespace editor {

// The note values "Tremolo Speed" selects while the tremolo follows the host
// tempo: 17 equal bands of the value, longest first.
inline constexpr std::array<const char*, 17> kNoteValues = {
    "2/1",   "1/1",  "1/2D",  "1/2",   "1/2T", "1/4D",  "1/4",   "1/4T", "1/8D",
    "1/8",   "1/8T", "1/16D", "1/16",  "1/16T", "1/32D", "1/32", "1/32T",
};

// Band k holds k/17 <= v < (k+1)/17, bounds in single precision; 1.0 is the last.
inline std::string noteValueText(float v)
{
    int band = 0;
    for (int k = 1; k < int(kNoteValues.size()); ++k)
        if (v >= float(k) / 17.0f)
            band = k;
    return kNoteValues[std::size_t(band)];
}

} // namespace editor
