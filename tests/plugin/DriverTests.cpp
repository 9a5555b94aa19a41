// The signal chain driver: bypass, input modes, the mono and stereo paths,
// the meter, the clip indicator, odd block sizes and bad host data.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

#include "FakeHost.h"

namespace {

// A pair of host channels of one sample type.
template <typename Sample>
struct Buffers {
    explicit Buffers(int frames) : left(frames), right(frames) {}
    Sample** channels()
    {
        pointers[0] = left.data();
        pointers[1] = right.data();
        return pointers;
    }
    std::vector<Sample> left;
    std::vector<Sample> right;
    Sample* pointers[2] = {};
};

template <typename Sample>
Buffers<Sample> noise(int frames, unsigned seed, double amplitude = 0.5)
{
    std::mt19937 rng(seed);
    std::uniform_real_distribution<double> dist(-amplitude, amplitude);
    Buffers<Sample> b(frames);
    for (int i = 0; i < frames; ++i) {
        b.left[i] = static_cast<Sample>(dist(rng));
        b.right[i] = static_cast<Sample>(dist(rng));
    }
    return b;
}

template <typename Sample>
void process(Doxaro& plugin, Sample** in, Sample** out, int frames)
{
    if constexpr (sizeof(Sample) == sizeof(float))
        plugin.processReplacing(in, out, frames);
    else
        plugin.processDoubleReplacing(in, out, frames);
}

template <typename Sample>
class DriverTyped : public ::testing::Test {};
using SampleTypes = ::testing::Types<float, double>;
TYPED_TEST_SUITE(DriverTyped, SampleTypes);

} // namespace

TYPED_TEST(DriverTyped, BypassCopiesBitForBitAlsoInPlace)
{
    using Sample = TypeParam;
    auto plugin = makePlugin();
    plugin->setParameter(param::Bypass, 0.0f);
    auto input = noise<Sample>(333, 1);
    // Special values travel untouched too.
    input.left[5] = std::numeric_limits<Sample>::quiet_NaN();
    input.right[6] = std::numeric_limits<Sample>::infinity();
    input.left[7] = std::numeric_limits<Sample>::denorm_min();

    Buffers<Sample> output(333);
    process(*plugin, input.channels(), output.channels(), 333);
    EXPECT_EQ(std::memcmp(input.left.data(), output.left.data(), 333 * sizeof(Sample)), 0);
    EXPECT_EQ(std::memcmp(input.right.data(), output.right.data(), 333 * sizeof(Sample)), 0);

    auto inPlace = input;
    process(*plugin, inPlace.channels(), inPlace.channels(), 333);
    EXPECT_EQ(std::memcmp(input.left.data(), inPlace.left.data(), 333 * sizeof(Sample)), 0);
    EXPECT_EQ(std::memcmp(input.right.data(), inPlace.right.data(), 333 * sizeof(Sample)), 0);
}

TYPED_TEST(DriverTyped, InputModesSelectAndScale)
{
    using Sample = TypeParam;
    const float gain = 0.375f;
    struct Case {
        float channelValue;
        double fromLeft;  // output per unit of left input
        double fromRight; // output per unit of right input
    };
    // A single selected channel enters at twice the level of a channel in the summed mode.
    const Case cases[] = {{0.0f, 4.0, 0.0}, {0.5f, 0.0, 4.0}, {1.0f, 2.0, 2.0}};
    for (const Case& c : cases) {
        auto plugin = makePlugin();
        makeChainTransparent(*plugin);
        plugin->setParameter(param::Input, gain);
        plugin->setParameter(param::InputChannel, c.channelValue);
        plugin->waitForSettings();
        auto input = noise<Sample>(64, 2);
        Buffers<Sample> output(64);
        process(*plugin, input.channels(), output.channels(), 64);
        for (int i = 0; i < 64; ++i) {
            const double expected = gain * (c.fromLeft * double(input.left[i]) + c.fromRight * double(input.right[i]));
            ASSERT_NEAR(double(output.left[i]), expected, 1e-6) << "mode " << c.channelValue << " sample " << i;
            ASSERT_EQ(output.left[i], output.right[i]);
        }
    }
}

