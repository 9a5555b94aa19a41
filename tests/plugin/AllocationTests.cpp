// The audio thread never allocates: every operator new of this test program
// is counted while a process call runs.

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <random>
#include <vector>

#include "FakeHost.h"
#include "tests/support/CountingNew.h"

namespace {

std::atomic<bool> counting{false};   // true while a process call is measured
std::atomic<long> allocations{0};    // operator new calls while counting

} // namespace

void countAllocation()
{
    if (counting.load(std::memory_order_relaxed))
        allocations.fetch_add(1, std::memory_order_relaxed);
}

namespace {

template <typename Sample>
long allocationsDuring(Doxaro& plugin, std::vector<Sample>& left, std::vector<Sample>& right, int frames)
{
    Sample* channels[2] = {left.data(), right.data()};
    allocations = 0;
    counting = true;
    if constexpr (sizeof(Sample) == sizeof(float))
        plugin.processReplacing(channels, channels, frames);
    else
        plugin.processDoubleReplacing(channels, channels, frames);
    counting = false;
    return allocations.load();
}

} // namespace

TEST(Allocation, CountingWorks)
{
    counting = true;
    allocations = 0;
    auto* probe = new int(3);
    counting = false;
    delete probe;
    EXPECT_EQ(allocations.load(), 1);
}

TEST(Allocation, ProcessingNeverAllocates)
{
    auto plugin = makePlugin();
    FakeHost::instance().answerTime = true;
    std::mt19937 rng(11);
    std::uniform_real_distribution<float> unit(0.0f, 1.0f);
    std::vector<float> leftF(1031), rightF(1031);
    std::vector<double> leftD(1031), rightD(1031);

    for (int round = 0; round < 24; ++round) {
        // Changes between blocks, on this thread: a program, then random values.
        plugin->setProgram(round);
        if (round % 3 == 1)
            for (int i = 1; i < param::Count; ++i)
                plugin->setParameter(i, unit(rng));
        if (round % 4 == 2)
            plugin->setParameter(param::HighRes, 0.0f);
        if (round % 5 == 3)
            plugin->setResponsePath("/nonexistent/file.wav");
        if (round % 7 == 4)
            plugin->setParameter(param::Bypass, 0.0f);
        FakeHost::instance().tempo = 80.0 + round;

        for (std::size_t i = 0; i < leftF.size(); ++i) {
            leftF[i] = rightF[i] = unit(rng) - 0.5f;
            leftD[i] = rightD[i] = unit(rng) - 0.5;
        }
        const int frames = 1 + static_cast<int>(unit(rng) * 1030.0f);
        EXPECT_EQ(allocationsDuring(*plugin, leftF, rightF, frames), 0) << "float, round " << round;
        EXPECT_EQ(allocationsDuring(*plugin, leftD, rightD, frames), 0) << "double, round " << round;
    }
}
