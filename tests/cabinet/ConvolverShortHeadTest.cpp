// The stages spread the work of a block over the samples of the next one, in
// eight steps. With short heads (stage blocks of 4 or 8 samples) there are
// fewer samples than steps and the rest is done at the next block transform;
// the result must still be the exact linear convolution, also across
// response loads at arbitrary samples.

#include "cabinet/Convolver.h"
#include "tests/support/Signals.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

using testing_support::noise;

class ConvolverShortHead : public ::testing::TestWithParam<int> {};

TEST_P(ConvolverShortHead, MatchesDirectConvolution)
{
    const int head = GetParam();
    Convolver conv(head);
    const std::size_t length = std::size_t(conv.responseLength());
    const std::vector<double> h = noise(length, 11, 4.0 / double(length));
    conv.loadResponse(h.data());
    const std::vector<double> x = noise(3 * length + 5, 12, 0.0);
    double worst = 0.0, scale = 0.0;
    for (std::size_t n = 0; n < x.size(); ++n) {
        const double y = conv.processSample(x[n]);
        long double sum = 0;
        for (std::size_t k = 0; k < length && k <= n; ++k)
            sum += (long double)h[k] * x[n - k];
        worst = std::max(worst, std::abs(y - double(sum)));
        scale = std::max(scale, std::abs(double(sum)));
    }
    EXPECT_LT(worst, 1e-12 * scale);
}

// Loads at samples that fall between steps, on block boundaries and twice
// in a row: after the last load has played through, an impulse returns
// exactly that response.
TEST_P(ConvolverShortHead, LoadsBetweenStepsLeaveTheLastResponse)
{
    const int head = GetParam();
    Convolver conv(head);
    const std::size_t length = std::size_t(conv.responseLength());
    std::vector<std::vector<double>> responses;
    for (unsigned i = 0; i < 3; ++i)
        responses.push_back(noise(length, 20 + i, 2.0 / double(length)));
    const std::vector<double> x = noise(4 * length, 30, 0.0);
    std::size_t loads = 0;
    for (std::size_t n = 0; n < x.size(); ++n) {
        if (n % std::size_t(3 * head + 1) == 0)
            conv.loadResponse(responses[loads++ % responses.size()].data());
        conv.processSample(x[n]);
    }
    const std::vector<double>& last = responses[(loads - 1) % responses.size()];
    for (std::size_t n = 0; n < length; ++n)
        conv.processSample(0.0);
    double worst = 0.0;
    for (std::size_t n = 0; n < length; ++n)
        worst = std::max(worst, std::abs(conv.processSample(n == 0 ? 1.0 : 0.0) - last[n]));
    EXPECT_LT(worst, 1e-12);
}

INSTANTIATE_TEST_SUITE_P(HeadLengths, ConvolverShortHead, ::testing::Values(4, 8, 16, 64));

} // namespace
