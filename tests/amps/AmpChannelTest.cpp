#include "amps/BKVGAmpClean.h"
#include "amps/BKVGAmpLead.h"
#include "amps/JCAmpClean.h"
#include "amps/JCAmpLead.h"
#include "amps/MVAmpClean.h"
#include "amps/MVAmpLead.h"
#include "tests/support/BlockRun.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>
#include <numbers>
#include <string>

using testing_support::run;

namespace {

struct Model {
    const char* name;
    std::function<std::unique_ptr<AmpChannel>()> make;
};

const Model kModels[] = {
    {"MVAmpClean", [] { return std::make_unique<MVAmpClean>(); }},
    {"MVAmpLead", [] { return std::make_unique<MVAmpLead>(); }},
    {"BKVGAmpClean", [] { return std::make_unique<BKVGAmpClean>(); }},
    {"BKVGAmpLead", [] { return std::make_unique<BKVGAmpLead>(); }},
    {"JCAmpClean", [] { return std::make_unique<JCAmpClean>(); }},
    {"JCAmpLead", [] { return std::make_unique<JCAmpLead>(); }},
};

// A channel as the shell sets it up: rate given, switched on.
std::unique_ptr<AmpChannel> prepared(const Model& model, float rate = 44100.0f)
{
    auto channel = model.make();
    channel->setSampleRate(rate);
    channel->setEnabled(true);
    return channel;
}

// RMS of the channel's output for a sine of `frequency` Hz and `amplitude`,
// measured after the networks' fades and the filters have settled.
double sineResponse(AmpChannel& channel, double frequency, double amplitude, float rate = 44100.0f)
{
    const int settle = int(rate / 2), measure = int(rate / 5);
    double sum = 0.0;
    for (int n = 0; n < settle + measure; ++n) {
        const double y = run(channel, amplitude * std::sin(2.0 * std::numbers::pi * frequency * n / rate));
        if (n >= settle)
            sum += y * y;
    }
    return std::sqrt(sum / measure);
}

TEST(AmpChannels, DisabledChannelPassesTheSampleUnchanged)
{
    for (const Model& model : kModels) {
        auto channel = model.make();
        channel->setSampleRate(44100.0f);
        channel->setEnabled(false);
        for (double x : {0.0, 1.0, -0.75, 1e-30, 12.5})
            EXPECT_EQ(run(*channel, x), x) << model.name;
    }
    // Nothing inside runs: the networks' fades do not advance.
    MVAmpClean clean;
    clean.setSampleRate(44100.0f);
    clean.setKnob(AmpKnob::Gain, 0.9f, true);
    for (int n = 0; n < 100; ++n)
        run(clean, 0.5);
    EXPECT_EQ(clean.gainTS.fadeCount(), 0);
    clean.setEnabled(true);
    run(clean, 0.5);
    EXPECT_EQ(clean.gainTS.fadeCount(), 1);
}

// Silence must bring every stage to rest: no hum from a stalled integrator
// or one-pole, no denormal tail. The output ends at exactly 0, except that
// the BKVG lead's last stage, its presence network, may hold one step of its
// 1e-20 denormal guard (about 1.5e-36).
constexpr double kRest = 1e-36;

TEST(AmpChannels, SilentInputGivesSilentOutput)
{
    for (const Model& model : kModels)
        for (float rate : {44100.0f, 88200.0f}) {
            auto channel = prepared(model, rate);
            double peak = 0.0;
            for (int n = 0; n < int(rate); ++n) {
                const double y = run(*channel, 0.0);
                if (n > int(rate) / 2)
                    peak = std::max(peak, std::abs(y));
            }
            EXPECT_LT(peak, kRest) << model.name << " at " << rate;
        }
}

TEST(AmpChannels, SilenceAfterASignalSettlesToZero)
{
    // A hard-driven channel recovers over seconds (the JC gain network alone
    // has a pole near 0.5 Hz), after which the output is at rest.
    for (const Model& model : kModels) {
        const bool slow = std::string(model.name).starts_with("JC");
        auto channel = prepared(model);
        for (int n = 0; n < 4000; ++n)
            run(*channel, 0.05 * std::sin(0.05 * n));
        const int seconds = slow ? 16 : 8;
        double peak = 0.0;
        for (int n = 0; n < seconds * 44100; ++n) {
            const double y = run(*channel, 0.0);
            if (n >= (seconds - 1) * 44100)
                peak = std::max(peak, std::abs(y));
        }
        EXPECT_LT(peak, kRest) << model.name;
    }
}

TEST(AmpChannels, LoudInputGivesFiniteBoundedOutput)
{
    for (const Model& model : kModels)
        for (float rate : {44100.0f, 88200.0f}) {
            auto channel = prepared(model, rate);
            channel->setKnob(AmpKnob::Gain, 1.0f, true);
            channel->setKnob(AmpKnob::Master, 1.0f, true);
            double peak = 0.0;
            for (int n = 0; n < int(rate); ++n) {
                const double x = 50.0 * std::sin(2.0 * std::numbers::pi * 110.0 * n / rate) + (n % 997 == 0 ? 1e3 : 0.0);
                const double y = run(*channel, x);
                ASSERT_TRUE(std::isfinite(y)) << model.name << " at " << rate << " sample " << n;
                peak = std::max(peak, std::abs(y));
            }
            EXPECT_GT(peak, 0.01) << model.name;
            EXPECT_LT(peak, 100.0) << model.name;
        }
}

// Knob settings that must raise the small-signal response at a frequency:
// the gain knob raises the level, the treble knob the treble, the bass knob
// the bass.
TEST(AmpChannels, SmallSignalFollowsTheKnobs)
{
    const struct {
        AmpKnob knob;
        double frequency;
    } checks[] = {{AmpKnob::Gain, 1000.0}, {AmpKnob::High, 5000.0}, {AmpKnob::Low, 100.0}};
    for (const Model& model : kModels)
        for (const auto& check : checks) {
            auto low = prepared(model);
            auto high = prepared(model);
            low->setKnob(check.knob, 0.1f, true);
            high->setKnob(check.knob, 0.9f, true);
            const double quiet = sineResponse(*low, check.frequency, 1e-4);
            const double loud = sineResponse(*high, check.frequency, 1e-4);
            EXPECT_GT(loud, 1.2 * quiet) << model.name << " knob " << int(check.knob) << " at "
                                         << check.frequency << " Hz";
        }
}

TEST(AmpChannels, SmallSignalIsLinear)
{
    // Below the nonlinear stages' knees, doubling the input doubles the output.
    for (const Model& model : kModels) {
        auto once = prepared(model);
        auto twice = prepared(model);
        const double single = sineResponse(*once, 440.0, 1e-5);
        const double doubled = sineResponse(*twice, 440.0, 2e-5);
        EXPECT_NEAR(doubled / single, 2.0, 0.02) << model.name;
        EXPECT_GT(single, 0.0) << model.name;
    }
}

TEST(AmpChannels, MasterZeroSilencesTheChannel)
{
    for (const Model& model : kModels) {
        auto channel = prepared(model);
        for (int n = 0; n < 3000; ++n)
            run(*channel, 0.3 * std::sin(0.03 * n));
        channel->setKnob(AmpKnob::Master, 0.0f, true);
        const bool immediate = std::string(model.name).starts_with("BKVG");
        double tail = 0.0;
        for (int n = 0; n < 44100; ++n) {
            const double y = run(*channel, 0.3 * std::sin(0.03 * n));
            if (immediate || n > 30000)
                tail = std::max(tail, std::abs(y));
        }
        // The BKVG master is a plain gain: exactly 0 at once. The others go
        // through their network's fade and the output high-pass settles.
        if (immediate)
            EXPECT_EQ(tail, 0.0) << model.name;
        else
            EXPECT_LT(tail, 1e-9) << model.name;
    }
}

TEST(AmpChannels, KnobsAreStoredWithoutRecomputeAndTakeEffectOnActivation)
{
    for (const Model& model : kModels) {
        auto stored = prepared(model);
        auto reference = prepared(model);
        stored->setKnob(AmpKnob::High, 1.0f, false);
        reference->setKnob(AmpKnob::High, 1.0f, true);
        const double before = sineResponse(*stored, 5000.0, 1e-4);
        stored->activate();
        const double after = sineResponse(*stored, 5000.0, 1e-4);
        const double expected = sineResponse(*reference, 5000.0, 1e-4);
        EXPECT_GT(std::abs(after - before), 0.05 * expected) << model.name;
        EXPECT_NEAR(after, expected, 1e-3 * expected) << model.name;
    }
}

TEST(AmpChannels, SampleRateChangeRestartsTheNonlinearStates)
{
    MVAmpLead lead;
    lead.setSampleRate(44100.0f);
    lead.setEnabled(true);
    for (int n = 0; n < 2000; ++n)
        run(lead, 2.0 * std::sin(0.02 * n));
    ASSERT_NE(lead.integrator.acc, 0.0);
    ASSERT_NE(lead.firstTube.feedback, 0.0);
    const double historyBefore = lead.outputFilter.y1;

    lead.setSampleRate(88200.0f);
    // Nothing the audio thread owns changes until it runs again.
    EXPECT_EQ(lead.outputFilter.y1, historyBefore);
    lead.setEnabled(false);
    run(lead, 0.0);
    EXPECT_NE(lead.integrator.acc, 0.0);

    // Its next sample restarts the integrator and the tube feedback from
    // rest, with the constants of the new rate.
    lead.setEnabled(true);
    run(lead, 0.0);
    EXPECT_EQ(lead.integrator.alpha, lead.integrator.alphaFor(88200.0f));
    EXPECT_LT(std::abs(lead.integrator.acc), 2.0 * lead.integrator.alpha);
    EXPECT_EQ(lead.interstageFilter.b0, OnePole::lowpass(250.0, 88200.0f).b0);
}

TEST(AmpChannels, JCCleanInputNetworkRunsAtTheChannelRate)
{
    for (float rate : {44100.0f, 88200.0f, 176400.0f}) {
        JCAmpClean clean;
        clean.setSampleRate(rate);
        clean.setEnabled(true);
        run(clean, 0.0);
        JCInput reference;
        reference.setSampleRate(rate);
        reference.installFixedCoefficients();
        reference.filter(0.0);
        EXPECT_EQ(clean.inputNetwork.sampleRate, rate);
        EXPECT_EQ(clean.inputNetwork.active().b, reference.active().b) << rate;
        EXPECT_EQ(clean.inputNetwork.active().a, reference.active().a) << rate;
    }
}

TEST(AmpChannels, BKVGPresenceFollowsNinetyPercentOfTheLastKnobValue)
{
    BKVGAmpLead lead;
    lead.setSampleRate(44100.0f);
    lead.setKnob(AmpKnob::Presence, 0.8f, true);
    lead.setSampleRate(88200.0f);
    lead.activate();
    double den[2], num[2];
    lead.presenceNetwork.analogCoefficients(den, num);
    const double r1 = double(5000.0f * (0.9f * 0.8f)), r2 = double(5000.0f * (1.0f - 0.9f * 0.8f));
    EXPECT_DOUBLE_EQ(den[1], 2.2e-8 * r1 * r2);
    EXPECT_EQ(lead.presenceNetwork.presence.load(), 0.8f);
}

TEST(AmpChannels, ResetSilencesTheNetworksUntilTheyAreRecomputed)
{
    for (const Model& model : kModels) {
        auto channel = prepared(model);
        channel->reset();
        for (int n = 0; n < 2000; ++n)
            run(*channel, 0.0);
        double peak = 0.0;
        for (int n = 0; n < 2000; ++n)
            peak = std::max(peak, std::abs(run(*channel, 0.1 * std::sin(0.05 * n))));
        // JC channels keep their fixed input network, but the gain and tone
        // networks after it are silent, as are all networks of the others.
        EXPECT_LT(peak, 1e-12) << model.name;
        channel->activate();
        peak = 0.0;
        for (int n = 0; n < 4000; ++n)
            peak = std::max(peak, std::abs(run(*channel, 0.1 * std::sin(0.05 * n))));
        EXPECT_GT(peak, 1e-4) << model.name;
    }
}

} // namespace
