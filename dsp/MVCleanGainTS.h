#pragma once

#include "dsp/Relaxed.h"
#include "dsp/SZCrossfade.h"

// The MV clean channel's gain control and tone stack as one sixth-order
// network. Pots: gain 1 MOhm divider; high 250 kOhm divider; mid 25 kOhm
// rheostat; low 250 kOhm rheostat with a cube law (low 0.5 acts as one
// eighth of the pot). Every numerator term carries the gain position, so
// gain 0 is silence.
//
// Threads: the knob positions are written by the parameter thread;
// updateCoefficients() runs on the writer side (parameter thread, or while
// stopped) and hands the new set to the audio thread through the crossfade.
class MVCleanGainTS final : public SZBase6 {
public:
    static constexpr int kOrder = 6;

    // The analog denominator and numerator (N+1 coefficients each, ascending
    // powers of s) at the stored knob positions.
    void analogCoefficients(double* den, double* num) const noexcept;
    // Recomputes the transfer function from the knobs and installs it with a
    // fresh crossfade.
    void updateCoefficients() noexcept;

    Relaxed<float> gain{0.5f};     // "Amp Gain" knob position 0..1 (written by the parameter thread)
    Relaxed<float> low{0.5f};      // "Amp Low" knob position 0..1 (written by the parameter thread)
    Relaxed<float> mid{0.5f};      // "Amp Mid" knob position 0..1 (written by the parameter thread)
    Relaxed<float> high{0.5f};     // "Amp High" knob position 0..1 (written by the parameter thread)
};
