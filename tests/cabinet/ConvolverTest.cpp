#include "cabinet/Convolver.h"
#include "tests/support/Signals.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>
#include <random>
#include <thread>
#include <vector>

namespace {

using Signal = std::vector<double>;

using testing_support::maxDifference;
using testing_support::noise;
using testing_support::peak;

Signal run(Convolver& conv, const Signal& input)
{
    Signal y(input.size());
    for (std::size_t i = 0; i < input.size(); ++i)
        y[i] = conv.processSample(input[i]);
    return y;
}

// y[n] = sum over k of h[k]·x[n-k], the first h.size() taps.
Signal directConvolution(const Signal& h, const Signal& x)
{
    Signal y(x.size(), 0.0);
    for (std::size_t n = 0; n < x.size(); ++n) {
        long double sum = 0;
        const std::size_t taps = std::min(h.size(), n + 1);
        for (std::size_t k = 0; k < taps; ++k)
            sum += (long double)h[k] * x[n - k];
        y[n] = double(sum);
    }
    return y;
}

class ConvolverSizes : public ::testing::TestWithParam<int> {};

} // namespace

INSTANTIATE_TEST_SUITE_P(HeadLengths, ConvolverSizes, ::testing::Values(Convolver::kSmallHead, Convolver::kLargeHead));

TEST_P(ConvolverSizes, ImpulseReproducesTheResponseWithoutLatency)
{
    Convolver conv(GetParam());
    conv.clear();
    const std::size_t length = std::size_t(conv.responseLength());
    ASSERT_EQ(length, std::size_t(64 * GetParam()));
    const Signal h = noise(length, 11, 3.0 / double(length));
    conv.loadResponse(h.data());

    Signal input(length + 600, 0.0);
    input[0] = 1.0;
    const Signal y = run(conv, input);
    for (std::size_t n = 0; n < length; ++n)
        ASSERT_NEAR(y[n], h[n], 1e-12) << "sample " << n;
    for (std::size_t n = length; n < y.size(); ++n)
        ASSERT_NEAR(y[n], 0.0, 1e-12) << "sample " << n;
}

TEST_P(ConvolverSizes, RandomInputMatchesDirectConvolution)
{
    Convolver conv(GetParam());
    conv.clear();
    const std::size_t length = std::size_t(conv.responseLength());
    // Twice as long as the convolver: the taps beyond 64·B must be ignored.
    const Signal h = noise(2 * length, 5, 1.0 / double(length));
    conv.loadResponse(h.data());
    const Signal x = noise(2 * length + 1000, 6);
    const Signal y = run(conv, x);
    const Signal expected = directConvolution(Signal(h.begin(), h.begin() + std::ptrdiff_t(length)), x);
    EXPECT_LT(maxDifference(y, expected), 1e-9 * peak(expected));
}

