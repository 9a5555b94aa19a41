// The audio thread never allocates: every operator new of this test program
// is counted while a process call runs.

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <random>
#include <vector>

#include "FakeHost.h"

namespace {

std::atomic<bool> counting{false};   // true while a process call is measured
std::atomic<long> allocations{0};    // operator new calls while counting

void* allocate(std::size_t size)
{
    if (counting.load(std::memory_order_relaxed))
        allocations.fetch_add(1, std::memory_order_relaxed);
    return std::malloc(size == 0 ? 1 : size);
}

void* allocateAligned(std::size_t size, std::align_val_t alignment)
{
    if (counting.load(std::memory_order_relaxed))
        allocations.fetch_add(1, std::memory_order_relaxed);
    const std::size_t align = static_cast<std::size_t>(alignment);
    const std::size_t rounded = (size + align - 1) / align * align;
    return std::aligned_alloc(align, rounded == 0 ? align : rounded);
}

} // namespace

void* operator new(std::size_t size)
{
    if (void* p = allocate(size))
        return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size)
{
    if (void* p = allocate(size))
        return p;
    throw std::bad_alloc();
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return allocate(size); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return allocate(size); }
void* operator new(std::size_t size, std::align_val_t alignment)
{
    if (void* p = allocateAligned(size, alignment))
        return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size, std::align_val_t alignment)
{
    if (void* p = allocateAligned(size, alignment))
        return p;
    throw std::bad_alloc();
}
// The replacements above allocate with malloc, so free is the matching
// release; GCC cannot see through the replacement and warns otherwise.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
#endif
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
void operator delete(void* p, std::align_val_t) noexcept { std::free(p); }
void operator delete[](void* p, std::align_val_t) noexcept { std::free(p); }
void operator delete(void* p, std::size_t, std::align_val_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t, std::align_val_t) noexcept { std::free(p); }

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
