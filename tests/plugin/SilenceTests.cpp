// Silence after a note must cost nothing: every recursive state of the chain
// comes to rest at exact zeros (or at a normal-sized guard residue) without
// passing through subnormal numbers, which are slow on many processors. The
// processor's underflow flag tells: an operation whose result is subnormal
// or rounds to zero from below the normal range raises it. The host is a
// 32-bit one, so the conversion of the output counts too.
//
// One case per factory program and "High Res." setting, each a test of its
// own so that sanitizer builds run them side by side and none runs long.
#include <algorithm>
#include <cfenv>
#include <cmath>
#include <numbers>
#include <ostream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "FakeHost.h"
#include "plugin/FactoryPrograms.h"

namespace {

constexpr float kRate = 44100.0f;
constexpr int kBlock = 512;
constexpr int kNoteBlocks = 86;     // about 1 s
constexpr int kSilentBlocks = 1723; // about 20 s

// A plucked-string-like note: a 110 Hz tone with its harmonics, each decaying
// faster than the one below, from a sharp attack; about -55 dB after a second.
std::vector<float> note()
{
    std::vector<float> x(std::size_t(kNoteBlocks) * kBlock);
    for (std::size_t n = 0; n < x.size(); ++n) {
        const double t = double(n) / kRate;
        double v = 0.0;
        for (int h = 1; h <= 8; ++h)
            v += std::sin(2.0 * std::numbers::pi * 110.0 * h * t) * std::exp(-t * (5.0 + 2.0 * h)) / h;
        x[n] = float(0.4 * v);
    }
    return x;
}

struct SilenceCase {
    int program;
    bool highRes;
};

void PrintTo(const SilenceCase& c, std::ostream* os)
{
    *os << "program " << c.program << (c.highRes ? ", High Res." : "");
}

std::string caseName(const testing::TestParamInfo<SilenceCase>& info)
{
    return "program" + std::to_string(info.param.program) + (info.param.highRes ? "HighRes" : "");
}

class SilenceAfterANote : public testing::TestWithParam<SilenceCase> {};

// The underflow flag is cleared when the note ends and looked at after every
// block of silence: it must never be raised, not even once while the tail
// of the note dies away.
TEST_P(SilenceAfterANote, RaisesNoUnderflow)
{
    const SilenceCase c = GetParam();
    auto plugin = makePlugin();
    plugin->setSampleRate(kRate);
    plugin->setBlockSize(kBlock);
    plugin->setProgram(c.program);
    plugin->setParameter(param::HighRes, c.highRes ? 0.0f : 1.0f);
    plugin->waitForSettings();
    ASSERT_EQ(plugin->switches().antiAliasing, c.highRes);
    plugin->resume();

    const std::vector<float> input = note();
    std::vector<float> left(kBlock), right(kBlock);
    float* io[2] = {left.data(), right.data()};
    double notePeak = 0.0;
    for (int b = 0; b < kNoteBlocks; ++b) {
        for (int n = 0; n < kBlock; ++n)
            left[n] = right[n] = input[std::size_t(b) * kBlock + n];
        plugin->processReplacing(io, io, kBlock);
        for (float y : left)
            notePeak = std::max(notePeak, double(std::fabs(y)));
    }
    ASSERT_GT(notePeak, 1e-3) << "the note must sound";

    std::feclearexcept(FE_ALL_EXCEPT);
    int firstBlock = -1;
    int blocksRaising = 0;
    for (int b = 0; b < kSilentBlocks; ++b) {
        std::fill(left.begin(), left.end(), 0.0f);
        std::fill(right.begin(), right.end(), 0.0f);
        plugin->processReplacing(io, io, kBlock);
        if (std::fetestexcept(FE_UNDERFLOW)) {
            if (firstBlock < 0)
                firstBlock = b;
            ++blocksRaising;
            std::feclearexcept(FE_UNDERFLOW);
        }
    }
    EXPECT_EQ(blocksRaising, 0) << kFactoryPrograms[c.program].name << ": first at "
                                << double(firstBlock) * kBlock / kRate << " s of silence";
}

std::vector<SilenceCase> allCases()
{
    std::vector<SilenceCase> cases;
    for (bool highRes : {false, true})
        for (int p = 0; p < Doxaro::kNumPrograms; ++p)
            cases.push_back({p, highRes});
    return cases;
}

INSTANTIATE_TEST_SUITE_P(FactoryPrograms, SilenceAfterANote, testing::ValuesIn(allCases()), caseName);

} // namespace
