#include "dsp/SaturatingIntegrator.h"
#include "dsp/TubeStage.h"

#include <gtest/gtest.h>

#include <cfenv>
#include <cmath>
#include <string>

namespace {

TEST(TubeStage, ReferenceCurveForBothBiases)
{
    const struct {
        double bias, u, y;
    } cases[] = {
        {0.2, 1.0, 0.422728}, {0.2, -1.0, -0.471255}, {0.2, 0.5, 0.22443},
        {0.2, -0.5, -0.237171}, {0.2, 0.2, 0.092143},   {2.0, 1.0, 0.235812},
        {2.0, -1.0, -0.168649}, {2.0, 0.5, 0.111117},   {2.0, -0.5, -0.093596},
        {2.0, 2.0, 0.496899},
    };
    for (const auto& c : cases) {
        TubeStage stage(c.bias);
        EXPECT_NEAR(stage.process(c.u), c.y, 1e-6) << "bias " << c.bias << " u " << c.u;
    }
}

TEST(TubeStage, ZeroInputGivesExactlyZeroAndTheCurveHasItsLimits)
{
    for (double bias : {0.2, 2.0}) {
        const double offset = TubeStage::offsetFor(bias);
        EXPECT_NEAR(offset, bias / (1.0 - std::exp(bias)), 1e-15);
        EXPECT_EQ(TubeStage::shape(0.0, bias, offset), 0.0) << bias;
        EXPECT_NEAR(TubeStage::shape(60.0, bias, offset), 1.0, 1e-12);
        EXPECT_NEAR(TubeStage::shape(-60.0, bias, offset), 1.0 - std::exp(-offset), 1e-12);
    }
    EXPECT_NEAR(1.0 - std::exp(-TubeStage::offsetFor(0.2)), -1.468, 1e-3);
    EXPECT_NEAR(1.0 - std::exp(-TubeStage::offsetFor(2.0)), -0.368, 1e-3);
}

TEST(TubeStage, StaysFiniteAndContinuousRightAtTheBias)
{
    // At u = bias the quotient w/(1 - exp(-w)) is 0/0; its limit is 1. Inputs
    // a few units in the last place away used to divide by a rounded zero.
    for (double bias : {0.2, 2.0}) {
        const double offset = TubeStage::offsetFor(bias);
        const double atBias = TubeStage::shape(bias, bias, offset);
        EXPECT_NEAR(atBias, 1.0 - std::exp(-(1.0 + offset)), 1e-15);
        double u = bias;
        for (int step = 0; step < 40; ++step) {
            u = std::nextafter(u, 10.0);
            const double above = TubeStage::shape(u, bias, offset);
            const double below = TubeStage::shape(2.0 * bias - u, bias, offset);
            ASSERT_TRUE(std::isfinite(above) && std::isfinite(below)) << step;
            EXPECT_NEAR(above, atBias, 1e-12) << step;
            EXPECT_NEAR(below, atBias, 1e-12) << step;
        }
        for (double distance : {1e-14, 1e-12, 1e-9}) {
            EXPECT_GE(TubeStage::shape(bias + distance, bias, offset), atBias) << distance;
            EXPECT_LE(TubeStage::shape(bias - distance, bias, offset), atBias) << distance;
        }
    }
}

TEST(TubeStage, FeedbackIsTheLowPassedOutput)
{
    TubeStage stage(0.2);
    const auto lowpass = OnePole::lowpass(380.0, 44100.0f);
    stage.restart(lowpass);
    OnePole reference;
    reference.setCoefficients(lowpass);
    for (double u : {0.5, 1.0, -0.3, 0.0}) {
        const double y = stage.process(u);
        EXPECT_EQ(stage.feedback, reference.filter(y));
    }
    stage.restart(lowpass);
    EXPECT_EQ(stage.feedback, 0.0);
}

TEST(SaturatingIntegrator, SmallSignalIsALowpassWithGain95Point5TimesK)
{
    for (double k : {1.0, 0.25, 0.038, 0.0003}) {
        SaturatingIntegrator stage(10000.0);
        stage.restart(stage.alphaFor(44100.0f));
        const double x = 1e-6;
        double y = 0.0;
        for (int n = 0; n < 200; ++n)
            y = stage.process(x, k);
        EXPECT_NEAR(y / x, 95.5 * k, 95.5 * k * 1e-6) << k;
    }
}

TEST(SaturatingIntegrator, SmallSignalPoleSitsAtTheCorner)
{
    // The step response of a one-pole low-pass approaches its end value by
    // the factor exp(-2*pi*fc/rate) per sample.
    SaturatingIntegrator stage(1000.0);
    stage.restart(stage.alphaFor(44100.0f));
    const double x = 1e-7, end = 95.5 * x;
    double previousGap = end;
    const double pole = std::exp(-2.0 * 3.141592653589793 * 1000.0 / 44100.0);
    for (int n = 0; n < 20; ++n) {
        const double gap = end - stage.process(x, 1.0);
        EXPECT_NEAR(gap / previousGap, pole, 1e-6) << n;
        previousGap = gap;
    }
}

TEST(SaturatingIntegrator, LargeInputIsSlewLimited)
{
    SaturatingIntegrator stage(15000.0);
    const double alpha = stage.alphaFor(44100.0f);
    stage.restart(alpha);
    double previous = 0.0;
    for (int n = 0; n < 2000; ++n) {
        const double x = (n / 500) % 2 == 0 ? 100.0 : -100.0;
        stage.process(x, 1.0);
        EXPECT_LT(std::abs(stage.acc - previous), 2.0 * alpha) << n;
        previous = stage.acc;
    }
    // Its output stays bounded although the input is a hundred times full scale.
    EXPECT_TRUE(std::isfinite(stage.acc));
    stage.restart(alpha);
    EXPECT_EQ(stage.acc, 0.0);
    EXPECT_EQ(stage.accTanh, 0.0);
}

} // namespace

