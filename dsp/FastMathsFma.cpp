// The FMA versions of fastExpm1() and fastTanh(), compiled with -mfma when the
// compiler offers it; FastMaths.cpp calls them only on processors that have
// FMA.
#include "dsp/FastMathsKernels.h"

#if defined(__FMA__)

#include <cmath>
#include <cstdint>
#include <cstring>

namespace {

// expm1(r) for |r| <= ln(2)/2: r + r^2 (1/2! + r/3! + ... + r^10/12!), the
// Taylor series to the twelfth power (remainder below 7e-15 of r^2/2),
// evaluated in Estrin's form so that the terms are formed side by side.
inline double expm1Reduced(double r) noexcept
{
    constexpr double c2 = 1.0 / 2, c3 = 1.0 / 6, c4 = 1.0 / 24, c5 = 1.0 / 120, c6 = 1.0 / 720,
                     c7 = 1.0 / 5040, c8 = 1.0 / 40320, c9 = 1.0 / 362880, c10 = 1.0 / 3628800,
                     c11 = 1.0 / 39916800, c12 = 1.0 / 479001600;
    const double r2 = r * r, r4 = r2 * r2, r8 = r4 * r4;
    const double p23 = c2 + c3 * r, p45 = c4 + c5 * r, p67 = c6 + c7 * r, p89 = c8 + c9 * r;
    const double p1011 = c10 + c11 * r;
    const double p25 = p23 + p45 * r2, p69 = p67 + p89 * r2, p1012 = p1011 + c12 * r2;
    const double q = (p25 + p69 * r4) + p1012 * r8;
    return r + r2 * q;
}

double fmaExpm1(double x) noexcept
{
    // Below 2^-54 in magnitude expm1(x) rounds to x, which the polynomial
    // would give too, but only after forming r^8, which underflows for the
    // tiny states at the end of a decaying tail. Keeps the sign of zero.
    if (std::fabs(x) < 0x1p-54)
        return x;
    if (x != x)
        return x; // NaN stays NaN
    if (!(x > -40.0))
        return -1.0; // exp(x) is below half an ulp of 1
    if (x > 709.0)
        return std::expm1(x); // near overflow
    // x = k ln 2 + r, |r| <= ln(2)/2, with ln 2 in two parts so that r is
    // exact; expm1(x) = 2^k (expm1(r) + 1) - 1.
    constexpr double kLog2e = 1.4426950408889634;
    constexpr double kLn2High = 6.93147180369123816490e-01; // ln 2 with its last 32 bits zero
    constexpr double kLn2Low = 1.90821492927058770002e-10;
    constexpr double kRound = 6755399441055744.0;            // 1.5 * 2^52: adding it rounds to an integer
    const double k = (x * kLog2e + kRound) - kRound;
    const double r = (x - k * kLn2High) - k * kLn2Low;
    const double q = expm1Reduced(r);
    if (k == 0.0)
        return q;
    const std::uint64_t bits = std::uint64_t(static_cast<std::int64_t>(k) + 1023) << 52;
    double scale;
    std::memcpy(&scale, &bits, sizeof scale);
    return scale * q + (scale - 1.0);
}

double fmaTanh(double x) noexcept
{
    // tanh(x) = -t / (t + 2) with t = expm1(-2|x|), the sign of x restored.
    const double a = std::fabs(x);
    if (!(a < 22.0))
        return x != x ? x : std::copysign(1.0, x); // 1 - tanh(22) is below half an ulp of 1
    const double t = fmaExpm1(-2.0 * a);
    return std::copysign(-t / (t + 2.0), x);
}

} // namespace

const MathsFunction kFmaExpm1 = fmaExpm1;
const MathsFunction kFmaTanh = fmaTanh;

#else

const MathsFunction kFmaExpm1 = nullptr;
const MathsFunction kFmaTanh = nullptr;

#endif
