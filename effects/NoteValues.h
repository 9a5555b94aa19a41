#pragma once

#include <array>

// The note values the tremolo offers when it is locked to the host tempo.
// `beats` is the LFO period in quarter notes; because the gain follows a
// squared sine it pulses twice per period, so one pulse lasts the note value
// in `text` (the speed knob's display). The triplet lengths are the
// truncated decimals 2.666, 1.333, ... rather than exact thirds.
struct NoteValue {
    double beats;     // LFO period, quarter notes
    const char* text; // display text of the pulse length
};

inline constexpr std::array<NoteValue, 17> kNoteValues{{
    {16.0, "2/1"},
    {8.0, "1/1"},
    {6.0, "1/2D"},
    {4.0, "1/2"},
    {2.666, "1/2T"},
    {3.0, "1/4D"},
    {2.0, "1/4"},
    {1.333, "1/4T"},
    {1.5, "1/8D"},
    {1.0, "1/8"},
    {0.666, "1/8T"},
    {0.75, "1/16D"},
    {0.5, "1/16"},
    {0.333, "1/16T"},
    {0.375, "1/32D"},
    {0.25, "1/32"},
    {0.166, "1/32T"},
}};

// The row of kNoteValues for a "Tremolo Speed" value v: row k covers
// k/17 <= v < (k+1)/17 with the bounds taken in single precision; the last
// row takes everything from 16/17 up and the first everything below 1/17
// (NaN included).
constexpr int noteValueRow(float v) noexcept
{
    constexpr int rows = int(kNoteValues.size());
    int row = 0;
    for (int k = 1; k < rows; ++k)
        if (float(k) / float(rows) <= v)
            row = k;
    return row;
}
