#include "dsp/ChebyFilter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <numbers>

namespace {

// Magnitude of the filter's response at frequency f for sample rate fs.
double magnitudeAt(const ChebyFilter::Coefficients& set, double f, double fs)
{
    const std::complex<double> zInv = std::polar(1.0, -2.0 * std::numbers::pi * f / fs);
    std::complex<double> num = 0.0, den = 1.0, power = 1.0;
    for (int k = 0; k <= ChebyFilter::kOrder; ++k) {
        num += set.b[k] * power;
        if (k > 0)
            den -= set.c[k - 1] * power;
        power *= zInv;
    }
    return std::abs(num / den);
}

void prepare(ChebyFilter& filter, float rate)
{
    filter.setSampleRate(rate);
    filter.selectCoefficients();
}

TEST(ChebyFilter, RateBandsSwitchAtTheirLowerLimit)
{
    const struct {
        float rate;
        double designRate;
    } cases[] = {
        {22050.0f, 44100.0},  {44100.0f, 44100.0},  {45999.0f, 44100.0},  {46000.0f, 48000.0},
        {48000.0f, 48000.0},  {67999.0f, 48000.0},  {68000.0f, 88200.0},  {88200.0f, 88200.0},
        {91999.0f, 88200.0},  {92000.0f, 96000.0},  {135999.0f, 96000.0}, {136000.0f, 176400.0},
        {176400.0f, 176400.0}, {184199.0f, 176400.0}, {184200.0f, 192000.0}, {384000.0f, 192000.0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ChebyFilter::designRateFor(c.rate), c.designRate) << "rate " << c.rate;
}

TEST(ChebyFilter, DesignMatchesReferenceSetAt88200)
{
    const ChebyFilter::Coefficients set = ChebyFilter::design(88200.0);
    const double b0 = 0.01867986589;
    const double binomial[] = {1, 6, 15, 20, 15, 6, 1};
    for (int k = 0; k <= 6; ++k)
        EXPECT_NEAR(set.b[k], binomial[k] * b0, 1e-9 * binomial[k]) << "b" << k;
    const double denominator[] = {-0.5517678169, 0.8913623306, -0.2718708631, 0.1442227083, -0.01880945285,
                                  0.002374510733};
    for (int k = 0; k < 6; ++k)
        EXPECT_NEAR(set.c[k], -denominator[k], 1e-9) << "c" << k + 1;
}

TEST(ChebyFilter, DesignMatchesReferenceValuesAt44100)
{
    const ChebyFilter::Coefficients set = ChebyFilter::design(44100.0);
    EXPECT_NEAR(set.b[0], 0.5673344341, 1e-9);
    EXPECT_NEAR(set.c[0], -4.87227599, 1e-8);
}

TEST(ChebyFilter, EveryDesignHasUnityDcGainAndItsCornerAt20kHz)
{
    for (double fd : {44100.0, 48000.0, 88200.0, 96000.0, 176400.0, 192000.0}) {
        const ChebyFilter::Coefficients set = ChebyFilter::design(fd);
        EXPECT_NEAR(magnitudeAt(set, 0.0, fd), 1.0, 1e-9) << fd;
        EXPECT_NEAR(magnitudeAt(set, 20000.0, fd), std::sqrt(0.5), 1e-7) << fd;
        // Butterworth: monotonic, so well above the corner the gain is small.
        if (fd > 60000.0) {
            EXPECT_LT(magnitudeAt(set, 40000.0, fd), 0.02) << fd;
        }
    }
}

TEST(ChebyFilter, OutputsSilenceUntilCoefficientsAreSelected)
{
    ChebyFilter filter;
    filter.setSampleRate(88200.0f);
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(filter.filterValue(1.0), 0.0);
}

TEST(ChebyFilter, ProcessRunsTheDesignedRecursion)
{
    ChebyFilter filter;
    prepare(filter, 88200.0f);
    const ChebyFilter::Coefficients set = ChebyFilter::design(88200.0);

    // Impulse response against a straightforward evaluation of the recursion.
    double x[7] = {}, y[7] = {};
    for (int n = 0; n < 64; ++n) {
        for (int k = 6; k > 0; --k) {
            x[k] = x[k - 1];
            y[k] = y[k - 1];
        }
        x[0] = n == 0 ? 1.0 : 0.0;
        double expected = 0.0;
        for (int k = 0; k <= 6; ++k)
            expected += set.b[k] * x[k];
        for (int k = 1; k <= 6; ++k)
            expected += set.c[k - 1] * y[k];
        y[0] = expected;
        SampleFrame frame{x[0]};
        filter.process(&frame);
        EXPECT_NEAR(frame.value, expected, 1e-15) << n;
    }
}

TEST(ChebyFilter, StepSettlesToUnityAndSilenceDecaysToExactZero)
{
    for (float rate : {44100.0f, 96000.0f, 192000.0f}) {
        ChebyFilter filter;
        prepare(filter, rate);
        double y = 0.0;
        for (int n = 0; n < 4000; ++n)
            y = filter.filterValue(1.0);
        EXPECT_NEAR(y, 1.0, 1e-12) << rate;
        // The 1e-20 guard rounds the decaying tail onto a grid of about
        // 1.5e-36: it ends at 0 or in a limit cycle of a few grid steps, and
        // never passes through denormal numbers.
        bool subnormalSeen = false;
        for (int n = 0; n < 20000; ++n) {
            y = filter.filterValue(0.0);
            subnormalSeen = subnormalSeen || std::fpclassify(y) == FP_SUBNORMAL;
        }
        EXPECT_FALSE(subnormalSeen) << rate;
        EXPECT_LT(std::abs(y), 1e-34) << rate;
    }
}

TEST(ChebyFilter, NewSelectionTakesEffectAtOnceAndKeepsTheHistories)
{
    // A filter that has run at one rate and is re-selected at another on the
    // same thread continues from its histories with the new coefficients.
    ChebyFilter filter;
    prepare(filter, 44100.0f);
    double inputs[8], outputs[8];
    for (int n = 0; n < 8; ++n) {
        inputs[n] = std::sin(0.3 * n);
        outputs[n] = filter.filterValue(inputs[n]);
    }
    prepare(filter, 96000.0f);
    const double next = filter.filterValue(0.5);

    const ChebyFilter::Coefficients set = ChebyFilter::design(96000.0);
    double expected = set.b[0] * 0.5;
    for (int k = 1; k <= 6; ++k)
        expected += set.b[k] * inputs[8 - k] + set.c[k - 1] * outputs[8 - k];
    EXPECT_NEAR(next, expected, 1e-14);
}

TEST(ChebyFilter, ResetClearsHistoriesButKeepsTheSelection)
{
    ChebyFilter filter;
    prepare(filter, 48000.0f);
    for (int n = 0; n < 50; ++n)
        filter.filterValue(1.0);
    filter.reset();
    ChebyFilter fresh;
    prepare(fresh, 48000.0f);
    for (int n = 0; n < 20; ++n)
        EXPECT_EQ(filter.filterValue(n == 0 ? 1.0 : 0.0), fresh.filterValue(n == 0 ? 1.0 : 0.0));
}

} // namespace
