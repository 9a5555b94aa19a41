// What the render tool does to a finished render: peak normalisation and
// cutting the silent end.

#include "tools/OutputShaping.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

namespace {

host::AudioBuffer buffer(std::vector<std::vector<double>> channels)
{
    host::AudioBuffer b;
    b.channels = std::move(channels);
    return b;
}

} // namespace

TEST(OutputShaping, TrimTailKeepsEverythingUpToTheLastAudibleFrame)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double limit = std::pow(10.0, -90.0 / 20.0);
    struct Case {
        const char* what;
        std::vector<std::vector<double>> channels;
        std::size_t kept;
    };
    const Case cases[] = {
        {"quiet end on both channels", {{0.5, 0.1, 1e-6, 0.0}, {0.2, 1e-3, 0.0, 1e-7}}, 2},
        {"the louder channel decides", {{0.5, 0.0, 0.0, 0.0}, {0.0, 0.0, -0.01, 0.0}}, 3},
        {"a sample at the limit is kept", {{0.5, limit, limit * 0.99}}, 2},
        {"nothing below the limit", {{0.5, 0.5, -0.5}}, 3},
        {"all silent", {{0.0, 1e-9}, {0.0, 0.0}}, 0},
        {"a non-finite sample is not silence", {{0.5, 0.0, nan, 0.0}}, 3},
        {"no frames", {{}, {}}, 0},
    };
    for (const Case& c : cases) {
        host::AudioBuffer b = buffer(c.channels);
        EXPECT_EQ(host::trimTail(b, -90.0), c.kept) << c.what;
        for (std::size_t ch = 0; ch < b.channels.size(); ++ch) {
            ASSERT_EQ(b.channels[ch].size(), c.kept) << c.what;
            for (std::size_t i = 0; i < c.kept; ++i) {
                if (!std::isnan(c.channels[ch][i])) {
                    EXPECT_EQ(b.channels[ch][i], c.channels[ch][i]) << c.what;
                }
            }
        }
    }
}

TEST(OutputShaping, NormalizeScalesAllChannelsByOneFactor)
{
    host::AudioBuffer b = buffer({{0.1, -0.4, 0.2}, {0.05, 0.0, -0.2}});
    ASSERT_TRUE(host::normalizePeak(b, -6.0));
    const double target = std::pow(10.0, -6.0 / 20.0);
    EXPECT_DOUBLE_EQ(b.channels[0][1], -target);
    EXPECT_DOUBLE_EQ(b.channels[1][2], -0.5 * target);
    EXPECT_DOUBLE_EQ(b.channels[1][0], 0.125 * target);

    // Nothing to scale: silence stays silence; an infinity does not set the peak.
    host::AudioBuffer silent = buffer({{0.0, 0.0}});
    EXPECT_FALSE(host::normalizePeak(silent, 0.0));
    EXPECT_EQ(silent.channels[0], (std::vector<double>{0.0, 0.0}));
    host::AudioBuffer withInfinity = buffer({{0.25, std::numeric_limits<double>::infinity()}});
    ASSERT_TRUE(host::normalizePeak(withInfinity, 0.0));
    EXPECT_DOUBLE_EQ(withInfinity.channels[0][0], 1.0);
}
