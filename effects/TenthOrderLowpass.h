#pragma once

#include "dsp/CommonBase.h"
#include "dsp/DenormalFlush.h"
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
    // Zeroes the histories only; the coefficients stay.
    void clearHistory() noexcept;
    void process(SampleFrame* frame) override { frame->value = filter(frame->value); }

    // The same filter on a plain value, sharing the histories with process().
    double filter(double in) noexcept
    {
        // The newest value goes in front by moving the start back one place;
        // each value is stored twice, kSpan apart, so x[0..10] and y[0..10]
        // are always contiguous runs, newest first.
        head = head == 0 ? kOrder : head - 1;
        xHistory[head] = xHistory[head + kSpan] = in;
        const double* x = xHistory + head;
        const double* y = yHistory + head;
        double acc = b[5] * x[5];
        for (int k = 0; k < 5; ++k)
            acc += b[k] * (x[k] + x[kOrder - k]);
        for (int k = 1; k <= kOrder; ++k)
            acc += c[k - 1] * y[k];
        // A silent input never leaves the recursion decaying through denormals.
        acc = flushDenormalRaised(acc);
        yHistory[head] = yHistory[head + kSpan] = acc;
        return acc;
    }

    // The state and coefficients, for code that runs filters side by side
    // and hands the state back: the inputs x[0..10] and outputs y[0..10],
    // newest first; the numerator b0..b5 and feedback c1..c10.
    void exportState(double* x, double* y) const noexcept;
    void importState(const double* x, const double* y) noexcept;
    const double* numerator() const noexcept { return b; }
    const double* feedbackCoefficients() const noexcept { return c; }

protected:
    TenthOrderLowpass();
    void install(const TenthOrderCoefficients& set) noexcept;

private:
    static constexpr int kSpan = kOrder + 1; // values in each history

    // The current input followed by the previous ten is xHistory[head ..
    // head + 10] (likewise the outputs in yHistory); every value is stored
    // at i and i + kSpan.
    double xHistory[2 * kSpan]{};
    double yHistory[2 * kSpan]{};
    int head = 0;           // 0..kOrder
    double b[6]{};          // numerator b0..b5 (b_{10-k} = b_k)
    double a0 = 0.0;        // leading denominator coefficient: 1 in every set, kept for the record
    double c[kOrder]{};     // feedback c1..c10, added with their stored sign
};
