#pragma once

#include "dsp/Relaxed.h"
#include "dsp/SZCrossfade.h"

// Tone stack, presence and master of both JC channels as one fourth-order
// network. Pots: low 250 kOhm (linear) rheostat, mid 10 kOhm rheostat, high
// 250 kOhm divider, presence 1 MOhm rheostat ((1 - presence) in circuit),
// master 1 MOhm divider plus 100 kOhm. Every numerator term carries the
// master position, so master 0 is silence.
//
// Threads: the knob positions are written by the parameter thread;
// updateCoefficients() runs on the writer side (parameter thread, or while
// stopped) and hands the new set to the audio thread through the crossfade.
class JCTSPresenceMaster final : public SZBase4 {
public:
    static constexpr int kOrder = 4;

    // The analog denominator and numerator (N+1 coefficients each, ascending
    // powers of s) at the stored knob positions.
    void analogCoefficients(double* den, double* num) const noexcept;
    // Recomputes the transfer function from the knobs and installs it with a
    // fresh crossfade.
    void updateCoefficients() noexcept;

    Relaxed<float> low{0.5f};      // "Amp Low" knob position 0..1 (written by the parameter thread)
    Relaxed<float> mid{0.5f};      // "Amp Mid" knob position 0..1 (written by the parameter thread)
    Relaxed<float> high{0.5f};     // "Amp High" knob position 0..1 (written by the parameter thread)
    Relaxed<float> presence{0.5f}; // "Amp Presence" knob position 0..1 (written by the parameter thread)
    Relaxed<float> master{0.5f};   // "Amp Master" knob position 0..1 (written by the parameter thread)
};
