#pragma once

#include "dsp/CommonBase.h"

#include <cmath>

// A first-order recursive filter, y = b0*x - a1*y1. Its owners use it as a
// low-pass at a corner fc (c = exp(-2*pi*fc/rate), a1 = -c, b0 = 1 - c) and
// form the matching high-pass themselves as x - lowpass(x).
//
// Threads: the coefficients and the history belong to the audio thread. An
// owner that retunes while audio runs computes the coefficients with
// lowpass() on its own thread and hands them over (the amplifier channels
// publish them in their tuning set); setCoefficients() is then called by the
// audio thread. The history carries over a retune.
class OnePole : public CommonBase {
public:
    struct Coefficients {
        double b0 = 0.0; // input coefficient
        double a1 = 0.0; // feedback coefficient, with the sign of a denominator term
    };

    // The low-pass at `cornerHz` for a filter run at `rate` Hz.
    static Coefficients lowpass(double cornerHz, float rate) noexcept;

    void setCoefficients(const Coefficients& coefficients) noexcept
    {
        b0 = coefficients.b0;
        a1 = coefficients.a1;
    }

    // One sample through the filter.
    double filter(double x) noexcept
    {
        const double y = b0 * x - a1 * y1;
        // A decaying tail is cut to exactly 0 once it is far below anything
        // audible (1e-30, -600 dB), instead of running on through denormal
        // numbers, which are slow on most processors (no flush-to-zero mode
        // is relied on). A comparison is used rather than the 1e-20 add and
        // subtract of the higher-order filters: rounding onto that grid
        // would stall this slow pole some hundred steps above zero.
        y1 = std::abs(y) < kDenormalFloor ? 0.0 : y;
        return y1;
    }
    // The matching high-pass, x - lowpass(x), sharing the same history.
    double highpass(double x) noexcept { return x - filter(x); }

    void process(SampleFrame* frame) override { frame->value = filter(frame->value); }

    double b0 = 0.0; // audio thread: input coefficient
    double a1 = 0.0; // audio thread: feedback coefficient (-c for a low-pass)
    double y1 = 0.0; // audio thread: previous output

private:
    static constexpr double kDenormalFloor = 1e-30;
};
