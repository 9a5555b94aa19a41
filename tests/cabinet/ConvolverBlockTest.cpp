// The block path of the convolver against its per-sample path: whatever the
// call sizes, the output must be the same bit for bit, also across a
// response change in the middle of the stream, and through the cabinet
// engine in mono and stereo.

#include "cabinet/CabinetEngine.h"
#include "cabinet/Convolver.h"
#include "TestBanks.h"
#include "tests/support/Signals.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

using Signal = std::vector<double>;

using testing_support::noise;

// Host call sizes, repeated until the signal is used up.
struct Pattern {
    const char* name;
    std::vector<int> sizes;
};

const Pattern kPatterns[] = {
    {"1", {1}},     {"7", {7}},     {"31", {31}},   {"64", {64}},
    {"255", {255}}, {"256", {256}}, {"513", {513}}, {"mixed", {1, 7, 31, 64, 255, 256, 513, 3, 1000, 2, 130, 4, 5}},
};

// The calls that cover [0, total) with the pattern's sizes, as start offsets
// (the last entry is total).
std::vector<std::size_t> callStarts(const Pattern& pattern, std::size_t total)
{
    std::vector<std::size_t> starts{0};
    for (std::size_t i = 0; starts.back() < total; ++i)
        starts.push_back(std::min(total, starts.back() + std::size_t(pattern.sizes[i % pattern.sizes.size()])));
    return starts;
}

// The first call start at or after `at`.
std::size_t boundaryFrom(const std::vector<std::size_t>& starts, std::size_t at)
{
    for (std::size_t s : starts)
        if (s >= at)
            return s;
    return starts.back();
}

// Index of the first sample whose bits differ, or -1.
long firstDifference(const Signal& a, const Signal& b)
{
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::memcmp(&a[i], &b[i], sizeof(double)) != 0)
            return long(i);
    return -1;
}

std::vector<const ConvolverKernels*> kernelCopies()
{
    std::vector<const ConvolverKernels*> copies{&kPlainConvolverKernels, &kBaselineConvolverKernels};
    if (&ConvolverKernels::best() != &kBaselineConvolverKernels)
        copies.push_back(&ConvolverKernels::best());
    return copies;
}

class ConvolverBlocks : public ::testing::TestWithParam<std::tuple<int, int>> {};

} // namespace

INSTANTIATE_TEST_SUITE_P(HeadsAndPatterns, ConvolverBlocks,
                         ::testing::Combine(::testing::Values(Convolver::kSmallHead, Convolver::kLargeHead),
                                            ::testing::Range(0, int(std::size(kPatterns)))),
                         [](const auto& info) {
                             return "head" + std::to_string(std::get<0>(info.param)) + "_calls" +
                                    kPatterns[std::get<1>(info.param)].name;
                         });

// Reference: sample by sample with the plain loops (one value at a time).
// Every copy of the loops, through the block path, must give the same bits,
// with the response replaced between two calls a third of the way in and
// once more while the products of the first change are still due.
TEST_P(ConvolverBlocks, BlockPathEqualsPerSamplePath)
{
    const int head = std::get<0>(GetParam());
    const Pattern& pattern = kPatterns[std::get<1>(GetParam())];
    const std::size_t length = std::size_t(64 * head);
    const Signal first = noise(length, 31, 3.0 / double(length));
    const Signal second = noise(length, 32, 5.0 / double(length));
    const Signal third = noise(length, 34, 2.0 / double(length));
    // Noise, then silence long enough for the tails to play out.
    Signal input = noise(3 * length + 300, 33, 0.0);
    input.resize(input.size() + length + 200, 0.0);
    const std::vector<std::size_t> starts = callStarts(pattern, input.size());
    const std::size_t change = boundaryFrom(starts, input.size() / 3);
    const std::size_t again = boundaryFrom(starts, change + std::size_t(11 * head));

    Convolver reference(head, &kPlainConvolverKernels);
    reference.clear();
    reference.loadResponse(first.data());
    Signal expected(input.size());
    for (std::size_t n = 0; n < input.size(); ++n) {
        if (n == change)
            reference.loadResponse(second.data());
        if (n == again)
            reference.loadResponse(third.data());
        expected[n] = reference.processSample(input[n]);
    }

    for (const ConvolverKernels* kernels : kernelCopies()) {
        SCOPED_TRACE(kernels->name);
        Convolver conv(head, kernels);
        conv.clear();
        conv.loadResponse(first.data());
        Signal buffer = input; // processed in place
        for (std::size_t c = 0; c + 1 < starts.size(); ++c) {
            if (starts[c] == change)
                conv.loadResponse(second.data());
            if (starts[c] == again)
                conv.loadResponse(third.data());
            conv.processBlock(buffer.data() + starts[c], int(starts[c + 1] - starts[c]));
        }
        EXPECT_EQ(firstDifference(expected, buffer), -1);
    }
}

