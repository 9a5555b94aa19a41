#pragma once

#include "dsp/FastMaths.h"
#include "dsp/OnePole.h"

#include <cmath>

// An asymmetric exponential stage modelling a tube: for an input u (already
// scaled by its owner) and bias b,
//   v = (u - b)/(1 - exp(-(u - b))) + offset,   y = 1 - exp(-v),
// with offset = b/(1 - exp(b)) so that u = 0 gives exactly y = 0. y rises
// monotonically with u, tends to 1 for large positive u and to
// 1 - exp(-offset) for large negative u. The stage keeps a low-passed copy of
// its output, which its owner subtracts at the input on the next sample.
//
// The quotient w/(1 - exp(-w)) is evaluated as -w/expm1(-w): the plain form
// divides by a difference that rounds to 0 when u lies within about 1e-16 of
// the bias; the expm1 form stays accurate there and tends to the limit 1
// that u = b exactly takes. The offset is evaluated the same way so that
// u = 0 still maps to exactly 0.
//
// Threads: audio thread only. The owner computes the feedback low-pass for a
// new rate on the writer side and restarts the stage with it from the audio
// thread (restart()). The bias and offset are constants of the use.
class TubeStage {
public:
    explicit TubeStage(double stageBias) noexcept : bias(stageBias), offset(offsetFor(stageBias)) {}

    // The offset for bias b: b/(1 - exp(b)).
    static double offsetFor(double b) noexcept { return -(b / std::expm1(b)); }

    // The stage's transfer curve for bias b, without the feedback.
    static double shape(double u, double b, double offset) noexcept
    {
        double v;
        if (u == b) {
            v = 1.0 + offset;
        } else {
            const double w = u - b;
            v = -w / fastExpm1(-w) + offset;
        }
        return 1.0 - std::exp(-v);
    }

    // New feedback low-pass for a new rate; the feedback starts again from
    // rest, the low-pass keeps its history.
    void restart(const OnePole::Coefficients& feedbackLowpass) noexcept
    {
        feedbackFilter.setCoefficients(feedbackLowpass);
        feedback = 0.0;
    }

    // One sample: returns the stage output and updates the feedback.
    double process(double u) noexcept
    {
        const double y = shape(u, bias, offset);
        feedback = feedbackFilter.filter(y);
        return y;
    }

    const double bias;      // the stage's bias b
    const double offset;    // b/(1 - exp(b)), so that u = 0 gives y = 0
    double feedback = 0.0;  // audio thread: low-passed output of the previous sample
    OnePole feedbackFilter; // audio thread: the low-pass that forms `feedback`
};