TYPED_TEST(DriverTyped, MonoPathGivesIdenticalOutputs)
{
    using Sample = TypeParam;
    auto plugin = makePlugin(); // program 0: gate, amplifier, reverb and both cabinets in mono
    auto input = noise<Sample>(2048, 3);
    input.right.assign(2048, Sample(0.3)); // different inputs, summed into the mono chain
    Buffers<Sample> output(2048);
    process(*plugin, input.channels(), output.channels(), 2048);
    EXPECT_EQ(std::memcmp(output.left.data(), output.right.data(), 2048 * sizeof(Sample)), 0);
    for (int i = 0; i < 2048; ++i)
        ASSERT_TRUE(std::isfinite(double(output.left[i])));
}

TYPED_TEST(DriverTyped, CleanStereoPathKeepsTheInputsApart)
{
    using Sample = TypeParam;
    auto plugin = makePlugin();
    makeChainTransparent(*plugin);
    plugin->setParameter(param::CabType, 1.0f);
    plugin->setParameter(param::InputChannel, 1.0f);
    plugin->setParameter(param::Input, 0.625f);
    plugin->setParameter(param::Output, 0.8f);
    // Effects on: their result is not used on this path.
    plugin->setParameter(param::FxOnOff, 0.0f);
    plugin->setParameter(param::Reverb, 0.9f);
    plugin->waitForSettings();
    ASSERT_TRUE(plugin->switches().cleanStereo);

    auto input = noise<Sample>(500, 4);
    auto io = input;
    process(*plugin, io.channels(), io.channels(), 500); // in place
    const double g = 0.625f;
    const double out = 0.8f;
    for (int i = 0; i < 500; ++i) {
        ASSERT_EQ(io.left[i], static_cast<Sample>(2.0 * (2.0 * g * double(input.left[i])) * out)) << i;
        ASSERT_EQ(io.right[i], static_cast<Sample>(2.0 * (2.0 * g * double(input.right[i])) * out)) << i;
    }
}

// Host calls of any size give the output of one-frame calls bit for bit:
// the chain runs its stages over chunks of a call, each stage in sample
// order. Programs with the reverb, "High Res." on and off, mono and stereo
// cabinets; separate and shared (in-place) buffers.
TYPED_TEST(DriverTyped, CallSizesDoNotChangeTheOutput)
{
    using Sample = TypeParam;
    struct Case {
        int program;
        float highRes; // "High Res." value: 0 engages it
        float cabType;
        bool inPlace;
    };
    const Case cases[] = {{0, 1.0f, 0.0f, false}, {0, 0.0f, 1.0f, true}, {12, 1.0f, 1.0f, true}, {16, 0.0f, 0.0f, false}};
    const std::vector<int> sizes = {7, 64, 513, 1, 300, 1000, 33, 256};
    constexpr int kFrames = 6000;
    for (const Case& c : cases) {
        auto single = makePlugin();
        auto blocks = makePlugin();
        for (Doxaro* p : {single.get(), blocks.get()}) {
            p->setProgram(c.program);
            p->setParameter(param::HighRes, c.highRes);
            p->setParameter(param::CabType, c.cabType);
            p->waitForSettings();
        }
        const auto input = noise<Sample>(kFrames, 7, 0.3);

        auto expected = input;
        for (int i = 0; i < kFrames; ++i) {
            Sample* channels[2] = {expected.left.data() + i, expected.right.data() + i};
            process(*single, channels, channels, 1);
        }

        auto source = input;
        Buffers<Sample> separate(kFrames);
        Buffers<Sample>& result = c.inPlace ? source : separate;
        for (int at = 0, turn = 0; at < kFrames; ++turn) {
            const int n = std::min(sizes[turn % sizes.size()], kFrames - at);
            Sample* in[2] = {source.left.data() + at, source.right.data() + at};
            Sample* out[2] = {result.left.data() + at, result.right.data() + at};
            process(*blocks, in, out, n);
            at += n;
        }
        EXPECT_EQ(std::memcmp(result.left.data(), expected.left.data(), kFrames * sizeof(Sample)), 0)
            << "program " << c.program << " high res " << c.highRes << " cab " << c.cabType;
        EXPECT_EQ(std::memcmp(result.right.data(), expected.right.data(), kFrames * sizeof(Sample)), 0)
            << "program " << c.program << " high res " << c.highRes << " cab " << c.cabType;
    }
}

