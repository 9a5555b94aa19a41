// The cascades' wavefront, every copy this processor runs, against each
// line's own cascade (the stage-group path cascadePair() takes when the lines
// have different numbers of values), bit for bit: outputs and the allpass
// state left in both ping-pong slots.

#include "dsp/ProcessorFeatures.h"
#include "effects/CascadeWavefront.h"
#include "effects/ChirpLowDS.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace {

struct Case {
    int stagesA;
    int stagesB;
    int count;
    int pingPong;
    double level = 1.0; // of the state and the values: 1e-24 is a decaying tail the denormal guard rounds
};

// A line with `stages` stage pairs and a random state in both slots.
std::unique_ptr<ChirpLowDS> makeLine(int stages, double coeff, int pingPong, unsigned seed, double level)
{
    auto line = std::make_unique<ChirpLowDS>();
    line->stages = stages;
    line->allpassCoeff = coeff;
    line->pingPong = pingPong;
    std::mt19937 rng(seed);
    std::uniform_real_distribution<double> dist(-0.5 * level, 0.5 * level);
    for (int i = 0; i < 2 * ChirpLowDS::kMaxStages; ++i) {
        line->allpassX[i] = dist(rng);
        line->allpassY[i] = dist(rng);
    }
    return line;
}

std::vector<double> values(int count, unsigned seed, double level)
{
    std::mt19937 rng(seed);
    std::uniform_real_distribution<double> dist(-level, level);
    std::vector<double> v(static_cast<std::size_t>(count));
    for (double& x : v)
        x = dist(rng);
    // A value far below the rest and a negative zero.
    if (count > 2) {
        v[1] = 1e-30 * level;
        v[2] = -0.0;
    }
    return v;
}

std::vector<std::pair<const char*, CascadeWavefront>> runnableCopies()
{
    std::vector<std::pair<const char*, CascadeWavefront>> copies{{"baseline", kBaselineCascadeWavefront}};
    if (kAvx2CascadeWavefront != nullptr && processorHasAvx2())
        copies.emplace_back("AVX2", kAvx2CascadeWavefront);
    return copies;
}

void expectSameLine(const ChirpLowDS& line, const ChirpLowDS& reference, const std::string& what)
{
    for (int i = 0; i < 2 * line.stages; ++i) {
        ASSERT_EQ(std::bit_cast<std::uint64_t>(line.allpassX[i]), std::bit_cast<std::uint64_t>(reference.allpassX[i]))
            << what << " x slot " << i;
        ASSERT_EQ(std::bit_cast<std::uint64_t>(line.allpassY[i]), std::bit_cast<std::uint64_t>(reference.allpassY[i]))
            << what << " y slot " << i;
    }
}

} // namespace

TEST(CascadeWavefront, EveryCopyGivesEachLinesOwnCascadeBitForBit)
{
    // The reverb's stage counts (and the other way round), short cascades,
    // odd element counts for the four-lane steps, one value a call up to
    // more than a part.
    const Case cases[] = {
        {55, 50, 16, 0}, {50, 55, 16, 1}, {55, 50, 8, 1}, {55, 55, 64, 0}, {50, 55, 17, 0},
        {1, 1, 1, 0},    {1, 2, 3, 1},    {3, 2, 16, 0},  {7, 7, 5, 1},   {2, 9, 33, 0},
        {55, 50, 16, 0, 1e-24}, {50, 55, 8, 1, 1e-24},
    };
    for (const Case& c : cases) {
        for (const auto& [name, wavefront] : runnableCopies()) {
            const std::string what = std::string(name) + " stages " + std::to_string(c.stagesA) + "/" +
                                     std::to_string(c.stagesB) + " count " + std::to_string(c.count) + " level " +
                                     std::to_string(c.level);
            SCOPED_TRACE(what);
            // Reference: each line alone (different counts take that path).
            auto refA = makeLine(c.stagesA, 0.61, c.pingPong, 1, c.level);
            auto refB = makeLine(c.stagesB, -0.37, c.pingPong, 2, c.level);
            auto idle = makeLine(c.stagesA, 0.5, 0, 3, 1.0);
            std::vector<double> expectedA = values(c.count, 4, c.level), expectedB = values(c.count, 5, c.level);
            ChirpLowDS::cascadePair(*refA, expectedA.data(), c.count, *idle, nullptr, 0);
            ChirpLowDS::cascadePair(*idle, nullptr, 0, *refB, expectedB.data(), c.count);

            auto a = makeLine(c.stagesA, 0.61, c.pingPong, 1, c.level);
            auto b = makeLine(c.stagesB, -0.37, c.pingPong, 2, c.level);
            std::vector<double> va = values(c.count, 4, c.level), vb = values(c.count, 5, c.level);
            wavefront(*a, va.data(), *b, vb.data(), c.count);
            for (int m = 0; m < c.count; ++m) {
                ASSERT_EQ(std::bit_cast<std::uint64_t>(va[std::size_t(m)]),
                          std::bit_cast<std::uint64_t>(expectedA[std::size_t(m)]))
                    << "line a value " << m;
                ASSERT_EQ(std::bit_cast<std::uint64_t>(vb[std::size_t(m)]),
                          std::bit_cast<std::uint64_t>(expectedB[std::size_t(m)]))
                    << "line b value " << m;
            }
            expectSameLine(*a, *refA, "line a");
            expectSameLine(*b, *refB, "line b");
        }
    }
}

// The choice by call size never changes a bit (every copy passes the test
// above); it only has to hand out a copy this processor runs.
TEST(CascadeWavefront, ChoosesTheBaselineWithoutAvx2)
{
    for (int count : {1, 8, 16, 64}) {
        const CascadeWavefront chosen = bestCascadeWavefront(count);
        ASSERT_NE(chosen, nullptr);
        if (!processorHasAvx2()) {
            EXPECT_EQ(chosen, kBaselineCascadeWavefront);
        }
    }
}
