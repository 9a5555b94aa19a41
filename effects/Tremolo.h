#pragma once

#include "dsp/CommonBase.h"
#include "dsp/Relaxed.h"

#include <cstdint>

// Amplitude modulator between the amplifier and the spring reverb. The gain
// is depth * sin^2(2 pi f t) + (1 - depth): it swings between 1 - depth and 1
// twice per LFO cycle. The speed is free (0.0625 to 10 Hz) or locked to the
// host tempo in the note values of kNoteValues.
//
// Threads: setSampleRate() and reset() while processing is stopped. The
// parameter setters run on a parameter thread (one writer at a time). The
// tempo poll calls setTempo() and setSpeed() on the audio thread between
// samples, possibly while a parameter thread calls setSpeed(); both sides
// compute a complete LFO timing and publish it in one atomic store, so
// process() never sees a frequency from one computation and a period from
// another. process() runs on the audio thread.
class Tremolo final : public CommonBase {
public:
    // Free speed: f = kFreeSpan * v, but never below kSlowestFree.
    static constexpr float kFreeSpan = 10.0f;       // Hz at v = 1
    static constexpr float kSlowestSpeed = 0.00625f; // values below it run at kSlowestFree
    static constexpr float kSlowestFree = 0.0625f;  // Hz
    // Longest LFO period the counter can hold (about 13.5 h at 44.1 kHz).
    static constexpr std::int32_t kMaxPeriod = INT32_MAX - 1;

    // The LFO timing: published as one unit (8 bytes, one lock-free store).
    // The frequency is always a single-precision value (free: a float product;
    // synced: a float division), so a float holds it exactly.
    struct Timing {
        float frequency = 0.0f;  // Hz, f
        std::int32_t period = 0; // samples, P; one cycle is P + 1 samples
    };

    // Stores r in sampleRate and in the double `rate`; the owner calls
    // setSpeed afterwards.
    void setSampleRate(float r) override;
    void process(SampleFrame* frame) override;

    // "Tremolo Speed" value 0..1: stores it and recomputes the LFO timing.
    void setSpeed(float v) noexcept;
    // Host tempo in BPM. A tempo that is not a positive finite number is
    // ignored. Only stores: the caller re-applies the speed afterwards.
    void setTempo(double bpm) noexcept;
    // "Tremolo Sync" engaged: stores it and re-applies the last speed.
    void setSync(bool on) noexcept;
    // "FX On / Off" engaged (also switches the spring reverb).
    void setFxEnabled(bool on) noexcept;
    // "Tremolo Depth" value 0..1; 0 makes the block inactive.
    void setDepth(float v) noexcept;

    float lastSpeed() const noexcept { return speed_; }
    double tempo() const noexcept { return tempo_; }
    Timing timing() const noexcept { return timing_; }
    bool isActive() const noexcept { return active_; }
    std::int32_t phase() const noexcept { return phase_; }

private:
    void updateActive() noexcept { active_ = fxEnabled_.load() && depthNonZero_.load(); }

    double rate_ = 44100.0;             // the block's rate as a double; set while stopped
    Relaxed<bool> fxEnabled_{false};    // "FX On / Off" engaged; parameter thread
    Relaxed<bool> depthNonZero_{false}; // "Tremolo Depth" is not 0; parameter thread
    Relaxed<bool> active_{false};       // both of the above; read per sample
    Relaxed<double> tempo_{120.0};      // host tempo, BPM, always positive and finite
    Relaxed<bool> sync_{false};         // locked to the tempo
    Relaxed<Timing> timing_{};          // LFO frequency and period, written by either side of setSpeed
    Relaxed<float> speed_{0.0f};        // last "Tremolo Speed" given to setSpeed
    Relaxed<double> depth_{0.0};        // 0..1
    std::int32_t phase_ = 0;            // LFO sample counter, 0..period; audio thread only
};