TYPED_TEST(DriverTyped, NonFiniteInputEntersAsSilence)
{
    using Sample = TypeParam;
    auto plugin = makePlugin();
    makeChainTransparent(*plugin);
    auto input = noise<Sample>(16, 5);
    input.left[3] = std::numeric_limits<Sample>::quiet_NaN();
    input.right[3] = Sample(0);
    input.left[9] = -std::numeric_limits<Sample>::infinity();
    input.right[9] = Sample(0.25);
    Buffers<Sample> output(16);
    process(*plugin, input.channels(), output.channels(), 16);
    EXPECT_EQ(output.left[3], Sample(0));
    EXPECT_EQ(double(output.left[9]), 2.0 * 0.5 * 0.25); // only the right input counts
    // The whole chain, with its recursive filters, stays clean afterwards.
    auto full = makePlugin();
    Buffers<Sample> more(4096);
    process(*full, input.channels(), more.channels(), 16);
    auto tail = noise<Sample>(4096, 6);
    process(*full, tail.channels(), more.channels(), 4096);
    for (int i = 0; i < 4096; ++i)
        ASSERT_TRUE(std::isfinite(double(more.left[i])) && std::isfinite(double(more.right[i]))) << i;
}

TEST(Driver, MeterShowsHalfTheInputStagePeak)
{
    auto plugin = makePlugin();
    plugin->setParameter(param::Input, 0.5f);
    plugin->setParameter(param::InputChannel, 1.0f);
    Buffers<float> input(8);
    const float left[8] = {0.1f, -0.7f, 0.2f, 0.0f, 0.3f, 0.1f, 0.0f, 0.2f};
    const float right[8] = {0.1f, -0.2f, 0.6f, 0.0f, 0.3f, -0.9f, 0.0f, 0.2f};
    double peak = 0.0;
    for (int i = 0; i < 8; ++i) {
        input.left[i] = left[i];
        input.right[i] = right[i];
        peak = std::max(peak, std::fabs((double(left[i]) + double(right[i])) * 0.5)); // (a + b) / 2 with 2g = 1
    }
    Buffers<float> output(8);
    plugin->processReplacing(input.channels(), output.channels(), 8);
    EXPECT_FLOAT_EQ(plugin->getInputPeak(), static_cast<float>(peak));

    // The next block starts from 0.
    Buffers<float> quiet(4);
    quiet.left.assign(4, 0.01f);
    plugin->processReplacing(quiet.channels(), quiet.channels(), 4);
    EXPECT_FLOAT_EQ(plugin->getInputPeak(), 0.005f); // (0.01 + 0) / 2

    // Meter off: cleared, even in bypass.
    plugin->setProgramFlags(1, 0);
    plugin->setParameter(param::Bypass, 0.0f);
    plugin->processReplacing(input.channels(), output.channels(), 8);
    EXPECT_EQ(plugin->getInputPeak(), 0.0f);
}

