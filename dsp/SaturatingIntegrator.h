#pragma once

#include "dsp/DenormalFlush.h"
#include "dsp/FastMaths.h"

#include <cmath>

// A one-pole low-pass whose input and fed-back state pass through hyperbolic
// tangents, so that a large signal drives it at a limited slew rate instead
// of being clipped in level. For small signals it is a low-pass at its corner
// with gain 95.5*k (k being the input scale of the use).
//
// Threads: audio thread only. Its owner computes `alpha` for the rate on the
// writer side and restarts the stage with it from the audio thread
// (restart()), together with its other rate-dependent constants.
class SaturatingIntegrator {
public:
    static constexpr double kInputDrive = 100.005;                // K1
    static constexpr double kStateScale = 0.000100005;            // K2
    static constexpr double kStateScaleInverse = 9999.50002499875; // 1/K2
    static constexpr double kOutputScale = 9.55e-5;               // K3

    explicit SaturatingIntegrator(double cornerHz) noexcept : corner(cornerHz) {}

    // The integration step for this stage's corner at `rate` Hz:
    // (1 - exp(-2*pi*fc/rate))/K2.
    double alphaFor(float rate) const noexcept;

    // New constants; the state starts again from rest.
    void restart(double newAlpha) noexcept
    {
        alpha = newAlpha;
        acc = 0.0;
        accTanh = 0.0;
    }

    // One sample with input scale k.
    double process(double x, double k) noexcept
    {
        const double u = fastTanh(k * x * kInputDrive);
        // With a silent input the state decays geometrically; the guard ends
        // it at 0 instead of letting it sink into denormals, where it would
        // stop decaying (the step rounds away) and stay for good.
        acc = flushDenormal(acc + alpha * (u - accTanh));
        accTanh = tanhOfState(acc);
        return kOutputScale * acc;
    }

    const double corner;  // corner frequency fc of the small-signal low-pass, Hz
    double alpha = 0.0;   // (1 - exp(-2*pi*fc/rate)) / K2; audio thread
    double acc = 0.0;     // integrator state; audio thread
    double accTanh = 0.0; // tanh(acc*K2) as of the previous sample; audio thread

private:
    // tanh(acc*K2) through one exponential, accurate down to the smallest states.
    static double tanhOfState(double state) noexcept;
};
