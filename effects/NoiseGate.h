#pragma once

#include "dsp/CommonBase.h"
#include "dsp/Relaxed.h"

// Noise gate on the instantaneous magnitude of each sample, with no envelope
// follower and no hysteresis. While |x| is above the threshold the gain
// opens towards 1 (the gap 1 - gain shrinks 20 dB every attack time); while
// it is not, the gain closes towards 0 (20 dB every decay time).
//
// The gate's own rate stays at 44100 Hz whatever the host runs at (the owner
// never calls setSampleRate), so its times scale with 44100 / host rate.
//
// Threads: the setters run on a parameter thread (one writer at a time) and
// publish single Relaxed values; process() runs on the audio thread and owns
// `gain`.
class NoiseGate final : public CommonBase {
public:
    // "Gate On/Off" engaged.
    void setEnabled(bool on) noexcept { enabled_ = on; }
    // "Gate Threshold" v: threshold v^3 (linear, on the frame's scale).
    void setThreshold(float v) noexcept;
    // "Gate Attack" v: 20 dB of opening in 1..100 ms.
    void setAttack(float v) noexcept;
    // "Gate Decay" v: 20 dB of closing in 1..1000 ms.
    void setDecay(float v) noexcept;

    // Closes the gate as in a new one (processing stopped).
    void reset() override { gain_ = 0.0; }
    void process(SampleFrame* frame) override;
    void processBlock(double* samples, int n) override { processEach(*this, samples, n); }

    bool isEnabled() const noexcept { return enabled_; }
    double threshold() const noexcept { return threshold_; }
    double attackCoeff() const noexcept { return attackCoeff_; }
    double decayCoeff() const noexcept { return decayCoeff_; }
    double gain() const noexcept { return gain_; }

private:
    // 1 / 10^(1/N) for a time of N samples, in single precision: the factor
    // that makes a quantity fall 20 dB in N samples.
    float twentyDbCoefficient(float milliseconds) const noexcept;

    Relaxed<bool> enabled_{false};    // gate engaged
    Relaxed<double> threshold_{0.0};  // linear amplitude; |x| above it opens the gate
    Relaxed<double> attackCoeff_{0.0}; // per-sample factor on the gap 1 - gain while open
    Relaxed<double> decayCoeff_{0.0};  // per-sample factor on the gain while closed
    double gain_ = 0.0;               // gain applied to the last sample; audio thread only
};
