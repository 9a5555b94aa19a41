// The sample-by-sample comparison behind selvarine-compare.

#include "host/AudioCompare.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

constexpr double kNan = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

host::AudioBuffer stereo(std::vector<double> left, std::vector<double> right, double rate = 48000.0)
{
    host::AudioBuffer buffer;
    buffer.sampleRate = rate;
    buffer.channels = {std::move(left), std::move(right)};
    return buffer;
}

TEST(AudioCompare, FindsTheLargestDifferenceAndWhereItIs)
{
    const host::AudioBuffer reference = stereo({0.0, 0.5, -0.5, 0.25}, {0.1, 0.2, 0.3, 0.4});
    struct {
        const char* label;
        host::AudioBuffer test;
        double difference;
        int channel;
        std::size_t frame;
    } cases[] = {
        {"identical", reference, 0.0, 0, 0},
        {"one sample off", stereo({0.0, 0.5, -0.5, 0.25}, {0.1, 0.2, 0.3, 0.4 + 1e-6}), 1e-6, 1, 3},
        {"largest of several, first occurrence kept", stereo({0.0, 0.5 - 2e-3, -0.5 + 2e-3, 0.25}, {0.1, 0.2, 0.3, 0.4 - 1e-3}),
         2e-3, 0, 1},
        {"NaN against a number", stereo({0.0, 0.5, -0.5, 0.25}, {0.1, kNan, 0.3, 0.4}), kInf, 1, 1},
        {"infinity against a number", stereo({0.0, 0.5, kInf, 0.25}, {0.1, 0.2, 0.3, 0.4}), kInf, 0, 2},
    };
    for (const auto& c : cases) {
        const host::AudioComparison result = host::compareAudio(reference, c.test);
        ASSERT_TRUE(result.sameShape) << c.label;
        if (std::isinf(c.difference))
            EXPECT_EQ(result.maxDifference, c.difference) << c.label;
        else
            EXPECT_NEAR(result.maxDifference, c.difference, 1e-15) << c.label;
        EXPECT_EQ(result.channel, c.channel) << c.label;
        EXPECT_EQ(result.frame, c.frame) << c.label;
    }
}

TEST(AudioCompare, EqualNonFiniteValuesAreNoDifferenceButOppositeInfinitiesAre)
{
    const host::AudioBuffer a = stereo({kNan, kInf}, {-kInf, 0.0});
    EXPECT_EQ(host::compareAudio(a, a).maxDifference, 0.0);
    EXPECT_TRUE(std::isinf(host::compareAudio(a, stereo({kNan, -kInf}, {-kInf, 0.0})).maxDifference));
}

TEST(AudioCompare, FilesOfDifferentShapeAreNotCompared)
{
    const host::AudioBuffer reference = stereo({0.0, 0.5}, {0.1, 0.2});
    host::AudioBuffer mono;
    mono.sampleRate = 48000.0;
    mono.channels = {{0.0, 0.5}};
    struct {
        const char* label;
        host::AudioBuffer test;
        const char* mismatch;
    } cases[] = {
        {"channels", mono, "2 channels against 1"},
        {"length", stereo({0.0, 0.5, 0.0}, {0.1, 0.2, 0.0}), "2 frames against 3"},
        {"rate", stereo({0.0, 0.5}, {0.1, 0.2}, 44100.0), "Hz against"},
    };
    for (const auto& c : cases) {
        const host::AudioComparison result = host::compareAudio(reference, c.test);
        EXPECT_FALSE(result.sameShape) << c.label;
        EXPECT_NE(result.shapeMismatch.find(c.mismatch), std::string::npos) << c.label << ": " << result.shapeMismatch;
    }
}

} // namespace
