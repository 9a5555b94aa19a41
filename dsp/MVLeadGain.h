#pragma once

#include "dsp/Relaxed.h"
#include "dsp/SZCrossfade.h"

// The MV lead channel's gain network: a 1 MOhm divider whose total
// resistance stays the same, so the gain position scales the numerator
// only and the poles do not move.
//
// Threads: the knob positions are written by the parameter thread;
// updateCoefficients() runs on the writer side (parameter thread, or while
// stopped) and hands the new set to the audio thread through the crossfade.
class MVLeadGain final : public SZBase3 {
public:
    static constexpr int kOrder = 3;

    // The analog denominator and numerator (N+1 coefficients each, ascending
    // powers of s) at the stored knob positions.
    void analogCoefficients(double* den, double* num) const noexcept;
    // Recomputes the transfer function from the knobs and installs it with a
    // fresh crossfade.
    void updateCoefficients() noexcept;

    Relaxed<float> gain{0.5f};     // "Amp Gain" knob position 0..1 (written by the parameter thread)
};
