#pragma once

#include "dsp/Relaxed.h"

// The output clip indicator, watched while the limiter is off: it lights on
// any output sample above 1.0 in magnitude and stays lit for half a second
// after the last one.
//
// Threads: setSampleRate() while processing is stopped (resume); watch() on
// the audio thread; clear() on a parameter thread (engaging the limiter
// clears the light); the editor reads level() on its timer.
class ClipIndicator {
public:
    // Hold length trunc(rate * 0.5) samples; the counter starts expired and
    // the light off.
    void setSampleRate(float rate) noexcept;
    // One output sample's magnitude (stereo: the larger of the two).
    void watch(double magnitude) noexcept
    {
        if (counter_ < hold_) {
            ++counter_;
            if (counter_ == hold_)
                led_ = 0.0f;
        }
        if (magnitude > 1.0) {
            counter_ = 0;
            led_ = 1.0f;
        }
    }
    // Turns the light off at once.
    void clear() noexcept { led_ = 0.0f; }
    // 0.0 or 1.0, as the editor's clip light shows it.
    float level() const noexcept { return led_; }
    int holdLength() const noexcept { return hold_; }

private:
    int hold_ = 22050;        // samples the light stays on after an over
    int counter_ = 22050;     // samples since the last over, up to hold_; audio thread
    Relaxed<float> led_{0.0f}; // the light: written by audio and parameter threads, read by the editor
};
