#pragma once

#include "dsp/CommonBase.h"
#include "dsp/RateBand.h"
#include "dsp/Relaxed.h"

// Brick-wall peak limiter with a ceiling of 1.0 and a look-ahead of about
// half a millisecond. The signal is delayed by N - 1 samples (N the window);
// the gain is 1 / the moving average over N samples of a sliding N-sample
// peak hold, at most 1. Every peak-hold value in the average covers the
// delayed sample, so the average is never below its magnitude; the gain
// ramps down over N samples ahead of a peak and recovers over N after it.
// The mono form runs through process(); the stereo form applies one gain,
// from the larger channel, to both channels.
//
// Threads: reset() and setSampleRate() while processing is stopped (resume
// calls reset() then setSampleRate()); setEnabled() runs on a parameter
// thread; process() and processStereo() on the audio thread.
class Limiter final : public CommonBase {
public:
    static constexpr int kRingSize = 64; // ring length, a power of two above the largest window
    static constexpr int kRingMask = kRingSize - 1;
    static constexpr int kStaleAge = 127; // a hold age beyond every window: forces a rescan
    static constexpr double kCeiling = 1.0;

    // The window N by rate band: about 0.5 ms at 44.1, 48, 88.2 and 96 kHz.
    static constexpr int windowFor(float rate) noexcept
    {
        if (RateBand::below(rate, RateBand::kLimit44k1))
            return 22;
        if (RateBand::below(rate, RateBand::kLimit48k))
            return 24;
        if (RateBand::below(rate, RateBand::kLimit88k2))
            return 44;
        return 48;
    }

    void setSampleRate(float rate) override;
    // Forces a rescan and zeroes the rings; the write position stays.
    void reset() override;
    // Mono form; does nothing unless enabled.
    void process(SampleFrame* frame) override;
    // Stereo-linked form on two samples in place; does not test the switch.
    void processStereo(double& left, double& right) noexcept;

    int window() const noexcept { return window_; }

    // "Limiter On/Off". Parameter thread.
    void setEnabled(bool on) noexcept { enabled_ = on; }
    bool isEnabled() const noexcept { return enabled_; }

private:
    Relaxed<bool> enabled_{false}; // "Limiter On/Off" engaged; parameter thread

    // Enters one sample's detection magnitude at ring slot i and returns the
    // gain for the sample N - 1 slots back.
    double gainAt(int i, double magnitude) noexcept;

    double delayL_[kRingSize]{};    // delayed input, left or mono
    double magnitude_[kRingSize]{}; // detection magnitude per sample
    double peakHold_[kRingSize]{};  // sliding maximum per sample
    double delayR_[kRingSize]{};    // delayed input, right (stereo form)
    int writeIndex_ = 0;            // next ring slot, kept in 0..kRingMask
    int holdAge_ = kStaleAge;       // how far back the held maximum lies
    int window_ = windowFor(44100.0f); // N, samples
};
