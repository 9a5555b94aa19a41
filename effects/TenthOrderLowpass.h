#pragma once

#include "dsp/CommonBase.h"
#include "effects/ChebyshevLowpassDesign.h"

// A tenth-order IIR low-pass in direct form I with a symmetric numerator,
// the shared body of the spring reverb's decimation/interpolation filter and
// its output filter. The subclasses differ only in which stored coefficient
// set their setSampleRate() picks for a rate band.
//
// Construction and reset() clear the coefficients together with the
// histories, so the filter outputs exactly 0 until a rate has been set.
//
// Threads: setSampleRate()/reset() while processing is stopped; process()
// and filter() on the audio thread.
class TenthOrderLowpass : public CommonBase {
public:
    static constexpr int kOrder = 10;

    void reset() override;
    void process(SampleFrame* frame) override { frame->value = filter(frame->value); }

    // The same filter on a plain value, sharing the histories with process().
    double filter(double in) noexcept
    {
        for (int k = kOrder; k > 0; --k) {
            x[k] = x[k - 1];
            y[k] = y[k - 1];
        }
        x[0] = in;
        double acc = b[5] * x[5];
        for (int k = 0; k < 5; ++k)
            acc += b[k] * (x[k] + x[kOrder - k]);
        for (int k = 1; k <= kOrder; ++k)
            acc += c[k - 1] * y[k];
        // Adding and removing 1e-20 turns values far below it into exact 0,
        // so a silent input never leaves the recursion decaying through denormals.
        acc += 1e-20;
        acc -= 1e-20;
        y[0] = acc;
        return acc;
    }

protected:
    TenthOrderLowpass();
    void install(const TenthOrderCoefficients& set) noexcept;

private:
    double x[kOrder + 1]{}; // current input followed by the previous ten
    double y[kOrder + 1]{}; // current output followed by the previous ten
    double b[6]{};          // numerator b0..b5 (b_{10-k} = b_k)
    double a0 = 0.0;        // leading denominator coefficient: 1 in every set, kept for the record
    double c[kOrder]{};     // feedback c1..c10, added with their stored sign
};
