#include "cabinet/CabinetEngine.h"

#include "TestBanks.h"
#include "tests/support/Signals.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <limits>
#include <memory>
#include <random>
#include <thread>
#include <vector>

namespace {

using Signal = std::vector<double>;
using testing_support::maxDifference;
using testing_support::peak;

const std::vector<double>& noiseBank()
{
    static const std::vector<double> data = TestBanks::distinctNoise();
    return data;
}

// One cabinet's settings as parameter values.
struct CabinetSettings {
    float on = 0.0f; // 0 = on
    float type = 0.0f;
    float microphone = 0.0f;
    float axis = 0.0f;
    float position = 0.5f;
    float distance = 0.0f;
    float phase = 1.0f; // 1 = normal polarity
    float volume = 1.0f;
    float pan = 0.5f;
};

void apply(CabinetEngine& engine, int slot, const CabinetSettings& s)
{
    engine.setSlot(slot, SlotSetting::Off, s.on);
    engine.setSlot(slot, SlotSetting::Cabinet, s.type);
    engine.setSlot(slot, SlotSetting::Microphone, s.microphone);
    engine.setSlot(slot, SlotSetting::Axis, s.axis);
    engine.setSlot(slot, SlotSetting::Position, s.position);
    engine.setSlot(slot, SlotSetting::Distance, s.distance);
    engine.setSlot(slot, SlotSetting::Phase, s.phase);
    engine.setSlot(slot, SlotSetting::Volume, s.volume);
    engine.setSlot(slot, SlotSetting::Pan, s.pan);
}

struct Rig {
    float rate = 96000.0f;
    bool stereo = false;
    float blend = 0.5f;
    CabinetSettings one;
    CabinetSettings two{0.0f, 0.75f, 1.0f / 3.0f, 1.0f, 0.2f, 0.4f, 1.0f, 1.0f, 0.5f};
};

std::unique_ptr<CabinetEngine> makeEngine(const Rig& setup, const double* bank)
{
    auto engine = std::make_unique<CabinetEngine>(bank);
    engine->setStereo(setup.stereo);
    engine->setBlend(setup.blend);
    apply(*engine, 0, setup.one);
    apply(*engine, 1, setup.two);
    engine->setSampleRate(setup.rate);
    return engine;
}

// The engine's answer to a unit impulse: left (or mono) and right outputs.
struct Outputs {
    Signal left;
    Signal right;
};

Outputs impulseResponse(CabinetEngine& engine, bool stereo, std::size_t length = 8192 + 1200)
{
    Outputs out{Signal(length), Signal(length)};
    for (std::size_t n = 0; n < length; ++n) {
        double l = n == 0 ? 1.0 : 0.0;
        double r = l;
        if (stereo)
            engine.processStereo(l, r);
        else
            engine.process(l);
        out.left[n] = l;
        out.right[n] = stereo ? r : 0.0;
    }
    return out;
}

Outputs impulseResponse(const Rig& setup, const double* bank = noiseBank().data())
{
    auto engine = makeEngine(setup, bank);
    return impulseResponse(*engine, setup.stereo);
}

// The response of one cabinet alone, as the bank access builds it.
Signal cabinetResponse(const CabinetSettings& s, int family)
{
    CabinetSlot slot;
    slot.cabinetHundreds = CabinetSlot::cabinetHundredsFor(s.type);
    slot.micTens = CabinetSlot::micTensFor(s.microphone);
    slot.axisUnits = CabinetSlot::axisUnitsFor(s.axis);
    slot.position = s.position;
    slot.distance = s.distance;
    slot.invert = CabinetSlot::invertFor(s.phase);
    IrBank::interpolateResponse(noiseBank().data(), slot, family);
    return slot.response;
}

} // namespace

// Above 68 kHz the stored responses are used as they are: a single cabinet
// in mono mode comes out at 0.1 times its response, for all 8192 samples.
TEST(CabinetEngine, HighRateMonoPlaysTheStoredResponseAtOneTenth)
{
    Rig setup;
    setup.two.on = 1.0f;
    const Outputs out = impulseResponse(setup);
    const Signal expected = cabinetResponse(setup.one, IrBank::familyForRate(setup.rate));
    for (std::size_t n = 0; n < 8192; ++n)
        ASSERT_NEAR(out.left[n], 0.1 * expected[n], 1e-13) << "sample " << n;
    EXPECT_LT(peak(out.left, 8192), 1e-13);
}