TEST(Driver, EmptyBlocksOnlyAskForTheTime)
{
    auto plugin = makePlugin();
    Buffers<float> input = noise<float>(16, 7);
    plugin->processReplacing(input.channels(), input.channels(), 16);
    const float peak = plugin->getInputPeak();
    ASSERT_GT(peak, 0.0f);
    Buffers<float> output(16);
    output.left.assign(16, 42.0f);
    output.right.assign(16, 42.0f);
    const int queries = FakeHost::instance().timeQueries;
    for (int frames : {0, -1, -100000}) {
        plugin->processReplacing(input.channels(), output.channels(), frames);
        Buffers<double> doubles(1);
        plugin->processDoubleReplacing(doubles.channels(), doubles.channels(), frames);
    }
    EXPECT_EQ(FakeHost::instance().timeQueries, queries + 6);
    EXPECT_EQ(plugin->getInputPeak(), peak);
    for (int i = 0; i < 16; ++i)
        ASSERT_EQ(output.left[i], 42.0f);
}

TEST(Driver, MissingBuffersDoNotCrash)
{
    auto plugin = makePlugin();
    Buffers<float> data = noise<float>(32, 8);
    float* partial[2] = {data.left.data(), nullptr};
    plugin->processReplacing(nullptr, nullptr, 32);
    plugin->processReplacing(data.channels(), nullptr, 32);
    plugin->processReplacing(nullptr, data.channels(), 32); // silence in
    plugin->processReplacing(partial, partial, 32);
    plugin->setParameter(param::Bypass, 0.0f);
    plugin->processReplacing(partial, data.channels(), 32);
    // A missing input channel is silence.
    for (int i = 0; i < 32; ++i)
        ASSERT_EQ(data.right[i], 0.0f);
    double* none[2] = {nullptr, nullptr};
    plugin->processDoubleReplacing(none, none, 32);
}

TEST(Driver, ClipIndicatorHoldsHalfASecond)
{
    auto plugin = makePlugin();
    makeChainTransparent(*plugin);
    const int hold = plugin->switches().clipHold;
    ASSERT_EQ(hold, 22050);
    Buffers<float> over(1);
    over.left[0] = 1.0f; // input stage 2·0.5·1 = 1 on the left alone; right adds 0.5 more
    over.right[0] = 0.5f;
    plugin->processReplacing(over.channels(), over.channels(), 1);
    EXPECT_EQ(plugin->getClipLed(), 1.0f);

    Buffers<float> quiet(hold - 1);
    plugin->processReplacing(quiet.channels(), quiet.channels(), hold - 1);
    EXPECT_EQ(plugin->getClipLed(), 1.0f);
    Buffers<float> one(1);
    plugin->processReplacing(one.channels(), one.channels(), 1);
    EXPECT_EQ(plugin->getClipLed(), 0.0f);

    // Exactly full scale is not an over.
    Buffers<float> full(1);
    full.left[0] = 0.5f;
    full.right[0] = 0.5f;
    plugin->processReplacing(full.channels(), full.channels(), 1);
    EXPECT_EQ(plugin->getClipLed(), 0.0f);

    // With the limiter on nothing lights.
    plugin->setParameter(param::LimiterOnOff, 0.0f);
    plugin->waitForSettings();
    Buffers<float> loud(256);
    loud.left.assign(256, 4.0f);
    plugin->processReplacing(loud.channels(), loud.channels(), 256);
    EXPECT_EQ(plugin->getClipLed(), 0.0f);
    for (int i = 0; i < 256; ++i)
        ASSERT_LE(std::fabs(loud.left[i]), 1.0f) << i;
}

TEST(Driver, OversampledSectionKeepsTheLevel)
{
    // With "High Res." the amplifier section runs twice per sample on the
    // zero-stuffed signal; the factor 2 restores the level, so a steady input
    // settles where it does without oversampling.
    auto plugin = makePlugin();
    makeChainTransparent(*plugin);
    plugin->setParameter(param::HighRes, 0.0f);
    plugin->waitForSettings();
    ASSERT_EQ(plugin->switches().oversampling, 2);
    Buffers<double> steady(8192);
    steady.left.assign(8192, 0.25);
    steady.right.assign(8192, 0.25);
    plugin->processDoubleReplacing(steady.channels(), steady.channels(), 8192);
    EXPECT_NEAR(steady.left[8191], 0.5, 1e-3);
    EXPECT_NEAR(steady.right[8191], 0.5, 1e-3);
}

