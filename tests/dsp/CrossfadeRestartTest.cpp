// A new coefficient set that arrives after a fade has ended must fade from
// the filter as it was running: the previous filter carries on with the
// current filter's histories exactly. Same for a fade that resumes because
// the fade length grew with the rate.

#include "dsp/SZCrossfade.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <numbers>

namespace {

// Second-order analog low-passes, den = 1 + 2ζτ s + τ² s², num = 1.
struct LowPass {
    double den[3];
    double num[3];
};

LowPass lowPass(double hz, double zeta)
{
    const double tau = 1.0 / (2.0 * std::numbers::pi * hz);
    return {{1.0, 2.0 * zeta * tau, tau * tau}, {1.0, 0.0, 0.0}};
}

double input(int n)
{
    return 0.5 * std::sin(0.013 * n) + 0.3 * std::sin(0.21 * n + 1.0) + (n % 331 == 0 ? 0.8 : 0.0);
}

std::uint64_t bits(double v) { return std::bit_cast<std::uint64_t>(v); }

class CrossfadeRestart : public ::testing::TestWithParam<int> {};

// At the first sample of a fade the blend weight of the new filter is 0, so
// the output is exactly the previous filter's: that of a filter that never
// saw the change.
TEST_P(CrossfadeRestart, NewFadeStartsFromTheRunningFilter)
{
    const int changeAt = GetParam();
    const LowPass a = lowPass(900.0, 0.6);
    const LowPass b = lowPass(3000.0, 0.9);
    SZBase2 changed, unchanged;
    changed.setSampleRate(44100.0f);
    unchanged.setSampleRate(44100.0f);
    changed.setCoefficients(a.den, a.num);
    unchanged.setCoefficients(a.den, a.num);
    for (int n = 0; n < changeAt; ++n)
        ASSERT_EQ(bits(changed.filter(input(n))), bits(unchanged.filter(input(n)))) << n;
    changed.setCoefficients(b.den, b.num);
    const double first = changed.filter(input(changeAt));
    EXPECT_EQ(bits(first), bits(unchanged.filter(input(changeAt))));
    EXPECT_EQ(changed.fadeCount(), 1);
}

// Change times: the sample right after the first fade (1024 samples at
// 44.1 kHz) ends, the one after that, and later ones.
INSTANTIATE_TEST_SUITE_P(ChangeTimes, CrossfadeRestart, ::testing::Values(1025, 1026, 1500, 5000));

// When the fade length grows after a fade has ended (a higher rate), the
// fade resumes between the filter and an exact copy of itself: each output
// is the blend of the settled filter's output with itself.
TEST(CrossfadeRestart, ResumedFadeBlendsTheFilterWithItself)
{
    const LowPass a = lowPass(900.0, 0.6);
    SZBase2 grown, settled;
    grown.setSampleRate(44100.0f);
    settled.setSampleRate(44100.0f);
    grown.setCoefficients(a.den, a.num);
    settled.setCoefficients(a.den, a.num);
    for (int n = 0; n < 1500; ++n)
        ASSERT_EQ(bits(grown.filter(input(n))), bits(settled.filter(input(n))));
    grown.setSampleRate(96000.0f); // fade length 2048: the fade count of 1024 is inside it again
    ASSERT_EQ(grown.fadeLength(), 2048);
    for (int n = 1500; n < 1600; ++n) {
        const double y = settled.filter(input(n));
        const double t = double(grown.fadeCount()) / 2048.0;
        ASSERT_EQ(bits(grown.filter(input(n))), bits((1.0 - t) * y + t * y)) << n;
    }
}

} // namespace