TEST(CabinetEngine, MonoBlendSelectsOneCabinetAndIgnoresVolumeAndPan)
{
    Rig onlyOne;
    onlyOne.two.on = 1.0f;
    Rig onlyTwo;
    onlyTwo.one.on = 1.0f;
    const Outputs first = impulseResponse(onlyOne);
    const Outputs second = impulseResponse(onlyTwo);
    ASSERT_GT(maxDifference(first.left, second.left), 0.01);

    struct Case {
        const char* name;
        float blend;
        const Outputs& expected;
    };
    const Case cases[] = {{"blend 0", 0.0f, first}, {"blend 1", 1.0f, second}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Rig both;
        both.blend = c.blend;
        both.one.volume = 0.3f;
        both.one.pan = 0.0f;
        both.two.volume = 0.0f;
        both.two.pan = 1.0f;
        EXPECT_LT(maxDifference(impulseResponse(both).left, c.expected.left), 1e-15);
    }
}

TEST(CabinetEngine, SingleCabinetIgnoresTheBlend)
{
    for (float blend : {0.0f, 0.3f, 1.0f}) {
        SCOPED_TRACE(blend);
        Rig one;
        one.two.on = 1.0f;
        one.blend = blend;
        Rig two;
        two.one.on = 1.0f;
        two.blend = blend;
        const Signal expectedOne = cabinetResponse(one.one, 1);
        const Signal expectedTwo = cabinetResponse(two.two, 1);
        const Outputs outOne = impulseResponse(one);
        const Outputs outTwo = impulseResponse(two);
        for (std::size_t n = 0; n < 8192; ++n) {
            ASSERT_NEAR(outOne.left[n], 0.1 * expectedOne[n], 1e-13) << "sample " << n;
            ASSERT_NEAR(outTwo.left[n], 0.1 * expectedTwo[n], 1e-13) << "sample " << n;
        }
    }
}