TEST(Driver, TempoFromTheHostIsPolledEveryBlock)
{
    auto plugin = makePlugin();
    FakeHost& host = FakeHost::instance();
    ASSERT_EQ(plugin->tremoloTempo(), 120.0);
    host.answerTime = true;
    Buffers<float> block = noise<float>(64, 9);
    // Unusable tempos are skipped and the last usable one stays; processing goes on.
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    const struct {
        double reported;
        double expected;
    } cases[] = {{0.0, 120.0}, {-90.0, 120.0}, {nan, 120.0}, {inf, 120.0}, {140.0, 140.0},
                 {0.0, 140.0}, {90.0, 90.0},   {nan, 90.0},  {-inf, 90.0}};
    for (const auto& c : cases) {
        host.tempo = c.reported;
        const int before = host.timeQueries;
        plugin->processReplacing(block.channels(), block.channels(), 64);
        EXPECT_EQ(host.timeQueries, before + 1);
        EXPECT_EQ(plugin->tremoloTempo(), c.expected) << "reported " << c.reported;
        for (int i = 0; i < 64; ++i)
            ASSERT_TRUE(std::isfinite(block.left[i]));
    }
    // A host that stops answering leaves the tempo alone too.
    host.answerTime = false;
    plugin->processReplacing(block.channels(), block.channels(), 64);
    EXPECT_EQ(plugin->tremoloTempo(), 90.0);

    // Resume takes the host tempo as well, under the same rule.
    host.answerTime = true;
    host.tempo = 75.0;
    plugin->resume();
    EXPECT_EQ(plugin->tremoloTempo(), 75.0);
    host.tempo = nan;
    plugin->suspend();
    EXPECT_EQ(plugin->tremoloTempo(), 75.0);
}

TEST(Driver, WorksWithoutAHost)
{
    Doxaro plugin(nullptr);
    plugin.setParameterAutomated(param::Output, 0.25f);
    plugin.setProgramName("Alone");
    plugin.resume();
    plugin.suspend();
    Buffers<double> block = noise<double>(128, 10);
    plugin.processDoubleReplacing(block.channels(), block.channels(), 128);
    EXPECT_EQ(plugin.getParameter(param::Output), 0.25f);
    EXPECT_EQ(plugin.tremoloTempo(), 120.0);
    for (int i = 0; i < 128; ++i)
        ASSERT_TRUE(std::isfinite(block.left[i]));
}

