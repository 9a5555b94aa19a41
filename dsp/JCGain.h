#pragma once

#include "dsp/Relaxed.h"
#include "dsp/SZCrossfade.h"

// The JC channels' gain network: a 50 kOhm rheostat, (1 - gain) of it in
// circuit. The s^3 terms of numerator and denominator are equal for every
// position, so the gain tends to 1 at high frequencies and the knob shapes
// the lower band only.
//
// Threads: the knob positions are written by the parameter thread;
// updateCoefficients() runs on the writer side (parameter thread, or while
// stopped) and hands the new set to the audio thread through the crossfade.
class JCGain final : public SZBase3 {
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