TEST(CabinetEngine, StereoPansAndVolumesPlaceEachCabinet)
{
    const Signal r = cabinetResponse(Rig{}.one, 1);
    const Signal s = cabinetResponse(Rig{}.two, 1);
    struct Case {
        const char* name;
        float pan1, volume1, pan2, volume2;
    };
    const Case cases[] = {
        {"both hard left: right silent", 0.0f, 1.0f, 0.0f, 0.7f},
        {"both hard right: left silent", 1.0f, 0.6f, 1.0f, 1.0f},
        {"centred at volume 1", 0.5f, 1.0f, 0.5f, 1.0f},
        {"second cabinet at volume 0", 0.25f, 0.8f, 0.9f, 0.0f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Rig setup;
        setup.stereo = true;
        setup.blend = 0.0f; // ignored in stereo mode
        setup.one.pan = c.pan1;
        setup.one.volume = c.volume1;
        setup.two.pan = c.pan2;
        setup.two.volume = c.volume2;
        const Outputs out = impulseResponse(setup);
        const double l1 = (1.0f - c.pan1) * c.volume1, r1 = c.pan1 * c.volume1;
        const double l2 = (1.0f - c.pan2) * c.volume2, r2 = c.pan2 * c.volume2;
        for (std::size_t n = 0; n < 8192; ++n) {
            ASSERT_NEAR(out.left[n], 0.2 * (l1 * r[n] + l2 * s[n]), 1e-13) << "left " << n;
            ASSERT_NEAR(out.right[n], 0.2 * (r1 * r[n] + r2 * s[n]), 1e-13) << "right " << n;
        }
        if (c.pan1 == 0.0f && c.pan2 == 0.0f) {
            EXPECT_EQ(peak(out.right), 0.0);
        }
        if (c.pan1 == 1.0f && c.pan2 == 1.0f) {
            EXPECT_EQ(peak(out.left), 0.0);
        }
    }
}

TEST(CabinetEngine, OppositePhaseOnIdenticalCabinetsCancels)
{
    for (float rate : {44100.0f, 96000.0f}) {
        SCOPED_TRACE(rate);
        Rig setup;
        setup.rate = rate;
        setup.two = setup.one;
        setup.two.phase = 0.0f;
        const Outputs out = impulseResponse(setup);
        EXPECT_EQ(peak(out.left), 0.0);
    }
}

// Up to 68000 Hz the response is decimated by two (4096 samples through the
// small convolvers); above it the 8192 stored samples are used as they are.
TEST(CabinetEngine, DecimatesAtAndBelow68000Only)
{
    struct Case {
        float rate;
        bool decimated;
    };
    for (const Case c : {Case{44100.0f, true}, Case{68000.0f, true}, Case{68001.0f, false}, Case{96000.0f, false}}) {
        SCOPED_TRACE(c.rate);
        Rig setup;
        setup.rate = c.rate;
        setup.two.on = 1.0f;
        auto engine = makeEngine(setup, noiseBank().data());
        EXPECT_EQ(engine->lowRate(), c.decimated);
        const Outputs out = impulseResponse(*engine, false);
        if (c.decimated) {
            EXPECT_GT(peak(out.left, 4000, 4096), 1e-4);
            EXPECT_LT(peak(out.left, 4096), 1e-13); // only the rounding residue of the transforms
        } else {
            EXPECT_GT(peak(out.left, 8100, 8192), 1e-4);
            const Signal expected = cabinetResponse(setup.one, IrBank::familyForRate(c.rate));
            for (std::size_t n = 0; n < 8192; ++n)
                ASSERT_NEAR(out.left[n], 0.1 * expected[n], 1e-13) << "sample " << n;
        }
    }
}

// The decimation keeps the level of a response whose energy lies well below
// 20 kHz (gain 2 against the halved sample count), and output j follows the
// stored response at 2j+1 at twice its value, apart from the few samples of
// the low-passes' delay.
TEST(CabinetEngine, DecimationKeepsTheLevelOfALowFrequencyResponse)
{
    static const std::vector<double> smooth = TestBanks::smoothDecay();
    Rig setup;
    setup.rate = 44100.0f;
    setup.two.on = 1.0f;
    auto engine = makeEngine(setup, smooth.data());
    const Outputs out = impulseResponse(*engine, false, 4096);
    double decimatedSum = 0.0;
    for (double v : out.left)
        decimatedSum += v / 0.1;
    double storedSum = 0.0;
    for (int i = 0; i < 8192; ++i)
        storedSum += smooth[std::size_t(i)];
    EXPECT_NEAR(decimatedSum / storedSum, 1.0, 0.01);
    for (std::size_t j = 100; j < 2000; j += 50) {
        const double expected = 2.0 * smooth[2 * j + 1];
        EXPECT_NEAR(out.left[j] / 0.1, expected, 0.02 * expected) << j;
    }
}

TEST(CabinetEngine, ClearSilencesUntilTheNextRebuild)
{
    Rig setup;
    auto engine = makeEngine(setup, noiseBank().data());
    double sample = 1.0;
    for (int n = 0; n < 3000; ++n) {
        engine->process(sample);
        sample = n % 7 == 0 ? 0.5 : 0.0;
    }
    engine->reset();
    EXPECT_EQ(peak(impulseResponse(*engine, false, 9000).left), 0.0);
    engine->rebuild();
    EXPECT_GT(peak(impulseResponse(*engine, false).left), 1e-3);
}

// Settings written by a host outside 0..1 (NaN included) still build a
// finite response; an unknown slot index changes nothing.
TEST(CabinetEngine, HostileSettingsStayFinite)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    Rig setup;
    auto engine = makeEngine(setup, noiseBank().data());
    const Outputs before = impulseResponse(*engine, false);
    engine->setSlot(2, SlotSetting::Volume, 0.0f);
    engine->setSlot(-1, SlotSetting::Off, 1.0f);
    engine->reset();
    engine->rebuild();
    EXPECT_LT(maxDifference(impulseResponse(*engine, false).left, before.left), 1e-13);

    for (SlotSetting setting : {SlotSetting::Cabinet, SlotSetting::Microphone, SlotSetting::Axis, SlotSetting::Position,
                                SlotSetting::Distance, SlotSetting::Volume, SlotSetting::Pan})
        engine->setSlot(0, setting, nan);
    engine->setBlend(nan);
    engine->setSlot(1, SlotSetting::Position, 1e9f);
    engine->rebuild();
    const Outputs out = impulseResponse(*engine, false);
    for (double v : out.left)
        ASSERT_TRUE(std::isfinite(v));
    EXPECT_LT(peak(out.left), 0.1 * 2.0);
}

