#pragma once

#include "dsp/CommonBase.h"
#include "dsp/Relaxed.h"
#include "effects/ChirpEq.h"
#include "effects/ChirpLowDS.h"
#include "effects/SpringLowpassFilter.h"
#include "effects/SpringPipeline.h"

// Spring reverberation tank modelled by dispersion: two parallel dispersion
// lines (one per spring) fed from pre-delayed copies of the input, averaged,
// shaped by a stretched resonator and a 5 kHz low-pass, scaled by "Reverb"
// and added to the dry signal, which always passes at unity.
//
// The object is large (two 128 KiB delay rings and a 128 KiB input ring):
// owners embed it by value in a heap-allocated object.
//
// Threads: setSampleRate() and reset() while processing is stopped;
// setEnabled()/setAmount() on a parameter thread (one writer at a time);
// process() on the audio thread.
class Spring final : public CommonBase {
public:
    static constexpr int kRingSize = 16384; // input ring length, a power of two
    static constexpr int kRingMask = kRingSize - 1;

    // The tank's fixed configuration, installed by setSampleRate().
    static constexpr float kCutoff = 5500.0f;           // Hz, sets the lines' and the resonator's stretch
    static constexpr float kStages1 = 50.0f;            // allpass stage pairs, spring 1
    static constexpr float kStages2 = 55.0f;            // allpass stage pairs, spring 2
    static constexpr float kAllpassCoeff = 0.7f;        // allpass coefficient, both springs
    static constexpr float kFeedback = -0.71354f;       // loop feedback, both springs
    static constexpr float kLineDelay1 = 0.06f;         // s, loop plus cascade delay, spring 1
    static constexpr float kLineDelay2 = 0.0677f;       // s, loop plus cascade delay, spring 2
    static constexpr float kEchoPosition = 0.5f;        // echo placement, both springs
    static constexpr float kEchoGainB1 = 0.096875f;     // second echo gain, spring 1
    static constexpr float kEchoGainB2 = 0.090625f;     // second echo gain, spring 2
    static constexpr float kEchoGainA1 = 0.081249f;     // first echo gain, spring 1
    static constexpr float kEchoGainA2 = 0.095833f;     // first echo gain, spring 2
    static constexpr float kInputGain1 = 1.0f;          // input level, spring 1
    static constexpr float kInputGain2 = 0.927083f;     // input level, spring 2
    static constexpr float kPreDelayTime1 = 0.035833f;  // s, input pre-delay, spring 1
    static constexpr float kPreDelayTime2 = 0.042343f;  // s, input pre-delay, spring 2
    static constexpr float kEqPeak = 10.0f;             // Hz, resonator f0
    static constexpr float kEqBandwidth = 2250.0f;      // Hz, resonator bandwidth

    Spring();

    // Gives fs to every part and installs the configuration above. Each line
    // setter clears its delay ring; the allpass and filter states carry on.
    void setSampleRate(float rate) override;
    // Back to the audio state of a new tank: both lines, the input ring, the
    // resonator and the output filter's histories. The settings stay.
    void reset() override;
    void process(SampleFrame* frame) override;
    // `n` samples in place, with exactly the results of n calls of
    // process(); the switch and the level are read once for the block.
    void processBlock(double* samples, int n) noexcept override;

    // "FX On / Off" engaged (also switches the tremolo). Parameter thread.
    void setEnabled(bool on) noexcept;
    bool isEnabled() const noexcept { return enabled_; }
    // "Reverb" value 0..1: the wet level, linear. Parameter thread.
    void setAmount(float value) noexcept;

    bool isActive() const noexcept { return active_; }
    double amount() const noexcept { return amount_; }
    int preDelay1() const noexcept { return preDelay1_; }
    int preDelay2() const noexcept { return preDelay2_; }
    const ChirpLowDS& line1() const noexcept { return line1_; }
    const ChirpLowDS& line2() const noexcept { return line2_; }
    const ChirpEq& equaliser() const noexcept { return eq_; }

private:
    void updateActive() noexcept { active_ = enabled_.load() && amountNonZero_.load(); }

    Relaxed<bool> enabled_{false};     // "FX On / Off" engaged; parameter thread
    Relaxed<bool> amountNonZero_{false}; // "Reverb" is not 0; parameter thread
    Relaxed<bool> active_{false};        // both of the above; read per sample by the audio thread
    Relaxed<double> amount_{0.0};        // wet level 0..1; parameter thread
    int preDelay1_ = 0;                  // samples before spring 1 hears the input
    int preDelay2_ = 0;                  // samples before spring 2 hears the input
    ChirpLowDS line1_;                   // spring 1
    ChirpLowDS line2_;                   // spring 2
    double inputRing_[kRingSize]{};      // dry input history for the pre-delays
    int inputIndex_ = 0;                 // write position, kept in 0..kRingMask
    ChirpEq eq_;                         // stretched resonator on the averaged lines
    SpringLowpassFilter outputFilter_;   // 5 kHz output smoothing
    SpringPipeline pipeline_;            // the block path's workspace; audio thread
};