// Responses confined to one part of the convolver: each part alone must
// still sit at its exact place, with no latency.
TEST_P(ConvolverSizes, ResponsesConfinedToOnePartKeepTheirTiming)
{
    const int b = GetParam();
    struct Case {
        const char* name;
        int first; // first non-zero tap
        int last;  // last non-zero tap
    };
    const Case cases[] = {
        {"head only", 0, b - 1},
        {"first stage only", b, 8 * b - 1},
        {"second stage only", 8 * b, 64 * b - 1},
        {"stages only", b, 64 * b - 1},
        {"last tap only", 64 * b - 1, 64 * b - 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Convolver conv(b);
        conv.clear();
        Signal h(std::size_t(conv.responseLength()), 0.0);
        const Signal values = noise(h.size(), 21);
        for (int k = c.first; k <= c.last; ++k)
            h[std::size_t(k)] = values[std::size_t(k)];
        conv.loadResponse(h.data());
        const Signal x = noise(h.size() + 600, 22);
        const Signal y = run(conv, x);
        const Signal expected = directConvolution(h, x);
        EXPECT_LT(maxDifference(y, expected), 1e-9 * std::max(peak(expected), 1e-300));
    }
}

// The host's block size plays no part, even when a response (the same one)
// is published again at every block boundary, as a parameter rebuild per
// block would do.
TEST(Convolver, OutputDoesNotDependOnBlockSplitOrRepublication)
{
    const Signal h = noise(4096, 31, 1e-3);
    const Signal x = noise(4096 + 1500, 32);

    Convolver whole(Convolver::kSmallHead);
    whole.clear();
    whole.loadResponse(h.data());
    const Signal reference = run(whole, x);

    for (std::size_t block : {std::size_t(1), std::size_t(37), std::size_t(4096)}) {
        SCOPED_TRACE(block);
        Convolver conv(Convolver::kSmallHead);
        conv.clear();
        conv.loadResponse(h.data());
        Signal y(x.size());
        for (std::size_t start = 0; start < x.size(); start += block) {
            const std::size_t end = std::min(x.size(), start + block);
            for (std::size_t i = start; i < end; ++i)
                y[i] = conv.processSample(x[i]);
            conv.loadResponse(h.data());
        }
        EXPECT_EQ(y, reference);
    }
}

TEST(Convolver, ClearSilencesRunningStateUntilNewInput)
{
    Convolver conv(Convolver::kSmallHead);
    conv.clear();
    const Signal h = noise(4096, 41, 1e-3);
    conv.loadResponse(h.data());
    run(conv, noise(5000, 42)); // mid-block, with tails in flight in both stages

    conv.clear();
    // Without a new load the response itself is gone: even input is silent.
    const Signal afterClear = run(conv, noise(300, 43));
    EXPECT_EQ(peak(afterClear), 0.0);

    conv.clear();
    conv.loadResponse(h.data());
    const Signal silence = run(conv, Signal(6000, 0.0));
    EXPECT_EQ(peak(silence), 0.0);

    // The running state restarts cleanly: an impulse gives the response.
    Signal impulse(4096, 0.0);
    impulse[0] = 1.0;
    const Signal y = run(conv, impulse);
    EXPECT_LT(maxDifference(y, h), 1e-12);
}

// Clearing the history keeps the response and restarts the running state at
// every split point (mid-block, right after a block, several blocks in):
// what follows is bit for bit what a new convolver with the same response
// gives, and a stage that never ran is left as it is.
TEST_P(ConvolverSizes, ClearHistorySoundsLikeANewConvolver)
{
    const int b = GetParam();
    const Signal h = noise(std::size_t(64 * b), 51, 2e-4);
    const Signal later = noise(std::size_t(20 * b), 52);
    Convolver fresh(b);
    fresh.loadResponse(h.data());
    const Signal expected = run(fresh, later);

    for (const int before : {0, 1, b / 2, b, 8 * b + 3, 17 * b}) {
        SCOPED_TRACE(before);
        Convolver used(b);
        used.loadResponse(h.data());
        run(used, noise(std::size_t(before), 53));
        used.clearHistory();
        const Signal actual = run(used, later);
        ASSERT_EQ(actual.size(), expected.size());
        for (std::size_t i = 0; i < actual.size(); ++i)
            ASSERT_EQ(std::memcmp(&actual[i], &expected[i], sizeof(double)), 0) << "sample " << i;
    }
}

// After a switch the products already computed keep the old response: the
// block of stage inputs that is transformed at call t uses the response
// current at call t, for all of its partitions; the head uses the response
// current at each call. Reference: a direct time-domain model of exactly that.
TEST(Convolver, ResponseSwitchLetsProductsInFlightPlayOut)
{
    const int b = Convolver::kSmallHead;
    const std::size_t length = std::size_t(64 * b);
    const std::vector<Signal> responses = {noise(length, 51, 1e-3), noise(length, 52, 1e-3), noise(length, 53, 1e-3),
                                           noise(length, 54, 1e-3)};
    // Calls before which a response is loaded (index into responses). The
    // call 2·512 is a block boundary of both stages; 2·512 + 37 is mid-block;
    // two loads before the same call: the newer one wins.
    struct Load {
        std::size_t call;
        int response;
    };
    const std::vector<Load> loads = {{0, 0}, {1024, 1}, {1024 + 37, 2}, {1024 + 37, 3}, {3000, 0}};
    const Signal x = noise(3 * length, 55);

    Convolver conv(b);
    conv.clear();
    Signal y(x.size());
    std::vector<int> active(x.size()); // response active at each call
    std::size_t next = 0;
    int current = 0;
    for (std::size_t n = 0; n < x.size(); ++n) {
        while (next < loads.size() && loads[next].call == n) {
            conv.loadResponse(responses[std::size_t(loads[next].response)].data());
            current = loads[next].response;
            ++next;
        }
        active[n] = current;
        y[n] = conv.processSample(x[n]);
    }

    Signal expected(x.size(), 0.0);
    const std::size_t stageBlocks[] = {std::size_t(b), std::size_t(8 * b)};
    for (std::size_t n = 0; n < x.size(); ++n) {
        long double sum = 0;
        const Signal& now = responses[std::size_t(active[n])];
        for (std::size_t k = 0; k < std::size_t(b) && k <= n; ++k)
            sum += (long double)now[k] * x[n - k];
        for (std::size_t block : stageBlocks) {
            // Taps block..8·block-1; input m belongs to the block transformed
            // at call (m / block + 1)·block.
            for (std::size_t tap = block; tap < 8 * block && tap <= n; ++tap) {
                const std::size_t m = n - tap;
                const std::size_t transformedAt = (m / block + 1) * block;
                sum += (long double)responses[std::size_t(active[transformedAt])][tap] * x[m];
            }
        }
        expected[n] = double(sum);
    }
    EXPECT_LT(maxDifference(y, expected), 1e-9 * peak(expected));
}

// One thread publishes responses while another convolves: run under
// ThreadSanitizer this shows the hand-over is free of data races. The audio
// side must stay finite and end up with the last response loaded. Blocks of
// 256 frames take the block path, whose stages form products from the
// installed set when they are due and so hold on to it longer.
class ConvolverConcurrentLoading : public ::testing::TestWithParam<int> {};

INSTANTIATE_TEST_SUITE_P(CallSizes, ConvolverConcurrentLoading, ::testing::Values(1, 256));

TEST_P(ConvolverConcurrentLoading, IsRaceFreeAndTheLastResponseWins)
{
    const int callSize = GetParam();
    const std::size_t length = 4096;
    std::vector<Signal> responses;
    for (unsigned i = 0; i < 4; ++i)
        responses.push_back(noise(length, 60 + i, 1e-3));

    Convolver conv(Convolver::kSmallHead);
    conv.clear();
    conv.loadResponse(responses[0].data());

    std::atomic<bool> loading{true};
    std::atomic<bool> allFinite{true};
    std::thread audio([&] {
        std::mt19937 rng(70);
        std::uniform_real_distribution<double> dist(-1.0, 1.0);
        bool finite = true;
        std::size_t processed = 0;
        Signal block(std::size_t(callSize), 0.0);
        while (loading.load(std::memory_order_acquire) || processed < 20000) {
            for (double& v : block)
                v = dist(rng);
            if (callSize == 1)
                block[0] = conv.processSample(block[0]);
            else
                conv.processBlock(block.data(), callSize);
            for (double v : block)
                finite = finite && std::isfinite(v);
            processed += block.size();
        }
        allFinite.store(finite);
    });
    const int loadCount = 300;
    for (int i = 0; i < loadCount; ++i) {
        conv.loadResponse(responses[std::size_t(i % 4)].data());
        std::this_thread::yield();
    }
    const Signal& last = responses[std::size_t((loadCount - 1) % 4)];
    loading.store(false, std::memory_order_release);
    audio.join();
    EXPECT_TRUE(allFinite.load());

    // Let everything in flight play out, then an impulse shows the response.
    run(conv, Signal(length, 0.0));
    Signal impulse(length, 0.0);
    impulse[0] = 1.0;
    EXPECT_LT(maxDifference(run(conv, impulse), last), 1e-12);
}
