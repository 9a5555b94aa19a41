#pragma once

#include "dsp/Relaxed.h"
#include "dsp/SZDirect.h"

// The BKVG channels' presence network, first order: a 5 kOhm divider of
// which only 0.9 of the travel is used (q = 0.9 * presence), with 2.2 nF
// across the upper segment and 100 kOhm of feedback resistance. At q = 0 it
// is a flat gain of 21; raising the presence adds a high-frequency shelf.
// It switches without a crossfade and keeps its histories.
//
// Threads: `presence` is written by the parameter thread; updateCoefficients()
// runs on the writer side (parameter thread or stopped) and the new set is
// taken up by the audio thread at its next sample.
class BKVGPresence final : public SZBase1s {
public:
    static constexpr int kOrder = 1;

    // The analog denominator and numerator at the stored presence, formed
    // from q = 0.9*presence and the segments R1 = 5000*q, R2 = 5000*(1 - q)
    // in single precision.
    void analogCoefficients(double* den, double* num) const noexcept;
    // Recomputes from the stored presence (which it leaves unchanged) and
    // installs the result.
    void updateCoefficients() noexcept;

    Relaxed<float> presence{0.5f}; // "Amp Presence" knob position 0..1 (written by the parameter thread)
};
