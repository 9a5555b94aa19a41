#pragma once

#include "dsp/CommonBase.h"

// The spring's tone-shaping resonator: a two-pole band-pass
//   H(z) = gain (1 - z^-2K) / (1 + a1 z^-K + a2 z^-2K)
// whose unit delays are stretched to K = fs / 2 / cutoff samples, so its
// response repeats K times across the band. Each stretched delay is an
// integer ring lag of D - 1 samples followed by a one-sample allpass for the
// fractional rest. Below K = 1.5 (D = 0) the allpass alone carries the whole
// stretched delay, without a lag.
//
// Threads: setters and reset() while processing is stopped; process() and
// filter() on the audio thread.
class ChirpEq final : public CommonBase {
public:
    static constexpr int kRingSize = 64;
    static constexpr int kRingMask = kRingSize - 1;

    ChirpEq() { recompute(); }

    // Each setter stores its value and recomputes the coefficients.
    void setSampleRate(float rate) override;
    void setCutoff(float hz);    // also sets the stretch K from the current rate
    void setPeak(float hz);      // resonance frequency f0 of the unstretched filter
    void setBandwidth(float hz); // bandwidth B of the unstretched filter
    void recompute();

    // Zeroes the rings, the fractional-delay states and the index.
    void reset() override;
    void process(SampleFrame* frame) override { frame->value = filter(frame->value); }
    double filter(double in) noexcept;

    float cutoff = 5500.0f;                // Hz, sets the stretch
    float peak = 10.0f;                    // Hz, f0
    float bandwidth = 2250.0f;             // Hz, B
    double inRing[kRingSize]{};            // input history
    double delayedInRing[kRingSize]{};     // input delayed by K
    double outRing[kRingSize]{};           // output history
    double delayedOutRing[kRingSize]{};    // output delayed by K
    double s[8]{};                         // fractional-delay allpass states, two per stretched delay
    int ringIndex = 0;                     // write position, kept in 0..kRingMask
    double gain = 0.0;                     // (1 - R^2) / 2
    double fracCoeff = 0.0;                // allpass coefficient of the fractional rest
    double a1 = 0.0;                       // feedback on y delayed by K
    double a2 = 0.0;                       // feedback on y delayed by 2K
    float stretch = 44100.0f * 0.5f / 5500.0f; // K, samples per stretched delay
    int intDelay = 3;                      // D = round(K) - 1, at least 0

private:
    double filterLagged(double in) noexcept; // D >= 1
    double filterShort(double in) noexcept;  // D = 0
};
