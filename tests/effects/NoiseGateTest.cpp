#include "effects/NoiseGate.h"
#include "tests/support/BlockRun.h"

#include <gtest/gtest.h>

#include <cmath>

using testing_support::run;

namespace {

NoiseGate& openGate(NoiseGate& gate, int samples)
{
    for (int n = 0; n < samples; ++n)
        run(gate, 1.0);
    return gate;
}

} // namespace

// Coefficient laws at the gate's fixed 44100 Hz: a time of N samples is the
// time for 20 dB, so the coefficient is 10^(-1/N).
TEST(NoiseGate, CoefficientsFollowTheirTimeLaws)
{
    struct Case {
        const char* what;
        bool attack;
        float value;
        double samples; // N expected from the time range
    };
    const Case cases[] = {
        {"attack 0 -> 1 ms", true, 0.0f, 44.1},
        {"attack 1 -> 100 ms", true, 1.0f, 4410.0},
        {"attack 0.5 -> 50.5 ms", true, 0.5f, 50.5 * 44.1},
        {"decay 0 -> 1 ms", false, 0.0f, 44.1},
        {"decay 1 -> 1000 ms", false, 1.0f, 44100.0},
    };
    for (const Case& c : cases) {
        NoiseGate gate;
        if (c.attack)
            gate.setAttack(c.value);
        else
            gate.setDecay(c.value);
        const double coeff = c.attack ? gate.attackCoeff() : gate.decayCoeff();
        // Single-precision arithmetic: within a few float rounding steps.
        EXPECT_NEAR(coeff, std::pow(10.0, -1.0 / c.samples), 3e-7) << c.what;
    }
    NoiseGate gate;
    gate.setAttack(0.0f);
    EXPECT_NEAR(gate.attackCoeff(), 0.94913, 5e-6);
}

TEST(NoiseGate, ThresholdIsTheCubeOfTheValue)
{
    NoiseGate gate;
    gate.setThreshold(0.5f);
    EXPECT_EQ(gate.threshold(), 0.125);
    gate.setThreshold(0.1f);
    EXPECT_NEAR(gate.threshold(), 1e-3, 1e-9); // -60 dB
}

// While open, the gap 1 - gain shrinks 20 dB every attack time.
TEST(NoiseGate, OpensTwentyDecibelsPerAttackTime)
{
    NoiseGate gate;
    gate.setEnabled(true);
    gate.setThreshold(0.5f); // 0.125
    gate.setAttack(1.0f);    // N = 4410
    constexpr int n = 4410;
    double out = 0.0;
    for (int i = 0; i < n; ++i)
        out = run(gate, 0.5);
    EXPECT_NEAR((0.5 - out) / 0.5, 0.1, 1e-3);
    for (int i = 0; i < n; ++i)
        out = run(gate, -0.5);
    EXPECT_NEAR((0.5 + out) / 0.5, 0.01, 1e-4);
}

// While closed, the gain itself falls 20 dB every decay time.
TEST(NoiseGate, ClosesTwentyDecibelsPerDecayTime)
{
    NoiseGate gate;
    gate.setEnabled(true);
    gate.setThreshold(0.5f); // 0.125
    gate.setAttack(0.0f);
    gate.setDecay(1.0f); // N = 44100
    openGate(gate, 2000);
    const double open = gate.gain();
    ASSERT_GT(open, 1.0 - 1e-12);
    double out = 0.0;
    for (int i = 0; i < 44100; ++i)
        out = run(gate, 0.1); // below the threshold: probe the gain
    // The float-rounded coefficient, raised to the 44100th power, is good to
    // about 0.2 %.
    EXPECT_NEAR(out / 0.1, open * 0.1, 0.1 * 5e-3);
    for (int i = 0; i < 44100; ++i)
        out = run(gate, 0.0);
    EXPECT_NEAR(gate.gain(), 0.01, 0.01 * 5e-3);
}

// |x| equal to the threshold is not above it: the decay branch runs.
TEST(NoiseGate, MagnitudeEqualToThresholdDecays)
{
    for (const double level : {0.125, -0.125}) {
        NoiseGate gate;
        gate.setEnabled(true);
        gate.setThreshold(0.5f);
        gate.setAttack(0.2f);
        gate.setDecay(0.0f);
        openGate(gate, 100);
        const double before = gate.gain();
        EXPECT_EQ(run(gate, level), level * (gate.decayCoeff() * before)) << level;
        const double atThreshold = gate.gain();
        run(gate, std::nextafter(0.125, 1.0));
        EXPECT_GT(gate.gain(), atThreshold) << "just above the threshold opens";
    }
}

// Threshold 0: every non-zero sample is loud; exact zeros decay.
TEST(NoiseGate, ZeroThresholdOpensOnAnythingButSilence)
{
    NoiseGate gate;
    gate.setEnabled(true);
    gate.setThreshold(0.0f);
    gate.setAttack(0.0f);
    gate.setDecay(0.0f);
    for (int i = 0; i < 1000; ++i)
        run(gate, 1e-12);
    EXPECT_GT(gate.gain(), 0.999);
    const double open = gate.gain();
    EXPECT_EQ(run(gate, 0.0), 0.0);
    EXPECT_LT(gate.gain(), open);
}

TEST(NoiseGate, DisabledLeavesSampleAndGainUntouched)
{
    NoiseGate gate;
    gate.setEnabled(true);
    gate.setThreshold(0.5f);
    gate.setAttack(0.3f);
    openGate(gate, 50);
    const double held = gate.gain();
    ASSERT_GT(held, 0.0);
    ASSERT_LT(held, 1.0);

    gate.setEnabled(false);
    for (const double x : {0.0, 1e-9, -0.3, 1.0, 7.5})
        EXPECT_EQ(run(gate, x), x);
    EXPECT_EQ(gate.gain(), held);

    // Switching back on continues from the held gain.
    gate.setEnabled(true);
    EXPECT_EQ(run(gate, 1.0), (1.0 - gate.attackCoeff()) + gate.attackCoeff() * held);
}

// A long silence never leaves the gain decaying through denormals.
TEST(NoiseGate, ClosedGainNeverTurnsDenormal)
{
    NoiseGate gate;
    gate.setEnabled(true);
    gate.setThreshold(0.5f);
    gate.setDecay(0.0f);
    openGate(gate, 100);
    for (int i = 0; i < 40000; ++i) {
        run(gate, 0.0);
        ASSERT_NE(std::fpclassify(gate.gain()), FP_SUBNORMAL) << i;
    }
    EXPECT_LT(gate.gain(), 1e-30);
}
