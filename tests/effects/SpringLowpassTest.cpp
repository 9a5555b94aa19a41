#include "effects/ChebyshevLowpassDesign.h"
#include "effects/ChirpDownSampleFilter.h"
#include "effects/SpringLowpassFilter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <memory>
#include <numbers>
#include <vector>

namespace {

// The published 44100 Hz set of the 5 kHz tenth-order low-pass.
constexpr double kReferenceB0 = 2.43483470815822e-07;
constexpr double kReferenceB[6] = {2.43483470815822e-07, 2.43483470815822e-06, 1.0956756186712e-05,
                                   2.92180164978987e-05, 5.11315288713227e-05, 6.13578346455872e-05};
constexpr double kReferenceC[10] = {7.61910976108542, -27.0827109419514, 58.9604193403119, -86.8723830484039,
                                    90.3767267027423, -67.1587946228806, 35.1726670625327, -12.4194322348154,
                                    2.66939547442559, -0.26524682012074};

// Impulse response of a filter, `length` samples.
std::vector<double> impulseResponse(TenthOrderLowpass& filter, int length)
{
    std::vector<double> h(std::size_t(length), 0.0);
    for (int n = 0; n < length; ++n)
        h[std::size_t(n)] = filter.filter(n == 0 ? 1.0 : 0.0);
    return h;
}

// |H| at `hz` from an impulse response that has decayed to nothing.
double magnitudeAt(const std::vector<double>& h, double hz, double rate)
{
    std::complex<double> sum = 0.0;
    const double w = 2.0 * std::numbers::pi * hz / rate;
    for (std::size_t n = 0; n < h.size(); ++n)
        sum += h[n] * std::polar(1.0, -w * double(n));
    return std::abs(sum);
}

} // namespace

TEST(ChebyshevLowpassDesign, MatchesThePublishedSet)
{
    const TenthOrderCoefficients& set = springLowpassSet(LowpassDesignRate::Hz44100);
    // The feedback set agrees to the last printed digits. The numerator is
    // the DC normalisation 1 - sum(c) / 1024, which cancels about six
    // digits of the feedback terms: it agrees to rounding at that level.
    for (int k = 0; k < 10; ++k)
        EXPECT_NEAR(set.c[std::size_t(k)], kReferenceC[k], 1e-12 * std::fabs(kReferenceC[k])) << "c" << k + 1;
    EXPECT_NEAR(set.b[0], kReferenceB0, 1e-9 * kReferenceB0);
    for (int k = 0; k < 6; ++k)
        EXPECT_NEAR(set.b[std::size_t(k)], kReferenceB[k], 1e-9 * kReferenceB[k]) << "b" << k;
}

// Every design: the equiripple passband swings between 1 and 1/0.995 with
// its trough at DC, which is scaled to exactly 1; the half-power point of the
// unscaled design is at 5000 Hz, so the scaled response there is
// sqrt(1/2) / 0.995.
TEST(ChebyshevLowpassDesign, EverySetMeetsItsDesign)
{
    const struct {
        LowpassDesignRate rate;
        double hz;
    } designs[] = {{LowpassDesignRate::Hz44100, 44100.0},
                   {LowpassDesignRate::Hz48000, 48000.0},
                   {LowpassDesignRate::Hz88200, 88200.0},
                   {LowpassDesignRate::Hz96000, 96000.0}};
    for (const auto& d : designs) {
        const TenthOrderCoefficients& set = springLowpassSet(d.rate);
        const auto response = [&](double hz) {
            const std::complex<double> zi = std::polar(1.0, -2.0 * std::numbers::pi * hz / d.hz);
            std::complex<double> num = 0.0, den = 1.0, p = 1.0;
            for (int k = 0; k <= 10; ++k, p *= zi) {
                num += set.b[std::size_t(k <= 5 ? k : 10 - k)] * p;
                if (k > 0)
                    den -= set.c[std::size_t(k - 1)] * p;
            }
            return std::abs(num / den);
        };
        // Near z = 1 the expanded denominator is a small difference of large
        // terms: evaluated in double it resolves the gain to about 1e-8.
        EXPECT_NEAR(response(0.0), 1.0, 1e-7) << d.hz;
        EXPECT_NEAR(response(5000.0), std::sqrt(0.5) / 0.995, 1e-6) << d.hz;
        double peak = 0.0;
        for (double hz = 25.0; hz < 4800.0; hz += 25.0) {
            EXPECT_GE(response(hz), 1.0 - 1e-6) << d.hz << " Hz " << hz;
            EXPECT_LE(response(hz), 1.0 / 0.995 + 1e-6) << d.hz << " Hz " << hz;
            peak = std::max(peak, response(hz));
        }
        EXPECT_NEAR(peak, 1.0 / 0.995, 1e-4) << d.hz;
    }
}

