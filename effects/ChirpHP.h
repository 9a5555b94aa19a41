#pragma once

#include "dsp/CommonBase.h"
#include "dsp/DenormalFlush.h"

// First-order high-pass at the dispersion line's input (40 Hz, bilinear
// transform): keeps DC and subsonic energy out of the feedback loop.
//
// Threads: setSampleRate()/reset() while processing is stopped; process()
// and filter() on the audio thread.
class ChirpHP final : public CommonBase {
public:
    static constexpr float kDefaultCutoff = 40.0f; // Hz

    ChirpHP() { setSampleRate(sampleRate); }

    // Stores the rate and computes the coefficients for `cutoff`.
    void setSampleRate(float rate) override;
    // Clears the histories; the coefficients stay.
    void reset() override;
    void process(SampleFrame* frame) override { frame->value = filter(frame->value); }

    double filter(double in) noexcept
    {
        const double out = b0 * in - b1 * x1 + p * y1;
        x1 = in;
        y1 = flushDenormal(out);
        return y1;
    }

    float cutoff = kDefaultCutoff; // Hz, corner frequency
    double b0 = 0.0;               // input coefficient, (1 + p) / 2
    double b1 = 0.0;               // previous-input coefficient, equal to b0
    double p = 0.0;                // pole, tan(pi/4 - pi * cutoff / fs)
    double x1 = 0.0;               // previous input
    double y1 = 0.0;               // previous output
};