namespace {

// A plucked-string-like test signal: decaying partials with a noise attack
// every `period` samples, the same in both channels.
Buffers<double> plucks(int frames, int period, double level)
{
    Buffers<double> b(frames);
    std::mt19937 rng(7);
    std::uniform_real_distribution<double> dist(-1.0, 1.0);
    for (int i = 0; i < frames; ++i) {
        const int t = i % period;
        const double decay = std::exp(-t / 3000.0);
        const double attack = t < 200 ? dist(rng) * (1.0 - t / 200.0) : 0.0;
        const double v = level * decay * (std::sin(0.031 * t) + 0.5 * std::sin(0.094 * t) + 0.3 * attack);
        b.left[i] = b.right[i] = v;
    }
    return b;
}

// The instance's output for `signal`, in host blocks of 512 samples.
std::vector<double> render(Doxaro& plugin, Buffers<double> signal)
{
    const int frames = int(signal.left.size());
    Buffers<double> out(frames);
    for (int start = 0; start < frames; start += 512) {
        const int count = std::min(512, frames - start);
        double* in[2] = {signal.left.data() + start, signal.right.data() + start};
        double* outs[2] = {out.left.data() + start, out.right.data() + start};
        plugin.processDoubleReplacing(in, outs, count);
    }
    std::vector<double> both = out.left;
    both.insert(both.end(), out.right.begin(), out.right.end());
    return both;
}

// Program and extra settings for one case: every block that keeps an audio
// memory has to take part in some case (gate, both amplifier rates, tremolo,
// spring, mono and stereo cabinets, limiter).
void everythingOn(Doxaro& plugin, bool stereo)
{
    setParameters(plugin, {{param::GateOnOff, 0.0f},
                           {param::GateThreshold, 0.2f},
                           {param::AmpOnOff, 0.0f},
                           {param::FxOnOff, 0.0f},
                           {param::TremoloSync, 1.0f},
                           {param::TremoloSpeed, 0.37f},
                           {param::TremoloDepth, 0.8f},
                           {param::Reverb, 0.7f},
                           {param::CabType, stereo ? 1.0f : 0.0f},
                           {param::LimiterOnOff, 0.0f}});
}

} // namespace

// A host that stops and starts processing (effMainsChanged off, on), with or
// without a rate change in between, hears afterwards exactly what a new
// instance with the same settings plays: nothing of the earlier audio is left
// in any filter, envelope, LFO, reverb line, convolver or limiter.
TEST(Driver, RestartSoundsLikeANewInstance)
{
    struct Case {
        int program;
        float rate;
        float earlierRate; // the rate before the restart
        bool suspend;      // suspend() before resume()
        int extras;        // 0 factory settings, 1 everything on mono, 2 everything on stereo
    };
    std::vector<Case> cases;
    for (int program = 0; program < Doxaro::kNumPrograms; ++program)
        cases.push_back({program, 44100.0f, 44100.0f, program % 2 == 0, 0});
    for (int extras : {1, 2})
        for (int program : {0, 5, 11, 17})
            cases.push_back({program, 44100.0f, 44100.0f, true, extras});
    cases.push_back({3, 96000.0f, 96000.0f, false, 1});
    cases.push_back({8, 96000.0f, 44100.0f, true, 2});
    cases.push_back({13, 48000.0f, 192000.0f, true, 1});
    cases.push_back({21, 44100.0f, 88200.0f, true, 2});

    const Buffers<double> earlier = plucks(30000, 7000, 0.9);
    const Buffers<double> later = plucks(9000, 4000, 0.6);
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "program " << c.program << " at " << c.rate << " Hz after " << c.earlierRate
                                        << " Hz, suspend " << c.suspend << ", extras " << c.extras);
        const auto setUp = [&c](Doxaro& plugin, float rate) {
            plugin.setSampleRate(rate);
            plugin.setProgram(c.program);
            if (c.extras > 0)
                everythingOn(plugin, c.extras == 2);
            plugin.resume();
        };
        const std::unique_ptr<Doxaro> fresh = makePlugin();
        setUp(*fresh, c.rate);
        const std::vector<double> expected = render(*fresh, later);

        const std::unique_ptr<Doxaro> used = makePlugin();
        setUp(*used, c.earlierRate);
        const std::vector<double> before = render(*used, earlier);
        ASSERT_GT(*std::max_element(before.begin(), before.end()), 0.0);
        if (c.suspend)
            used->suspend();
        used->setSampleRate(c.rate);
        used->resume();
        const std::vector<double> after = render(*used, later);

        ASSERT_EQ(after.size(), expected.size());
        int firstDifference = -1;
        for (std::size_t i = 0; i < after.size() && firstDifference < 0; ++i)
            if (std::memcmp(&after[i], &expected[i], sizeof(double)) != 0)
                firstDifference = int(i);
        EXPECT_EQ(firstDifference, -1) << "sample " << firstDifference;
    }
}
