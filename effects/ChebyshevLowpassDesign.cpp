#include "effects/ChebyshevLowpassDesign.h"

#include <cmath>
#include <complex>
#include <numbers>

namespace {

constexpr int kOrder = 10;
// Lowest passband amplitude of the equiripple band.
constexpr double kPassbandFloor = 0.995;

} // namespace

TenthOrderCoefficients designChebyshevLowpass(double designRate, double cornerHz)
{
    using std::numbers::pi;

    // Ripple factor: the passband swings between 1 and 1/sqrt(1 + eps^2).
    const double eps = std::sqrt(1.0 / (kPassbandFloor * kPassbandFloor) - 1.0);

    // Analog half-power frequency after pre-warping, and the ripple-band edge
    // below it: |H|^2 = 1/2 where eps * T_n(w / wp) = 1.
    const double twoFs = 2.0 * designRate;
    const double halfPower = twoFs * std::tan(pi * cornerHz / designRate);
    const double rippleEdge = halfPower / std::cosh(std::acosh(1.0 / eps) / kOrder);

    // Chebyshev poles lie on an ellipse: Butterworth angles squashed by
    // sinh(mu) along the real axis and cosh(mu) along the imaginary axis.
    const double mu = std::asinh(1.0 / eps) / kOrder;

    // Denominator 1 + a1 z^-1 + ... + a10 z^-10, built from the five
    // conjugate pole pairs mapped by the bilinear transform.
    std::array<double, kOrder + 1> den{};
    den[0] = 1.0;

    for (int k = 0; k < kOrder / 2; ++k) {
        const double angle = pi * (2 * k + 1) / (2.0 * kOrder);
        const std::complex<double> s(-std::sinh(mu) * std::sin(angle) * rippleEdge,
                                     std::cosh(mu) * std::cos(angle) * rippleEdge);
        const std::complex<double> z = (twoFs + s) / (twoFs - s);
        const double q1 = -2.0 * z.real();
        const double q2 = std::norm(z);
        for (int i = kOrder; i >= 2; --i)
            den[i] += q1 * den[i - 1] + q2 * den[i - 2];
        den[1] += q1 * den[0];
    }

    // DC gain 1: the numerator g (1 + z^-1)^10 sums to g * 1024 at z = 1.
    // The denominator at z = 1 is a small difference of large terms; it is
    // summed from the very coefficients the filter will run, with
    // compensation, so that the filter as stored has unit gain at DC.
    double denSum = 0.0;
    double lost = 0.0;
    for (double d : den) {
        const double t = denSum + d;
        lost += std::fabs(denSum) >= std::fabs(d) ? (denSum - t) + d : (d - t) + denSum;
        denSum = t;
    }
    const double gain = (denSum + lost) / 1024.0;

    TenthOrderCoefficients set;
    constexpr std::array<double, 6> binomial{1.0, 10.0, 45.0, 120.0, 210.0, 252.0};
    for (std::size_t k = 0; k < set.b.size(); ++k)
        set.b[k] = gain * binomial[k];
    for (std::size_t k = 0; k < set.c.size(); ++k)
        set.c[k] = -den[k + 1];
    return set;
}

const TenthOrderCoefficients& springLowpassSet(LowpassDesignRate rate)
{
    constexpr double kCornerHz = 5000.0;
    static const std::array<TenthOrderCoefficients, 4> sets{
        designChebyshevLowpass(44100.0, kCornerHz),
        designChebyshevLowpass(48000.0, kCornerHz),
        designChebyshevLowpass(88200.0, kCornerHz),
        designChebyshevLowpass(96000.0, kCornerHz),
    };
    return sets[static_cast<std::size_t>(rate)];
}
