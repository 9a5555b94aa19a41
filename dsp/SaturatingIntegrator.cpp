#include "dsp/SaturatingIntegrator.h"

#include <numbers>

double SaturatingIntegrator::alphaFor(float rate) const noexcept
{
    return (1.0 - std::exp(-2.0 * std::numbers::pi * corner / double(rate))) * kStateScaleInverse;
}

double SaturatingIntegrator::tanhOfState(double state) noexcept
{
    return 1.0 - 2.0 / (std::exp(2.0 * state * kStateScale) + 1.0);
}
