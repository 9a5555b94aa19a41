// The spring's block path against its per-sample path: every output bit the
// same, whatever the block sizes (odd ones, ones larger than a line's block
// limit, mixed), the rate and the decimation phase at which blocks start.

#include "effects/ChirpLowDS.h"
#include "effects/Spring.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

namespace {

// Clicks, a square burst, low noise and silence (the loop rings on).
double testInput(int n)
{
    if (n % 997 == 0)
        return 0.9;
    if (n > 3000 && n < 3400)
        return 0.3 * ((n / 7) % 2 == 0 ? 1.0 : -1.0);
    return n > 9000 ? 0.0 : 0.01 * double((n * 7919) % 201 - 100) / 100.0;
}

std::uint64_t bits(double x)
{
    return std::bit_cast<std::uint64_t>(x);
}

struct BlockCase {
    const char* name;
    float rate;
    std::vector<int> sizes; // block sizes, used in turn
    int leadSamples;        // per-sample steps before the blocks start (decimation phase)
};

void PrintTo(const BlockCase& c, std::ostream* os) { *os << c.name; }

class SpringBlocks : public ::testing::TestWithParam<BlockCase> {};

TEST_P(SpringBlocks, SameBitsAsSampleBySample)
{
    const BlockCase& c = GetParam();
    auto blocked = std::make_unique<Spring>();
    auto single = std::make_unique<Spring>();
    for (Spring* s : {blocked.get(), single.get()}) {
        s->setSampleRate(c.rate);
        s->setEnabled(true);
        s->setAmount(0.8f);
    }
    ASSERT_GT(blocked->line1().blockLimit(), 0);

    constexpr int kTotal = 16000;
    std::vector<double> expected(kTotal), actual(kTotal);
    SampleFrame frame;
    for (int n = 0; n < kTotal; ++n) {
        frame.value = testInput(n);
        single->process(&frame);
        expected[n] = frame.value;
        actual[n] = testInput(n);
    }
    int n = 0;
    for (; n < c.leadSamples; ++n) {
        frame.value = actual[n];
        blocked->process(&frame);
        actual[n] = frame.value;
    }
    for (std::size_t turn = 0; n < kTotal; ++turn) {
        const int size = std::min(c.sizes[turn % c.sizes.size()], kTotal - n);
        blocked->processBlock(actual.data() + n, size);
        n += size;
    }
    for (int i = 0; i < kTotal; ++i)
        ASSERT_EQ(bits(actual[i]), bits(expected[i])) << "sample " << i;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SpringBlocks,
    ::testing::Values(BlockCase{"Single", 44100.0f, {1}, 0}, BlockCase{"Seven", 44100.0f, {7}, 0},
                      BlockCase{"SixtyFour", 48000.0f, {64}, 0}, BlockCase{"LargerThanTheLimit", 44100.0f, {513}, 0},
                      BlockCase{"Mixed", 96000.0f, {1, 7, 64, 128, 500, 512, 33, 256, 1000}, 0},
                      BlockCase{"OutOfPhase", 88200.0f, {100, 3}, 5}, BlockCase{"Rate22050", 22050.0f, {37}, 2}),
    [](const ::testing::TestParamInfo<BlockCase>& info) { return std::string(info.param.name); });

// A loop too short for blocks (a low rate and a short line) gives no block
// limit; the block call then steps sample by sample with the same result.
TEST(SpringBlocks, ShortLoopHasNoBlocks)
{
    ChirpLowDS line;
    line.setSampleRate(8000.0f);
    line.setStages(10.0f);
    line.setCutoff(3000.0f);
    line.setAllpassCoeff(0.7f);
    line.setLineDelay(0.001f);
    EXPECT_EQ(line.blockLimit(), 0);
}

} // namespace
