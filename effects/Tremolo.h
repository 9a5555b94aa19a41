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
// host tempo has one writer too: setTempo() runs on the audio thread at the
// start of each block (and while processing is stopped). The LFO timing is
// worked out on the audio thread from the speed, sync and tempo it sees, so
// no timing is ever made of one writer's speed and another's tempo.
// process() runs on the audio thread.
class Tremolo final : public CommonBase {
public:
    // Free speed: f = kFreeSpan * v, but never below kSlowestFree.
    static constexpr float kFreeSpan = 10.0f;       // Hz at v = 1
    static constexpr float kSlowestSpeed = 0.00625f; // values below it run at kSlowestFree
    static constexpr float kSlowestFree = 0.0625f;  // Hz
    // Longest LFO period the counter can hold (about 13.5 h at 44.1 kHz).
    static constexpr std::int32_t kMaxPeriod = INT32_MAX - 1;

    // The LFO timing. The frequency is always a single-precision value (free: a float product;
    // synced: a float division), so a float holds it exactly.
    struct Timing {
        float frequency = 0.0f;  // Hz, f
        std::int32_t period = 0; // samples, P; one cycle is P + 1 samples
    };

    // Stores r in sampleRate and in the double `rate`.
    void setSampleRate(float r) override;
    // The LFO back to the start of its cycle, as in a new one; the timing is
    // worked out again at the next sample (processing stopped).
    void reset() override
    {
        phase_ = 0;
        timingStale_ = true;
    }
    void process(SampleFrame* frame) override;
    void processBlock(double* samples, int n) override { processEach(*this, samples, n); }

    // "Tremolo Speed" value 0..1; the timing follows from the next sample on.
    void setSpeed(float v) noexcept { speed_ = v; }
    // Host tempo in BPM (audio thread, block start). A tempo that is not a
    // positive finite number is ignored.
    void setTempo(double bpm) noexcept;
    // "Tremolo Sync" engaged; the timing follows from the next sample on.
    void setSync(bool on) noexcept { sync_ = on; }
    // "FX On / Off" engaged (also switches the spring reverb).
    void setEnabled(bool on) noexcept;
    bool isEnabled() const noexcept { return enabled_; }
    // "Tremolo Depth" value 0..1; 0 makes the block inactive.
    void setDepth(float v) noexcept;

    float lastSpeed() const noexcept { return speed_; }
    double tempo() const noexcept { return tempo_; }
    // The LFO timing for the current speed, sync and tempo.
    Timing timing() const noexcept { return timingFor(speed_, sync_, tempo_); }
    bool isActive() const noexcept { return active_; }
    std::int32_t phase() const noexcept { return phase_; }

private:
    Timing timingFor(float speed, bool sync, double tempo) const noexcept;
    void updateActive() noexcept { active_ = enabled_.load() && depthNonZero_.load(); }

    double rate_ = 44100.0;             // the block's rate as a double; set while stopped
    Relaxed<bool> enabled_{false};    // "FX On / Off" engaged; parameter thread
    Relaxed<bool> depthNonZero_{false}; // "Tremolo Depth" is not 0; parameter thread
    Relaxed<bool> active_{false};       // both of the above; read per sample
    Relaxed<double> tempo_{120.0};      // host tempo, BPM, always positive and finite; audio thread
    Relaxed<bool> sync_{false};         // locked to the tempo; parameter thread
    Relaxed<float> speed_{0.0f};        // last "Tremolo Speed" given to setSpeed; parameter thread
    Relaxed<double> depth_{0.0};        // 0..1
    std::int32_t phase_ = 0;            // LFO sample counter, 0..period; audio thread only
    // Audio thread: the timing in use and the speed and sync it was worked out for.
    Timing timingInUse_{};
    std::uint32_t timingSpeedBits_ = 0; // bits of the speed (NaN compares equal to itself)
    bool timingSync_ = false;
    bool timingStale_ = true;           // rate or tempo changed since
};
