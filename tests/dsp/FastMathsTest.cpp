// The amplifier stages' expm1/tanh against the C library: the FMA versions
// directly (on processors that have FMA) and whatever fastExpm1()/fastTanh()
// chose.

#include "dsp/FastMaths.h"
#include "dsp/FastMathsKernels.h"
#include "dsp/ProcessorFeatures.h"

#include <gtest/gtest.h>

#include <cfenv>
#include <cmath>
#include <limits>
#include <vector>

namespace {

bool fmaKernelsRun()
{
    return kFmaExpm1 != nullptr && kFmaTanh != nullptr && processorHasFma();
}

// Arguments over the ranges the stages meet and beyond: a sweep, values near
// the reduction's boundaries (multiples of ln(2)/2), and tiny magnitudes.
std::vector<double> arguments()
{
    std::vector<double> xs;
    for (double x = -45.0; x <= 45.0; x += 0.000731)
        xs.push_back(x);
    for (int k = -60; k <= 60; ++k)
        for (double d : {-1e-12, 0.0, 1e-12})
            xs.push_back(k * 0.34657359027997264 + d);
    for (double x = 1e-300; x < 1.0; x *= 1.37) {
        xs.push_back(x);
        xs.push_back(-x);
    }
    return xs;
}

double relativeError(double value, double reference)
{
    if (value == reference)
        return 0.0;
    return std::fabs(value - reference) / std::fabs(reference);
}

void expectCloseToLibrary(double (*expm1)(double) noexcept, double (*tanh)(double) noexcept)
{
    double worstExpm1 = 0.0, worstTanh = 0.0;
    for (const double x : arguments()) {
        worstExpm1 = std::max(worstExpm1, relativeError(expm1(x), std::expm1(x)));
        worstTanh = std::max(worstTanh, relativeError(tanh(x), std::tanh(x)));
    }
    EXPECT_LT(worstExpm1, 4e-15);
    EXPECT_LT(worstTanh, 4e-15);

    // Special values as the library gives them, signs of zero included.
    const double inf = std::numeric_limits<double>::infinity();
    for (const double x : {0.0, -0.0, 5e-324, -5e-324, 1e-20, -1e-20, -40.0, -745.0, -inf, 709.5, inf}) {
        EXPECT_EQ(expm1(x), std::expm1(x)) << x;
        EXPECT_EQ(std::signbit(expm1(x)), std::signbit(std::expm1(x))) << x;
    }
    for (const double x : {0.0, -0.0, 5e-324, 1e-20, -1e-20, 22.0, -22.0, 30.0, -inf, inf}) {
        EXPECT_EQ(tanh(x), std::tanh(x)) << x;
        EXPECT_EQ(std::signbit(tanh(x)), std::signbit(std::tanh(x))) << x;
    }
    EXPECT_TRUE(std::isnan(expm1(std::nan(""))));
    EXPECT_TRUE(std::isnan(tanh(std::nan(""))));
}

// Below 2^-54 in magnitude both functions give their argument back, and
// without raising the underflow flag on the way: the nonlinear stages call
// them with the tiny states at the end of every decaying tail.
void expectTinyArgumentsReturnedWithoutUnderflow(double (*expm1)(double) noexcept, double (*tanh)(double) noexcept)
{
    for (const double x : {0x1p-55, 1e-20, 1e-38, 1.5e-40, 1e-100, 1e-200, 1e-300, 2.3e-308}) {
        for (const double v : {x, -x}) {
            std::feclearexcept(FE_ALL_EXCEPT);
            const double e = expm1(v);
            const bool expm1Underflow = std::fetestexcept(FE_UNDERFLOW) != 0;
            std::feclearexcept(FE_ALL_EXCEPT);
            const double t = tanh(v);
            const bool tanhUnderflow = std::fetestexcept(FE_UNDERFLOW) != 0;
            EXPECT_EQ(e, v);
            EXPECT_EQ(t, v);
            EXPECT_FALSE(expm1Underflow) << v;
            EXPECT_FALSE(tanhUnderflow) << v;
        }
    }
}

TEST(FastMaths, FmaVersionsMatchTheLibrary)
{
    if (!fmaKernelsRun())
        GTEST_SKIP() << "no FMA versions on this build or processor";
    expectCloseToLibrary(kFmaExpm1, kFmaTanh);
}

TEST(FastMaths, ChosenVersionsMatchTheLibrary)
{
    expectCloseToLibrary(fastExpm1, fastTanh);
}

TEST(FastMaths, TinyArgumentsComeBackWithoutUnderflow)
{
    if (fmaKernelsRun())
        expectTinyArgumentsReturnedWithoutUnderflow(kFmaExpm1, kFmaTanh);
    expectTinyArgumentsReturnedWithoutUnderflow(fastExpm1, fastTanh);
}

} // namespace