// The class runs the difference equation with the published numbers.
TEST(ChirpDownSampleFilter, RunsTheReferenceSetAt44100)
{
    ChirpDownSampleFilter filter;
    filter.setSampleRate(44100.0f);
    double x[11] = {};
    double y[11] = {};
    for (int n = 0; n < 400; ++n) {
        const double in = (n % 37 == 0 ? 1.0 : 0.0) - 0.25 * (n % 5 == 0);
        for (int k = 10; k > 0; --k) {
            x[k] = x[k - 1];
            y[k] = y[k - 1];
        }
        x[0] = in;
        double acc = 0.0;
        for (int k = 0; k <= 10; ++k)
            acc += kReferenceB[k <= 5 ? k : 10 - k] * x[k];
        for (int k = 1; k <= 10; ++k)
            acc += kReferenceC[k - 1] * y[k];
        y[0] = acc;
        EXPECT_NEAR(filter.filter(in), acc, 1e-10) << n;
    }
}

TEST(ChirpDownSampleFilter, OutputsExactZeroUntilARateIsSet)
{
    ChirpDownSampleFilter filter;
    for (int n = 0; n < 64; ++n) {
        SampleFrame frame{n == 0 ? 1.0 : 0.5 * n};
        filter.process(&frame);
        EXPECT_EQ(frame.value, 0.0) << n;
    }
    filter.setSampleRate(44100.0f);
    EXPECT_NE(filter.filter(1.0), 0.0);
    filter.reset();
    for (int n = 0; n < 64; ++n)
        EXPECT_EQ(filter.filter(1.0), 0.0) << "after reset " << n;
}

// Each band keeps its design unchanged, so the design's 5000 Hz corner lands
// at 5000 * rate / design rate (the decimation filter at 48000 Hz: about
// 5442 Hz); every bound belongs to the band above it.
TEST(SpringLowpassFilters, RateBandsPickTheirDesign)
{
    struct Case {
        bool output; // SpringLowpassFilter, else ChirpDownSampleFilter
        float rate;
        double designRate;
    };
    const Case cases[] = {
        {true, 44100.0f, 44100.0}, {true, 45999.0f, 44100.0}, {true, 46000.0f, 48000.0},
        {true, 48000.0f, 48000.0}, {true, 67999.0f, 48000.0}, {true, 68000.0f, 88200.0},
        {true, 91999.0f, 88200.0}, {true, 92000.0f, 96000.0}, {true, 192000.0f, 96000.0},
        {false, 48000.0f, 44100.0}, {false, 67999.0f, 44100.0}, {false, 68000.0f, 88200.0},
        {false, 96000.0f, 88200.0}, {false, 192000.0f, 88200.0},
    };
    for (const Case& c : cases) {
        std::unique_ptr<TenthOrderLowpass> filter;
        if (c.output)
            filter = std::make_unique<SpringLowpassFilter>();
        else
            filter = std::make_unique<ChirpDownSampleFilter>();
        filter->setSampleRate(c.rate);
        const std::vector<double> h = impulseResponse(*filter, 16384);
        const double corner = 5000.0 * c.rate / c.designRate;
        EXPECT_NEAR(magnitudeAt(h, 0.0, c.rate), 1.0, 1e-6) << c.output << " " << c.rate;
        EXPECT_NEAR(magnitudeAt(h, corner, c.rate), std::sqrt(0.5) / 0.995, 1e-4) << c.output << " " << c.rate;
    }
}

// Silence after a signal settles to exact zeros, never denormals.
TEST(SpringLowpassFilters, SilenceSettlesToExactZero)
{
    SpringLowpassFilter filter;
    filter.setSampleRate(44100.0f);
    for (int n = 0; n < 100; ++n)
        filter.filter(0.8);
    double out = 1.0;
    for (int n = 0; n < 200000 && out != 0.0; ++n)
        out = filter.filter(0.0);
    EXPECT_EQ(out, 0.0);
}
