#pragma once

#include <cmath>
#include <vector>

// One cabinet of the cabinet engine: the settings that select and blend its
// stored responses, its mix settings, and the response built from them.
//
// Threads: written and read on the (serialised) parameter side only; the
// audio thread never sees a slot, only the convolvers loaded from it.
struct CabinetSlot {
    static constexpr int kResponseLength = 8192; // samples in one stored response

    int cabinetHundreds = 100; // cabinet number 1..5, times 100
    int micTens = 10;          // microphone number 1..4, times 10
    int axisUnits = 1;         // axis number 1..2
    float position = 0.5f;     // microphone position 0..1; symmetric about 0.5 (the centre)
    float distance = 0.0f;     // microphone distance 0..1: 0 on the grille, 1 at a distance
    bool invert = false;       // true: the response is used with inverted polarity
    float volume = 0.5f;       // linear gain 0..1 (stereo mode only)
    float pan = 0.5f;          // 0 = left, 1 = right, linear (stereo mode only)
    bool off = false;          // true when the cabinet is switched off
    std::vector<double> response = std::vector<double>(kResponseLength, 0.0); // the blended response

    // The three-digit selection code: cabinet, microphone, axis.
    int code() const noexcept { return cabinetHundreds + micTens + axisUnits; }

    // Parameter mappings, v the normalised value, all in single precision.
    // The selectors take the ceiling of the rounded float, so v = 0 is the
    // first item and any v above 0 up to the next step is the second; a
    // stored 0.666667 selects microphone 4 because 3·v exceeds 2 in float.
    static int cabinetHundredsFor(float v) noexcept { return 100 * ceilingOf(4.0f * v + 1.0f); }
    static int micTensFor(float v) noexcept { return 10 * ceilingOf(3.0f * v + 1.0f); }
    static int axisUnitsFor(float v) noexcept { return ceilingOf(v + 1.0f); }
    // Phase switch: 0 means inverted, any other value normal.
    static bool invertFor(float v) noexcept { return v == 0.0f; }
    // Continuous settings (position, distance, volume, pan, blend) are used as
    // they are within 0..1. A host may send anything, so values outside are
    // held at the nearest end and NaN counts as 0: the blends then never
    // extrapolate the stored responses into huge gains or NaN.
    static float unitFor(float v) noexcept { return v > 0.0f ? (v < 1.0f ? v : 1.0f) : 0.0f; }

private:
    // Ceiling of a float as an integer. NaN and values far outside any
    // parameter range give 0, which makes the selection code invalid (and
    // thus the default one) instead of an undefined conversion.
    static int ceilingOf(float x) noexcept
    {
        const float c = std::ceil(x);
        return (c >= -1000.0f && c <= 1000.0f) ? int(c) : 0;
    }
};