// A parameter thread rebuilds while the audio thread processes (run under
// ThreadSanitizer this shows the hand-over is race-free); afterwards the
// engine plays the last settings.
TEST(CabinetEngine, RebuildWhileProcessingIsRaceFree)
{
    for (bool stereo : {false, true}) {
        SCOPED_TRACE(stereo);
        Rig setup;
        setup.stereo = stereo;
        auto engine = makeEngine(setup, noiseBank().data());
        std::atomic<bool> rebuilding{true};
        std::atomic<bool> finite{true};
        std::thread audio([&] {
            std::mt19937 rng(5);
            std::uniform_real_distribution<double> dist(-1.0, 1.0);
            bool ok = true;
            while (rebuilding.load(std::memory_order_acquire)) {
                double l = dist(rng), r = dist(rng);
                if (stereo)
                    engine->processStereo(l, r);
                else
                    engine->process(l);
                ok = ok && std::isfinite(l) && std::isfinite(r);
            }
            finite.store(ok);
        });
        for (int i = 0; i < 40; ++i) {
            engine->setSlot(0, SlotSetting::Position, float(i % 11) / 10.0f);
            engine->setBlend(float(i % 5) / 4.0f);
            engine->rebuild();
        }
        rebuilding.store(false, std::memory_order_release);
        audio.join();
        EXPECT_TRUE(finite.load());

        // Flush what is in flight, then compare with a fresh engine built
        // directly with the final settings.
        Rig last = setup;
        last.one.position = float(39 % 11) / 10.0f;
        last.blend = float(39 % 5) / 4.0f;
        impulseResponse(*engine, stereo, 9000);
        const Outputs now = impulseResponse(*engine, stereo);
        const Outputs expected = impulseResponse(last);
        EXPECT_LT(maxDifference(now.left, expected.left), 1e-12);
        EXPECT_LT(maxDifference(now.right, expected.right), 1e-12);
    }
}

// With the stored bank linked in, every cabinet and microphone choice gives
// a finite, audible response at both convolver sizes, at the bank's level
// (peaks near 0.9 before the engine's factor of 0.1).
TEST(CabinetEngine, BuiltInBankGivesAudibleResponsesForEveryChoice)
{
    if (IrBank::builtInBank() == nullptr)
        GTEST_SKIP() << "built without the stored bank";
    for (float rate : {44100.0f, 96000.0f}) {
        for (int cabinet = 0; cabinet < 5; ++cabinet) {
            for (int microphone = 0; microphone < 4; ++microphone) {
                SCOPED_TRACE(testing::Message() << rate << " Hz, cabinet " << cabinet + 1 << ", microphone "
                                                << microphone + 1);
                CabinetEngine engine;
                engine.setSlot(0, SlotSetting::Cabinet, float(cabinet) / 4.0f);
                engine.setSlot(0, SlotSetting::Microphone, float(microphone) / 3.0f);
                engine.setSlot(0, SlotSetting::Phase, 1.0f);
                engine.setSlot(1, SlotSetting::Off, 1.0f);
                engine.setSampleRate(rate);
                const Outputs out = impulseResponse(engine, false, 8192);
                for (double v : out.left)
                    ASSERT_TRUE(std::isfinite(v));
                EXPECT_GT(peak(out.left), 0.1 * 0.3);
                EXPECT_LT(peak(out.left), 0.1 * 2.5);
            }
        }
    }
}

