// The spring's block pipeline on two lines of any configuration against the
// per-sample path (both lines stepped, their mix through the resonator and
// the output low-pass), bit for bit: lines with different stage counts, a
// line without cascade, lines out of decimation phase (each line's
// cascade then runs on its own), and blocks that leave a short last part.

#include "effects/ChirpEq.h"
#include "effects/ChirpLowDS.h"
#include "effects/SpringLowpassFilter.h"
#include "effects/SpringPipeline.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cstdint>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

namespace {

struct LineSetup {
    float stages;  // allpass stage pairs
    float delay;   // loop delay, seconds
    double gain;   // loop feedback
    std::uint32_t seed;
};

struct PipelineCase {
    const char* name;
    float rate;
    LineSetup a;
    LineSetup b;
    int leadB;              // samples line b runs alone first (decimation phase)
    std::vector<int> sizes; // block sizes, used in turn
};

void PrintTo(const PipelineCase& c, std::ostream* os) { *os << c.name; }

// One tank's worth of parts: two lines, the resonator and the output filter.
struct Tank {
    ChirpLowDS a, b;
    ChirpEq eq;
    SpringLowpassFilter output;

    Tank(float rate, const LineSetup& sa, const LineSetup& sb)
    {
        for (auto [line, setup] : {std::pair{&a, &sa}, std::pair{&b, &sb}}) {
            line->setSampleRate(rate);
            line->setStages(setup->stages);
            line->setCutoff(5500.0f);
            line->setAllpassCoeff(0.7f);
            line->setLineDelay(setup->delay);
            line->setEchoPosition(0.3f);
            line->echoGainA = 0.2;
            line->echoGainB = -0.15;
            line->feedback = setup->gain;
            line->modDepth = 6;
            line->seedNoise(setup->seed);
        }
        eq.setSampleRate(rate);
        eq.setCutoff(5500.0f);
        output.setSampleRate(rate);
    }
};

double testInput(int n)
{
    if (n % 997 == 0)
        return 0.9;
    if (n > 3000 && n < 3400)
        return 0.3 * ((n / 7) % 2 == 0 ? 1.0 : -1.0);
    return n > 7000 ? 0.0 : 0.01 * double((n * 7919) % 201 - 100) / 100.0;
}

std::uint64_t bits(double x)
{
    return std::bit_cast<std::uint64_t>(x);
}

class SpringPipelineCases : public ::testing::TestWithParam<PipelineCase> {};

TEST_P(SpringPipelineCases, SameBitsAsSampleBySample)
{
    const PipelineCase& c = GetParam();
    auto reference = std::make_unique<Tank>(c.rate, c.a, c.b);
    auto blocked = std::make_unique<Tank>(c.rate, c.a, c.b);
    auto pipeline = std::make_unique<SpringPipeline>();
    for (int n = 0; n < c.leadB; ++n) {
        reference->b.run(testInput(n));
        blocked->b.run(testInput(n));
    }
    const int limit = std::min(blocked->a.blockLimit(), blocked->b.blockLimit());
    ASSERT_GT(limit, 0);

    constexpr int kSamples = 12000;
    std::vector<double> ioA(ChirpLowDS::kMaxBlock), ioB(ChirpLowDS::kMaxBlock), wet(ChirpLowDS::kMaxBlock);
    int n = 0;
    for (std::size_t turn = 0; n < kSamples; ++turn) {
        const int size = std::min({c.sizes[turn % c.sizes.size()], limit, kSamples - n});
        for (int k = 0; k < size; ++k) {
            ioA[k] = testInput(n + k);
            ioB[k] = -0.5 * testInput(n + k + 13);
        }
        pipeline->run(blocked->a, ioA.data(), blocked->b, ioB.data(), blocked->eq, blocked->output, wet.data(), size);
        for (int k = 0; k < size; ++k, ++n) {
            double ua = testInput(n);
            double ub = -0.5 * testInput(n + 13);
            ChirpLowDS::runPair(reference->a, ua, reference->b, ub);
            const double expected = reference->output.filter(reference->eq.filter((ua + ub) * 0.5));
            ASSERT_EQ(bits(wet[k]), bits(expected)) << "sample " << n << " (block of " << size << ")";
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SpringPipelineCases,
    ::testing::Values(
        PipelineCase{"SpringLines", 44100.0f, {50.0f, 0.06f, -0.7, 1}, {55.0f, 0.068f, -0.7, 2}, 0, {256, 200, 65}},
        PipelineCase{"LongerFirst", 96000.0f, {55.0f, 0.04f, -0.5, 3}, {20.0f, 0.03f, -0.4, 4}, 0, {256, 1, 130}},
        PipelineCase{"OneLineWithoutCascade", 48000.0f, {0.0f, 0.02f, 0.3, 5}, {12.0f, 0.02f, 0.3, 6}, 0, {64, 7, 256}},
        PipelineCase{"OutOfPhase", 44100.0f, {50.0f, 0.05f, -0.6, 7}, {55.0f, 0.057f, -0.6, 8}, 3, {256, 33, 100}},
        PipelineCase{"OutOfPhaseHighRate", 88200.0f, {30.0f, 0.05f, -0.6, 9}, {40.0f, 0.05f, -0.6, 10}, 5, {129, 256}}),
    [](const ::testing::TestParamInfo<PipelineCase>& info) { return std::string(info.param.name); });

} // namespace