// Blocks and single samples mixed on one convolver, with clear() in
// between: the per-sample path must pick up where the block path left off
// (history, stage counters and owed work) and the other way round.
TEST(ConvolverBlocks, AlternatingWithSingleSamplesAndClear)
{
    const int head = Convolver::kSmallHead;
    const std::size_t length = std::size_t(64 * head);
    const Signal response = noise(length, 41, 3.0 / double(length));
    const Signal input = noise(2 * length + 77, 42, 0.0);

    Convolver reference(head, &kPlainConvolverKernels);
    Convolver conv(head);
    for (Convolver* c : {&reference, &conv}) {
        c->clear();
        c->loadResponse(response.data());
    }
    Signal expected(input.size()), actual = input;
    const std::size_t clearAt = input.size() / 2 + 13;
    for (std::size_t n = 0; n < input.size(); ++n) {
        if (n == clearAt) {
            reference.clear();
            reference.loadResponse(response.data());
        }
        expected[n] = reference.processSample(input[n]);
    }
    std::size_t n = 0;
    for (int round = 0; n < input.size(); ++round) {
        if (n == clearAt) {
            conv.clear();
            conv.loadResponse(response.data());
        }
        // Up to the clear at most, then on.
        const std::size_t limit = n < clearAt ? clearAt : input.size();
        const std::size_t size = std::min(limit - n, std::size_t(round % 3 == 0 ? 1 : 97 + round));
        if (size == 1)
            actual[n] = conv.processSample(actual[n]);
        else
            conv.processBlock(actual.data() + n, int(size));
        n += size;
    }
    EXPECT_EQ(firstDifference(expected, actual), -1);
}

namespace {

const std::vector<double>& engineBank()
{
    static const std::vector<double> data = TestBanks::distinctNoise();
    return data;
}

struct EngineCase {
    const char* name;
    float rate;
    bool stereo;
};

const EngineCase kEngineCases[] = {
    {"mono48k", 48000.0f, false},
    {"stereo48k", 48000.0f, true},
    {"mono96k", 96000.0f, false},
    {"stereo96k", 96000.0f, true},
};

std::unique_ptr<CabinetEngine> makeEngine(const EngineCase& c)
{
    auto engine = std::make_unique<CabinetEngine>(engineBank().data());
    engine->setStereo(c.stereo);
    engine->setMode(c.stereo ? 1.0f : 0.0f);
    engine->setSlot(0, SlotSetting::Off, 0.0f);
    engine->setSlot(0, SlotSetting::Pan, 0.2f);
    engine->setSlot(1, SlotSetting::Off, 0.0f);
    engine->setSlot(1, SlotSetting::Cabinet, 0.5f);
    engine->setSlot(1, SlotSetting::Pan, 0.9f);
    engine->setSampleRate(c.rate);
    return engine;
}

class CabinetEngineBlocks : public ::testing::TestWithParam<int> {};

} // namespace

INSTANTIATE_TEST_SUITE_P(Modes, CabinetEngineBlocks, ::testing::Range(0, int(std::size(kEngineCases))),
                         [](const auto& info) { return std::string(kEngineCases[info.param].name); });

// The engine's block calls against its per-sample calls, in mixed call
// sizes, with a microphone move (a response rebuild) between two calls.
TEST_P(CabinetEngineBlocks, BlockCallsEqualSampleCalls)
{
    const EngineCase& c = kEngineCases[GetParam()];
    auto reference = makeEngine(c);
    auto engine = makeEngine(c);

    const Signal left = noise(30000, 51, 0.0);
    const Signal right = noise(30000, 52, 0.0);
    const std::vector<std::size_t> starts = callStarts(kPatterns[std::size(kPatterns) - 1], left.size());
    const std::size_t change = boundaryFrom(starts, left.size() / 2);

    Signal expectedLeft = left, expectedRight = right;
    for (std::size_t n = 0; n < left.size(); ++n) {
        if (n == change)
            reference->setSlot(0, SlotSetting::Position, 0.9f);
        if (c.stereo)
            reference->processStereo(expectedLeft[n], expectedRight[n]);
        else
            reference->process(expectedLeft[n]);
    }

    Signal actualLeft = left, actualRight = right;
    for (std::size_t k = 0; k + 1 < starts.size(); ++k) {
        if (starts[k] == change)
            engine->setSlot(0, SlotSetting::Position, 0.9f);
        const int count = int(starts[k + 1] - starts[k]);
        if (c.stereo)
            engine->processStereoBlock(actualLeft.data() + starts[k], actualRight.data() + starts[k], count);
        else
            engine->processBlock(actualLeft.data() + starts[k], count);
    }
    EXPECT_EQ(firstDifference(expectedLeft, actualLeft), -1);
    if (c.stereo) {
        EXPECT_EQ(firstDifference(expectedRight, actualRight), -1);
    }
}
