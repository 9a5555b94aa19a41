#include "effects/ClipIndicator.h"
#include "effects/Limiter.h"
#include "tests/support/BlockRun.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <random>
#include <string>
#include <vector>

using testing_support::run;

namespace {

Limiter& engaged(Limiter& limiter, float rate)
{
    limiter.reset();
    limiter.setSampleRate(rate);
    limiter.setEnabled(true);
    return limiter;
}

struct Signal {
    std::string name;
    std::function<double(int)> sample;
};

// Inputs chosen to break a ceiling: full-scale and over-scale squares,
// isolated spikes, huge values, alternating signs, constant levels just
// above 1 (where g * x rounds above 1.0 without the final clamp) and noise.
std::vector<Signal> hostileSignals()
{
    std::vector<Signal> signals{
        {"square period 2", [](int n) { return n % 2 ? 1.0 : -1.0; }},
        {"square period 50", [](int n) { return (n / 25) % 2 ? 1.0 : -1.0; }},
        {"square 1.5 period 7", [](int n) { return (n / 7) % 2 ? 1.5 : -1.5; }},
        {"spike 1e300", [](int n) { return n == 40 ? 1e300 : 0.0; }},
        {"spikes every 23", [](int n) { return n % 23 == 0 ? 2.0 : 0.0; }},
        {"spike then step", [](int n) { return n == 10 ? -50.0 : (n > 12 ? 0.9 : 0.0); }},
        {"alternating huge", [](int n) { return n % 2 ? 1e200 : -1e200; }},
        {"alternating growing", [](int n) { return (n % 2 ? 1.0 : -1.0) * (1.0 + n * 0.37); }},
        {"ramp up", [](int n) { return n * 0.001; }},
        {"exactly one", [](int) { return 1.0; }},
    };
    for (const double level : {1.0000000000000002, 1.1, 1.3, 1.7, 2.9, 3.3, 7.1, 1e17})
        signals.push_back({"constant " + std::to_string(level), [level](int) { return level; }});
    signals.push_back({"noise", [](int n) {
                           std::mt19937 gen(unsigned(n) * 2654435761u);
                           return std::uniform_real_distribution<double>(-4.0, 4.0)(gen);
                       }});
    return signals;
}

} // namespace

TEST(Limiter, WindowByRateBand)
{
    const struct {
        float rate;
        int window;
    } cases[] = {{22050.0f, 22}, {44100.0f, 22}, {45999.0f, 22}, {46000.0f, 24}, {48000.0f, 24},
                 {67999.0f, 24}, {68000.0f, 44}, {88200.0f, 44}, {91999.0f, 44}, {92000.0f, 48},
                 {96000.0f, 48}, {176400.0f, 48}, {384000.0f, 48}};
    for (const auto& c : cases) {
        Limiter limiter;
        engaged(limiter, c.rate);
        EXPECT_EQ(limiter.window(), c.window) << c.rate;
        // The delay is one window less one sample.
        for (int n = 0; n < c.window - 1; ++n) {
            EXPECT_LT(std::fabs(run(limiter, n == 0 ? 0.5 : 0.0)), 1e-19) << c.rate << " sample " << n;
        }
        EXPECT_EQ(run(limiter, 0.0), 0.5) << c.rate;
    }
}

TEST(Limiter, SpikeInSilenceLeavesAtExactlyOne)
{
    Limiter limiter;
    engaged(limiter, 44100.0f);
    std::vector<double> out;
    for (int n = 0; n < 100; ++n)
        out.push_back(run(limiter, n == 30 ? 2.0 : 0.0));
    EXPECT_EQ(out[30 + 21], 1.0);
    for (int n = 0; n < 100; ++n)
        if (n != 51) {
            EXPECT_LT(std::fabs(out[std::size_t(n)]), 1e-19) << n;
        }
}

// The gain ramps down over the window before a peak and back up after it.
TEST(Limiter, GainRampsAroundAPeakInSteadySignal)
{
    Limiter limiter;
    engaged(limiter, 44100.0f);
    std::vector<double> gain;
    for (int n = 0; n < 200; ++n) {
        const double x = n == 100 ? 4.0 : 0.5;
        const double y = run(limiter, x);
        if (n >= 21)
            gain.push_back(y / (n - 21 == 100 ? 4.0 : 0.5));
    }
    // gain[k] is the gain applied to input sample k.
    EXPECT_EQ(gain[50], 1.0);
    EXPECT_DOUBLE_EQ(gain[100], 0.25);
    for (int k = 80; k < 100; ++k) {
        EXPECT_LE(gain[std::size_t(k + 1)], gain[std::size_t(k)]) << k;
    }
    for (int k = 100; k < 125; ++k) {
        EXPECT_GE(gain[std::size_t(k + 1)], gain[std::size_t(k)]) << k;
    }
    // Symmetric recovery.
    for (int d = 1; d < 22; ++d) {
        EXPECT_NEAR(gain[std::size_t(100 - d)], gain[std::size_t(100 + d)], 1e-12) << d;
    }
    EXPECT_EQ(gain[160], 1.0);
}

TEST(Limiter, BelowTheCeilingPassesUnchangedAfterTheDelay)
{
    for (const double level : {0.5, -0.5, 0.999, 1e-6}) {
        Limiter limiter;
        engaged(limiter, 48000.0f);
        for (int n = 0; n < 300; ++n) {
            const double y = run(limiter, level);
            if (n >= 23) {
                ASSERT_EQ(y, level) << level << " sample " << n;
            }
        }
    }
}

