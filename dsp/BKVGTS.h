#pragma once

#include "dsp/Relaxed.h"
#include "dsp/SZCrossfade.h"

// The BKVG channels' tone stack: three 47 kOhm linear dividers. It inverts
// the signal and passes DC with a gain of -1000000/den[0] (about -15 with
// the knobs centred).
//
// Threads: the knob positions are written by the parameter thread;
// updateCoefficients() runs on the writer side (parameter thread, or while
// stopped) and hands the new set to the audio thread through the crossfade.
class BKVGTS final : public SZBase6 {
public:
    static constexpr int kOrder = 6;

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
