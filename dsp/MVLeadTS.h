#pragma once

#include "dsp/Relaxed.h"
#include "dsp/SZCrossfade.h"

// The MV lead channel's tone stack. Pots: low 1 MOhm with a cube law in
// series with the lower part of the mid pot; mid 25 kOhm divider; high
// 250 kOhm divider. The denominator is normalised to den[0] = 1.
//
// Threads: the knob positions are written by the parameter thread;
// updateCoefficients() runs on the writer side (parameter thread, or while
// stopped) and hands the new set to the audio thread through the crossfade.
class MVLeadTS final : public SZBase3 {
public:
    static constexpr int kOrder = 3;

    // The analog denominator and numerator (N+1 coefficients each, ascending
    // powers of s) at the stored knob positions.
    void analogCoefficients(double* den, double* num) const noexcept;
    // Recomputes the transfer function from the knobs and installs it with a
    // fresh crossfade.
    void updateCoefficients() noexcept;

    Relaxed<float> low{0.5f};      // "Amp Low" knob position 0..1 (written by the parameter thread)
    Relaxed<float> mid{0.5f};      // "Amp Mid" knob position 0..1 (written by the parameter thread)
    Relaxed<float> high{0.5f};     // "Amp High" knob position 0..1 (written by the parameter thread)
};
