#include "dsp/OnePole.h"
#include "dsp/SZCrossfade.h"
#include "dsp/SZDirect.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

namespace {

constexpr double kTau100 = 1.0 / (2.0 * std::numbers::pi * 100.0); // RC of a 100 Hz corner

// Digital gain of a first-order set at DC (z = 1) and Nyquist (z = -1).
double dcGain(const SZCoefficients<1>& c) { return (c.b[0] + c.b[1]) / (1.0 + c.a[0]); }
double nyquistGain(const SZCoefficients<1>& c) { return (c.b[0] - c.b[1]) / (1.0 - c.a[0]); }

TEST(BilinearTransform, FirstOrderLowpassMatchesHandDerivation)
{
    // H(s) = 1/(1 + s*tau) with s = K(1 - 1/z)/(1 + 1/z), K = 2*44100:
    // (1 + 1/z) / ((1 + K*tau) + (1 - K*tau)/z).
    const double den[] = {1.0, kTau100};
    const double num[] = {1.0, 0.0};
    SZCoefficients<1> c;
    ASSERT_TRUE(c.assign(den, num, 44100.0f));
    const double kt = 88200.0 * kTau100;
    EXPECT_DOUBLE_EQ(c.a0, 1.0 + kt);
    EXPECT_DOUBLE_EQ(c.a[0], (1.0 - kt) / (1.0 + kt));
    EXPECT_DOUBLE_EQ(c.b[0], 1.0 / (1.0 + kt));
    EXPECT_DOUBLE_EQ(c.b[1], 1.0 / (1.0 + kt));
    EXPECT_NEAR(dcGain(c), 1.0, 1e-15);
    EXPECT_NEAR(nyquistGain(c), 0.0, 1e-15);
}

TEST(BilinearTransform, SecondOrderMatchesHandExpansion)
{
    // p0 + p1 s + p2 s^2 times (1 + 1/z)^2 gives
    // (p0 + p1 K + p2 K^2) + 2(p0 - p2 K^2)/z + (p0 - p1 K + p2 K^2)/z^2.
    const struct {
        double p[3];
        float rate;
    } cases[] = {
        {{2.0, 3e-4, 5e-8}, 44100.0f},
        {{0.0, 1e-3, 0.0}, 88200.0f},
        {{161560.0, 5243.31, 2.34854}, 96000.0f},
    };
    for (const auto& c : cases) {
        const double k = 2.0 * double(c.rate);
        const auto d = bilinearTransform<2>(c.p, k);
        const double expected[] = {c.p[0] + c.p[1] * k + c.p[2] * k * k, 2.0 * (c.p[0] - c.p[2] * k * k),
                                   c.p[0] - c.p[1] * k + c.p[2] * k * k};
        for (int n = 0; n < 3; ++n)
            EXPECT_NEAR(d[n], expected[n], 1e-12 * std::abs(expected[0])) << "rate " << c.rate << " n " << n;
    }
}

TEST(BilinearTransform, RejectsAPrototypeThatCannotRun)
{
    SZCoefficients<1> c;
    const double zero[] = {0.0, 0.0};
    const double one[] = {1.0, 0.0};
    const double infinite[] = {1.0, INFINITY};
    EXPECT_FALSE(c.assign(zero, one, 44100.0f));
    EXPECT_FALSE(c.assign(infinite, one, 44100.0f));
    EXPECT_EQ(c.a0, 1.0); // untouched
}

TEST(OnePole, LowpassCoefficientsAndMatchingHighpass)
{
    const auto c = OnePole::lowpass(20.0, 44100.0f);
    const double pole = std::exp(-2.0 * std::numbers::pi * 20.0 / 44100.0);
    EXPECT_DOUBLE_EQ(c.a1, -pole);
    EXPECT_DOUBLE_EQ(c.b0, 1.0 - pole);

    OnePole low, high;
    low.setCoefficients(c);
    high.setCoefficients(c);
    for (int n = 0; n < 100; ++n) {
        const double x = std::sin(0.01 * n) + 0.5;
        EXPECT_NEAR(high.highpass(x), x - low.filter(x), 1e-15);
    }
    // A constant settles in the low-pass and vanishes from the high-pass.
    double l = 0.0, h = 0.0;
    for (int n = 0; n < 44100; ++n) {
        l = low.filter(1.0);
        h = high.highpass(1.0);
    }
    EXPECT_NEAR(l, 1.0, 1e-9);
    EXPECT_NEAR(h, 0.0, 1e-9);
}

// ---- direct variants ---------------------------------------------------

TEST(SZDirect, RunsTheInstalledSetAndKeepsHistoriesAcrossAChange)
{
    SZBase1s filter;
    filter.reset();
    const double den[] = {1.0, kTau100};
    const double num[] = {1.0, 0.0};
    filter.setCoefficients(den, num);
    SZCoefficients<1> c;
    ASSERT_TRUE(c.assign(den, num, 44100.0f));

    double x1 = 0.0, y1 = 0.0;
    for (int n = 0; n < 20; ++n) {
        const double x = n == 0 ? 1.0 : 0.25;
        const double expected = c.b[0] * x + c.b[1] * x1 - c.a[0] * y1;
        const double y = filter.filter(x);
        EXPECT_NEAR(y, expected, 1e-15);
        x1 = x;
        y1 = y;
    }
    // Switching takes effect at once and runs on from the same histories.
    const double den2[] = {1.0, kTau100 / 10.0};
    filter.setCoefficients(den2, num);
    SZCoefficients<1> c2;
    ASSERT_TRUE(c2.assign(den2, num, 44100.0f));
    EXPECT_NEAR(filter.filter(0.5), c2.b[0] * 0.5 + c2.b[1] * x1 - c2.a[0] * y1, 1e-15);
}

TEST(SZDirect, ResetSilencesUntilTheNextInstall)
{
    SZBase3s filter;
    const double den[] = {39000.0, 3205.2813, 0.0153837606, 1.50306e-9};
    const double num[] = {0.0, 11398.0, 0.0150306, 0.0};
    filter.setCoefficients(den, num);
    filter.filter(1.0);
    filter.reset();
    EXPECT_EQ(filter.active().a0, 1.0);
    for (int n = 0; n < 8; ++n)
        EXPECT_EQ(filter.filter(1.0), 0.0);
}

TEST(SZDirect, DenormalGuardFlushesOnlyFarBelowTheGuardStep)
{
    // (y - 1e-20) + 1e-20 rounds y onto the spacing of doubles near 1e-20
    // (about 1.5e-36): magnitudes below half of it become 0, larger ones
    // survive, rounded to that grid. The pass-through set b = {1, 1},
    // a = {1} outputs its first input unchanged apart from the guard.
    const struct {
        double in;
        double expected;
        double tolerance;
    } cases[] = {
        {1e-20, 1e-20, 0.0},       {1e-30, 1e-30, 1e-36},    {-1e-30, -1e-30, 1e-36},
        {5e-36, 5e-36, 1e-36},     {7e-37, 0.0, 0.0},         {1e-40, 0.0, 0.0},
        {1e-310, 0.0, 0.0},
    };
    for (const auto& c : cases) {
        SZBase1s filter;
        const double den[] = {1.0, 0.0};
        const double num[] = {1.0, 0.0};
        filter.setCoefficients(den, num);
        const double y = filter.filter(c.in);
        if (c.tolerance == 0.0)
            EXPECT_EQ(y, c.expected) << c.in;
        else
            EXPECT_NEAR(y, c.expected, c.tolerance) << c.in;
    }
}

// ---- crossfading variants ----------------------------------------------

TEST(SZCrossfade, FadeLengthDependsOnTheRateBand)
{
    const struct {
        float rate;
        int length;
    } cases[] = {{22050.0f, 1024}, {44100.0f, 1024}, {48000.0f, 1024},   {67999.0f, 1024},
                 {68000.0f, 2048}, {88200.0f, 2048}, {135999.0f, 2048},  {136000.0f, 4096},
                 {176400.0f, 4096}, {192000.0f, 4096}};
    for (const auto& c : cases) {
        SZBase2 filter;
        filter.setSampleRate(c.rate);
        EXPECT_EQ(filter.fadeLength(), c.length) << c.rate;
        filter.reset();
        EXPECT_EQ(filter.fadeLength(), 1024) << "reset restores 1024 at " << c.rate;
    }
}

// A second-order low-pass and a second-order band-pass to switch between.
const double kLowDen[] = {1.0, 2e-4, 1e-8};
const double kLowNum[] = {1.0, 0.0, 0.0};
const double kBandDen[] = {1.0, 5e-4, 2e-8};
const double kBandNum[] = {0.0, 3e-4, 0.0};

double testSignal(int n) { return std::sin(0.05 * n) + 0.3 * std::sin(0.7 * n + 1.0); }

TEST(SZCrossfade, SilentAfterResetUntilTheFirstInstall)
{
    SZBase2 filter;
    for (int n = 0; n < 1500; ++n) {
        EXPECT_LE(std::abs(filter.filter(testSignal(n))), 1e-20) << n;
        EXPECT_EQ(filter.fadeCount(), std::min(n + 1, 1024));
    }
    EXPECT_FALSE(filter.valid());
}

TEST(SZCrossfade, FirstInstallIsHeardAtOnceWithoutAFade)
{
    for (float rate : {44100.0f, 88200.0f}) {
        SZBase2 filter;
        SZDirect<2> reference;
        filter.setSampleRate(rate);
        reference.setSampleRate(rate);
        filter.setCoefficients(kLowDen, kLowNum);
        reference.setCoefficients(kLowDen, kLowNum);
        for (int n = 0; n < 3000; ++n) {
            const double x = testSignal(n);
            // The crossfading form outputs the value before the guard's re-add.
            EXPECT_NEAR(filter.filter(x), reference.filter(x), 1e-15) << n;
        }
    }
}

TEST(SZCrossfade, LaterInstallFadesLinearlyFromTheRunningFilter)
{
    for (float rate : {44100.0f, 88200.0f, 176400.0f}) {
        const int length = SZBase2::fadeLengthFor(rate);
        SZBase2 filter;
        SZDirect<2> old, fresh;
        filter.setSampleRate(rate);
        old.setSampleRate(rate);
        fresh.setSampleRate(rate);
        filter.setCoefficients(kLowDen, kLowNum);
        old.setCoefficients(kLowDen, kLowNum);
        int n = 0;
        for (; n < 500; ++n) {
            filter.filter(testSignal(n));
            old.filter(testSignal(n));
        }

        filter.setCoefficients(kBandDen, kBandNum);
        fresh.setCoefficients(kBandDen, kBandNum);
        for (int i = 0; i < length + 10; ++i, ++n) {
            const double x = testSignal(n);
            const double yOld = old.filter(x) - 1e-20;
            const double yNew = fresh.filter(x) - 1e-20;
            const double t = i < length ? double(i) / length : 1.0;
            const double expected = i < length ? (1.0 - t) * yOld + t * yNew : yNew;
            ASSERT_NEAR(filter.filter(x), expected, 1e-13) << "rate " << rate << " sample " << i;
        }
        EXPECT_EQ(filter.fadeCount(), length);
    }
}

TEST(SZCrossfade, ChangeDuringAFadeRestartsItFromTheFilterRunningBefore)
{
    SZBase2 filter;
    SZDirect<2> old, newest;
    filter.setCoefficients(kLowDen, kLowNum);
    old.setCoefficients(kLowDen, kLowNum);
    int n = 0;
    for (; n < 400; ++n) {
        if (n == 300)
            filter.setCoefficients(kBandDen, kBandNum);
        filter.filter(testSignal(n));
        old.filter(testSignal(n));
    }
    // A third set mid-fade: the fade restarts from the low-pass, which has
    // kept running, to the new set from silence.
    const double den3[] = {1.0, 1e-4, 4e-9};
    const double num3[] = {1.0, 0.0, 4e-9};
    filter.setCoefficients(den3, num3);
    newest.setCoefficients(den3, num3);
    for (int i = 0; i < 1100; ++i, ++n) {
        const double x = testSignal(n);
        const double yOld = old.filter(x) - 1e-20;
        const double yNew = newest.filter(x) - 1e-20;
        const double t = double(std::min(i, 1024)) / 1024.0;
        ASSERT_NEAR(filter.filter(x), (1.0 - t) * yOld + t * yNew, 1e-13) << i;
    }
}

TEST(SZCrossfade, SetsPublishedTogetherActAsIfInstalledInTurn)
{
    // After reset, two installs before any sample: the previous filter is the
    // first set, the current one the last, and the fade runs between them.
    SZBase2 filter;
    SZDirect<2> first, last;
    filter.setCoefficients(kLowDen, kLowNum);
    filter.setCoefficients(kBandDen, kBandNum);
    first.setCoefficients(kLowDen, kLowNum);
    last.setCoefficients(kBandDen, kBandNum);
    for (int n = 0; n < 1100; ++n) {
        const double x = testSignal(n);
        const double t = double(std::min(n, 1024)) / 1024.0;
        const double expected = (1.0 - t) * (first.filter(x) - 1e-20) + t * (last.filter(x) - 1e-20);
        ASSERT_NEAR(filter.filter(x), expected, 1e-13) << n;
    }
    EXPECT_EQ(filter.previous().b, filter.current().b);
}

TEST(SZCrossfade, ResetSilencesAndDropsAPendingSet)
{
    SZBase4 filter;
    const double den[] = {1.356e+6, 31568.4, 76.0567, 0.0265643, 8.42557e-7};
    const double num[] = {0.0, 5507.7, 4.51721, 0.00138224, 2.68317e-7};
    filter.setCoefficients(den, num);
    for (int n = 0; n < 50; ++n)
        filter.filter(testSignal(n));
    filter.setCoefficients(den, num); // published, never taken up
    filter.reset();
    for (int n = 0; n < 2000; ++n)
        ASSERT_LE(std::abs(filter.filter(testSignal(n))), 1e-20) << n;
    EXPECT_FALSE(filter.valid());

    // The next install after the reset is again a first install.
    filter.setCoefficients(den, num);
    SZDirect<4> reference;
    reference.setCoefficients(den, num);
    for (int n = 0; n < 100; ++n)
        EXPECT_NEAR(filter.filter(testSignal(n)), reference.filter(testSignal(n)), 1e-12);
}

} // namespace

namespace {

TEST(OnePole, DecayingTailEndsAtZeroWithoutDenormals)
{
    for (double corner : {20.0, 130.0, 500.0}) {
        OnePole lowpass;
        lowpass.setCoefficients(OnePole::lowpass(corner, 44100.0f));
        lowpass.filter(1.0);
        bool subnormalSeen = false;
        double y = 1.0;
        for (int n = 0; n < 44100 && y != 0.0; ++n) {
            y = lowpass.filter(0.0);
            subnormalSeen = subnormalSeen || std::fpclassify(y) == FP_SUBNORMAL;
        }
        EXPECT_EQ(y, 0.0) << corner;
        EXPECT_FALSE(subnormalSeen) << corner;
    }
}

} // namespace
