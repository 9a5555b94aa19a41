#include "dsp/ChebyFilter.h"

#include "dsp/RateBand.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <numbers>

namespace {

constexpr double kCornerHz = 20000.0;

// Band limits (Hz) and the design rate of each band; a rate below limit[i]
// (and not below the previous limit) uses designRate[i].
constexpr float kBandLimits[] = {RateBand::kLimit44k1, RateBand::kLimit48k, RateBand::kLimit88k2, RateBand::kLimit96k,
                                 RateBand::kLimit176k4};
constexpr double kDesignRates[] = {44100.0, 48000.0, 88200.0, 96000.0, 176400.0, 192000.0};

} // namespace

double ChebyFilter::designRateFor(float rate) noexcept
{
    int band = 0;
    for (float limit : kBandLimits) {
        if (RateBand::below(rate, limit))
            break;
        ++band;
    }
    return kDesignRates[band];
}

ChebyFilter::Coefficients ChebyFilter::design(double designRate) noexcept
{
    // Pre-warped corner relative to the bilinear constant K = 2*fd: Wc/K.
    const double t = std::tan(std::numbers::pi * kCornerHz / designRate);
    const double t2 = t * t;

    // Denominator as a polynomial in 1/z, built from the three conjugate pole
    // pairs of the analog Butterworth prototype, each pair a second-order
    // section s^2 + 2*zeta*Wc*s + Wc^2 mapped through s = K(1 - 1/z)/(1 + 1/z).
    double a[kOrder + 1] = {1.0};
    int degree = 0;
    for (int pair = 0; pair < kOrder / 2; ++pair) {
        const double zeta = std::sin(std::numbers::pi * (2 * pair + 1) / (2.0 * kOrder));
        const double d0 = 1.0 + 2.0 * zeta * t + t2;
        const double section[3] = {1.0, 2.0 * (t2 - 1.0) / d0, (1.0 - 2.0 * zeta * t + t2) / d0};
        double product[kOrder + 1] = {};
        for (int i = 0; i <= degree; ++i)
            for (int j = 0; j < 3; ++j)
                product[i + j] += a[i] * section[j];
        degree += 2;
        for (int i = 0; i <= degree; ++i)
            a[i] = product[i];
    }

    // Numerator g*(1 + 1/z)^6 with g chosen for a DC gain of exactly 1:
    // the numerator sums to 64*g at z = 1, the denominator to sum(a).
    double sum = 0.0;
    for (double coefficient : a)
        sum += coefficient;
    const double g = sum / 64.0;
    constexpr double kBinomial[kOrder + 1] = {1, 6, 15, 20, 15, 6, 1};

    Coefficients set{};
    for (int k = 0; k <= kOrder; ++k)
        set.b[k] = g * kBinomial[k];
    for (int k = 0; k < kOrder; ++k)
        set.c[k] = -a[k + 1];
    return set;
}

void ChebyFilter::selectCoefficients() noexcept
{
    coefficients_.draft() = design(designRateFor(sampleRate));
    coefficients_.publish();
}

void ChebyFilter::reset()
{
    std::fill(std::begin(xHistory_), std::end(xHistory_), 0.0);
    std::fill(std::begin(yHistory_), std::end(yHistory_), 0.0);
    head_ = 0;
}