namespace {

TEST(SaturatingIntegrator, SilenceAfterASignalEndsAtExactlyZeroWithoutUnderflow)
{
    // With an exactly silent input the state decays geometrically; left to
    // itself it sinks into denormals and freezes there (the decay step rounds
    // away), costing denormal arithmetic on every sample for good. Guarded,
    // it ends at 0 or, where the decay per sample is slow, holds a step or
    // two of the guard (about 1.5e-36 each).
    for (double corner : {7560.0, 22000.0})
        for (float rate : {44100.0f, 176400.0f})
            for (double k : {1.0, 0.0003}) {
                SaturatingIntegrator stage(corner);
                stage.restart(stage.alphaFor(rate));
                for (int n = 0; n < 2000; ++n)
                    stage.process(0.3 * std::sin(0.05 * n), k);
                ASSERT_NE(stage.acc, 0.0);
                std::feclearexcept(FE_ALL_EXCEPT);
                for (int n = 0; n < 20000; ++n)
                    stage.process(0.0, k);
                const std::string where = std::to_string(corner) + " Hz at " + std::to_string(rate) + ", k " +
                                          std::to_string(k);
                EXPECT_LT(std::fabs(stage.acc), 1e-35) << where;
                EXPECT_NE(std::fpclassify(stage.acc), FP_SUBNORMAL) << where;
                EXPECT_NE(std::fpclassify(stage.accTanh), FP_SUBNORMAL) << where;
                EXPECT_FALSE(std::fetestexcept(FE_UNDERFLOW)) << where;
            }
}

TEST(SaturatingIntegrator, ComesToRestOnATinyConstantInput)
{
    // The crossfading networks hand on silence as -1e-20. The integrator
    // must settle on it; a tanh that rounds small states to steps of 1e-16
    // makes it oscillate for ever at that level instead.
    for (double k : {1.0, 0.25, 0.0003}) {
        SaturatingIntegrator stage(15000.0);
        stage.restart(stage.alphaFor(44100.0f));
        for (int n = 0; n < 5000; ++n)
            stage.process(-1e-20, k);
        const double rest = stage.acc;
        for (int n = 0; n < 100; ++n) {
            stage.process(-1e-20, k);
            ASSERT_EQ(stage.acc, rest) << k;
        }
        EXPECT_NEAR(rest * SaturatingIntegrator::kStateScale, std::tanh(-1e-20 * k * 100.005), 1e-30) << k;
    }
}

} // namespace
