#include "dsp/SaturatingIntegrator.h"

#include "dsp/FastMaths.h"

#include <numbers>

double SaturatingIntegrator::alphaFor(float rate) const noexcept
{
    return (1.0 - std::exp(-2.0 * std::numbers::pi * corner / double(rate))) * kStateScaleInverse;
}

double SaturatingIntegrator::tanhOfState(double state) noexcept
{
    // tanh(z) = 1 - 2/(exp(2z) + 1) = e/(e + 2) with e = exp(2z) - 1. Taking e
    // from expm1 keeps the small-signal values exact: with exp(2z) itself,
    // tanh of a state below about 1e-16 rounds to 0 or to steps of 1e-16,
    // the integrator then never comes to rest and hums at that level after
    // the input has gone silent.
    const double e = fastExpm1(2.0 * state * kStateScale);
    return e / (e + 2.0);
}
