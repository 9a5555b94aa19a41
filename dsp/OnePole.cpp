#include "dsp/OnePole.h"

#include <cmath>
#include <numbers>

OnePole::Coefficients OnePole::lowpass(double cornerHz, float rate) noexcept
{
    const double c = std::exp(-2.0 * std::numbers::pi * cornerHz / double(rate));
    return {1.0 - c, -c};
}
