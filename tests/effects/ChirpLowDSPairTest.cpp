#include "effects/ChirpLowDS.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <memory>
#include <ostream>
#include <string>

namespace {

struct LineSetup {
    float rate;    // Hz
    float stages;  // allpass stage pairs
    float delay;   // loop delay, seconds
    double gain;   // loop feedback
    std::uint32_t seed;
};

std::unique_ptr<ChirpLowDS> makeLine(const LineSetup& setup)
{
    auto line = std::make_unique<ChirpLowDS>();
    line->setSampleRate(setup.rate);
    line->setStages(setup.stages);
    line->setCutoff(5500.0f);
    line->setAllpassCoeff(0.7f);
    line->setLineDelay(setup.delay);
    line->setEchoPosition(0.3f);
    line->echoGainA = 0.2;
    line->echoGainB = -0.15;
    line->feedback = setup.gain;
    line->modDepth = 6;
    line->seedNoise(setup.seed);
    return line;
}

// A deterministic input with clicks, a tone burst and silence.
double testInput(int n)
{
    if (n % 997 == 0)
        return 0.9;
    if (n > 3000 && n < 3400)
        return 0.3 * ((n / 7) % 2 == 0 ? 1.0 : -1.0);
    return n > 6000 ? 0.0 : 0.01 * double((n * 7919) % 201 - 100) / 100.0;
}

struct PairCase {
    const char* name;
    LineSetup a;
    LineSetup b;
    int leadB; // samples line b runs alone first, putting the lines out of decimation phase
};

void PrintTo(const PairCase& c, std::ostream* os) { *os << c.name; }

class ChirpLowDSPair : public ::testing::TestWithParam<PairCase> {};

// Stepping two lines side by side must give exactly, bit for bit, what
// running them one after the other gives, whatever their stage counts and
// however their decimation phases stand.
TEST_P(ChirpLowDSPair, SameBitsAsOneLineAfterTheOther)
{
    const PairCase& c = GetParam();
    auto pairA = makeLine(c.a), pairB = makeLine(c.b);
    auto soloA = makeLine(c.a), soloB = makeLine(c.b);
    for (int n = 0; n < c.leadB; ++n) {
        double v = testInput(n);
        ChirpLowDS& lead = *pairB;
        const double out = lead.run(v);
        ASSERT_EQ(std::bit_cast<std::uint64_t>(out), std::bit_cast<std::uint64_t>(soloB->run(v)));
    }
    for (int n = 0; n < 12000; ++n) {
        double a = testInput(n);
        double b = -0.5 * testInput(n + 13);
        const double expectedA = soloA->run(a);
        const double expectedB = soloB->run(b);
        ChirpLowDS::runPair(*pairA, a, *pairB, b);
        ASSERT_EQ(std::bit_cast<std::uint64_t>(a), std::bit_cast<std::uint64_t>(expectedA)) << "line a, sample " << n;
        ASSERT_EQ(std::bit_cast<std::uint64_t>(b), std::bit_cast<std::uint64_t>(expectedB)) << "line b, sample " << n;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ChirpLowDSPair,
    ::testing::Values(PairCase{"SpringLines", {44100.0f, 50.0f, 0.05f, -0.6, 1}, {44100.0f, 55.0f, 0.057f, -0.6, 2}, 0},
                      PairCase{"LongerFirst", {96000.0f, 55.0f, 0.04f, -0.5, 3}, {96000.0f, 20.0f, 0.03f, -0.4, 4}, 0},
                      PairCase{"OneLineWithoutCascade", {48000.0f, 0.0f, 0.02f, 0.3, 5}, {48000.0f, 12.0f, 0.02f, 0.3, 6}, 0},
                      PairCase{"OutOfPhase", {44100.0f, 50.0f, 0.05f, -0.6, 7}, {44100.0f, 55.0f, 0.057f, -0.6, 8}, 3},
                      PairCase{"OutOfPhaseHighRate", {88200.0f, 30.0f, 0.05f, -0.6, 9}, {88200.0f, 40.0f, 0.05f, -0.6, 10}, 5}),
    [](const ::testing::TestParamInfo<PairCase>& info) { return std::string(info.param.name); });

} // namespace
