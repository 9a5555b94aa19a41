#pragma once

#include "dsp/Relaxed.h"
#include "dsp/SZCrossfade.h"

// Presence and master of both MV channels: a 150 kOhm presence divider and a
// 250 kOhm master divider. Master 0 is silence.
//
// Threads: the knob positions are written by the parameter thread;
// updateCoefficients() runs on the writer side (parameter thread, or while
// stopped) and hands the new set to the audio thread through the crossfade.
class MVMasterPresence final : public SZBase2 {
public:
    static constexpr int kOrder = 2;

    // The analog denominator and numerator (N+1 coefficients each, ascending
    // powers of s) at the stored knob positions.
    void analogCoefficients(double* den, double* num) const noexcept;
    // Recomputes the transfer function from the knobs and installs it with a
    // fresh crossfade.
    void updateCoefficients() noexcept;

    Relaxed<float> presence{0.5f}; // "Amp Presence" knob position 0..1 (written by the parameter thread)
    Relaxed<float> master{0.5f};   // "Amp Master" knob position 0..1 (written by the parameter thread)
};