// The engine itself decides when its responses need a rebuild: a value that
// differs from the last one given for the same setting, once a rate is set.
TEST(CabinetEngine, RebuildsOnlyWhenAValueChangesAfterTheRateIsSet)
{
    CabinetEngine engine(noiseBank().data());
    // No rate yet: values are only recorded.
    EXPECT_FALSE(engine.setSlot(0, SlotSetting::Position, 0.5f));
    EXPECT_FALSE(engine.setBlend(0.25f));
    EXPECT_FALSE(engine.setMode(1.0f));
    engine.setSampleRate(44100.0f);
    const std::vector<double> built(engine.channelResponse(0), engine.channelResponse(0) + 4096);

    const float nan = std::numeric_limits<float>::quiet_NaN();
    struct Step {
        const char* what;
        bool (*set)(CabinetEngine&, float);
        float value;
        bool rebuilds;
    };
    const Step steps[] = {
        {"same position", [](CabinetEngine& e, float v) { return e.setSlot(0, SlotSetting::Position, v); }, 0.5f, false},
        {"new position", [](CabinetEngine& e, float v) { return e.setSlot(0, SlotSetting::Position, v); }, 0.9f, true},
        {"same position again", [](CabinetEngine& e, float v) { return e.setSlot(0, SlotSetting::Position, v); }, 0.9f, false},
        {"other slot, same raw value", [](CabinetEngine& e, float v) { return e.setSlot(1, SlotSetting::Position, v); }, 0.0f, false},
        {"other slot, new value", [](CabinetEngine& e, float v) { return e.setSlot(1, SlotSetting::Volume, v); }, 0.3f, true},
        {"same blend", [](CabinetEngine& e, float v) { return e.setBlend(v); }, 0.25f, false},
        {"new blend", [](CabinetEngine& e, float v) { return e.setBlend(v); }, 0.75f, true},
        {"same mode", [](CabinetEngine& e, float v) { return e.setMode(v); }, 1.0f, false},
        {"stereo by another value", [](CabinetEngine& e, float v) { return e.setMode(v); }, 0.5f, true},
        {"not a number", [](CabinetEngine& e, float v) { return e.setBlend(v); }, nan, true},
        {"not a number again", [](CabinetEngine& e, float v) { return e.setBlend(v); }, nan, true},
        {"out of range slot", [](CabinetEngine& e, float v) { return e.setSlot(2, SlotSetting::Position, v); }, 0.1f, false},
    };
    for (const Step& step : steps)
        EXPECT_EQ(step.set(engine, step.value), step.rebuilds) << step.what;

    // The rebuilt response follows the new settings.
    EXPECT_TRUE(engine.setBlend(0.25f));
    EXPECT_FALSE(std::equal(built.begin(), built.end(), engine.channelResponse(0)));
}

// A program change writes every setting: deferred, the changes rebuild once
// at the end and give exactly the responses that rebuilding at every change
// gives; with nothing changed there is no rebuild at all.
TEST(CabinetEngine, DeferredChangesRebuildOnceWithTheSameResponses)
{
    CabinetEngine immediate(noiseBank().data());
    CabinetEngine deferred(noiseBank().data());
    immediate.setSampleRate(48000.0f);
    deferred.setSampleRate(48000.0f);

    deferred.deferRebuilds();
    EXPECT_FALSE(deferred.setBlend(0.5f)); // the value it already had
    EXPECT_FALSE(deferred.finishDeferred());

    CabinetSettings first;
    first.type = 0.4f;
    first.pan = 0.2f;
    CabinetSettings second;
    second.microphone = 0.7f;
    second.volume = 0.6f;
    deferred.deferRebuilds();
    for (CabinetEngine* engine : {&immediate, &deferred}) {
        engine->setMode(1.0f);
        apply(*engine, 0, first);
        apply(*engine, 1, second);
        engine->setBlend(0.3f);
    }
    EXPECT_FALSE(deferred.setSlot(0, SlotSetting::Distance, 0.9f)); // still waiting
    EXPECT_TRUE(immediate.setSlot(0, SlotSetting::Distance, 0.9f));
    EXPECT_TRUE(deferred.finishDeferred());
    for (int channel : {0, 1})
        EXPECT_TRUE(std::equal(immediate.channelResponse(channel), immediate.channelResponse(channel) + CabinetEngine::kStoredLength,
                               deferred.channelResponse(channel)))
            << "channel " << channel;

    // Afterwards a change rebuilds at once again.
    EXPECT_TRUE(deferred.setBlend(0.8f));
}