TEST(Limiter, SilenceComesOutAsExactZero)
{
    Limiter limiter;
    engaged(limiter, 44100.0f);
    for (int n = 0; n < 200; ++n) {
        const double y = run(limiter, n < 50 ? 3.0 : 0.0);
        if ((n >= 21 && n < 50 + 21)) {
            EXPECT_NEAR(std::fabs(y), 1.0, 1e-12) << n;
        }
        if (n >= 50 + 21 + 22) {
            ASSERT_EQ(y, 0.0) << n;
        }
    }
}

TEST(Limiter, MonoNeverExceedsTheCeiling)
{
    for (const Signal& s : hostileSignals()) {
        for (const float rate : {44100.0f, 96000.0f}) {
            Limiter limiter;
            engaged(limiter, rate);
            for (int n = 0; n < 3000; ++n) {
                const double y = run(limiter, s.sample(n));
                ASSERT_LE(std::fabs(y), 1.0) << s.name << " at " << rate << " sample " << n;
            }
        }
    }
}

TEST(Limiter, StereoNeverExceedsTheCeiling)
{
    for (const Signal& s : hostileSignals()) {
        Limiter limiter;
        engaged(limiter, 44100.0f);
        for (int n = 0; n < 3000; ++n) {
            // Right gets the signal reversed in time, so the channels peak apart.
            double left = s.sample(n);
            double right = -s.sample(3000 - n);
            limiter.processStereo(left, right);
            ASSERT_LE(std::fabs(left), 1.0) << s.name << " sample " << n;
            ASSERT_LE(std::fabs(right), 1.0) << s.name << " sample " << n;
        }
    }
}

// One gain for both channels, from the louder one: the balance is kept.
TEST(Limiter, StereoKeepsTheBalance)
{
    Limiter stereo;
    engaged(stereo, 44100.0f);
    Limiter mono;
    engaged(mono, 44100.0f);
    for (int n = 0; n < 2000; ++n) {
        const double loud = 3.0 * std::sin(0.01 * n) * (n % 97 == 0 ? 4.0 : 1.0);
        double left = 0.25 * loud;
        double right = loud;
        stereo.processStereo(left, right);
        const double reference = run(mono, loud);
        ASSERT_NEAR(right, reference, 1e-12) << n;
        if (std::fabs(right) > 1e-3) {
            ASSERT_NEAR(left / right, 0.25, 1e-12) << n;
        }
    }
    // The stereo form does not look at the switch.
    Limiter off;
    off.reset();
    off.setSampleRate(44100.0f);
    for (int n = 0; n < 30; ++n) {
        double left = 5.0;
        double right = -5.0;
        off.processStereo(left, right);
        if (n >= 21) {
            EXPECT_EQ(left, 1.0) << n;
            EXPECT_EQ(right, -1.0) << n;
        }
    }
}

// Off, the mono form leaves the sample alone and keeps its rings as they
// were; on again, it continues from them.
TEST(Limiter, DisabledMonoIsTransparentAndFrozen)
{
    Limiter limiter;
    engaged(limiter, 44100.0f);
    for (int n = 0; n < 10; ++n)
        run(limiter, 0.5);
    limiter.setEnabled(false);
    for (const double x : {3.0, -7.0, 0.25}) {
        EXPECT_EQ(run(limiter, x), x);
    }
    limiter.setEnabled(true);
    for (int n = 10; n < 21; ++n) {
        EXPECT_LT(std::fabs(run(limiter, 0.5)), 1e-19) << n;
    }
    EXPECT_EQ(run(limiter, 0.5), 0.5);
}

TEST(Limiter, ResetForgetsThePast)
{
    Limiter limiter;
    engaged(limiter, 44100.0f);
    for (int n = 0; n < 40; ++n)
        run(limiter, 5.0);
    limiter.reset();
    for (int n = 0; n < 21; ++n) {
        EXPECT_LT(std::fabs(run(limiter, 0.5)), 1e-19) << n;
    }
    EXPECT_EQ(run(limiter, 0.5), 0.5);
}

TEST(ClipIndicator, LightsOnOversAndHoldsHalfASecond)
{
    ClipIndicator clip;
    clip.setSampleRate(44100.0f);
    EXPECT_EQ(clip.holdLength(), 22050);
    EXPECT_EQ(clip.level(), 0.0f);

    clip.watch(1.0); // full scale is not an over
    EXPECT_EQ(clip.level(), 0.0f);
    clip.watch(1.0000001);
    EXPECT_EQ(clip.level(), 1.0f);
    for (int n = 0; n < 22049; ++n)
        clip.watch(0.5);
    EXPECT_EQ(clip.level(), 1.0f);
    clip.watch(0.5);
    EXPECT_EQ(clip.level(), 0.0f);

    // A new over restarts the hold.
    clip.watch(2.0);
    for (int n = 0; n < 20000; ++n)
        clip.watch(0.0);
    clip.watch(1.5);
    for (int n = 0; n < 22049; ++n)
        clip.watch(0.0);
    EXPECT_EQ(clip.level(), 1.0f);

    // Engaging the limiter clears the light at once.
    clip.clear();
    EXPECT_EQ(clip.level(), 0.0f);
}

TEST(ClipIndicator, HoldFollowsTheRate)
{
    const struct {
        float rate;
        int hold;
    } cases[] = {{44100.0f, 22050}, {48000.0f, 24000}, {96000.0f, 48000}, {44101.0f, 22050},
                 {0.0f, 0}, {-1.0f, 0}};
    for (const auto& c : cases) {
        ClipIndicator clip;
        clip.watch(3.0);
        clip.setSampleRate(c.rate);
        EXPECT_EQ(clip.holdLength(), c.hold) << c.rate;
        EXPECT_EQ(clip.level(), 0.0f) << c.rate;
    }
}
