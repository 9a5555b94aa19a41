// A host that plays automation from its audio thread: before every block it
// sets every parameter, while a user-interface thread switches programs,
// restores chunks that name a response file and moves controls. The audio
// thread must never allocate, open a file, lock, sleep or make the futex
// call that waking a waiting thread takes.
//
// This program replaces operator new, the file-opening calls, the mutex and
// sleep calls and syscall(): each counts a call made on the thread marked as
// the audio thread, then does what the original does.

#include <gtest/gtest.h>

#include <dlfcn.h>
#include <fcntl.h>
#include <pthread.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <new>
#include <string>
#include <thread>
#include <vector>

#include "FakeHost.h"
#include "tests/support/CountingNew.h"
#include "tests/support/WavFixture.h"

namespace {

thread_local bool onAudioThread = false; // set by the test's audio thread

struct Counters {
    std::atomic<long> allocations{0};
    std::atomic<long> fileOpens{0};
    std::atomic<long> locks{0};
    std::atomic<long> sleeps{0};
    std::atomic<long> futexCalls{0};
} counters;

void count(std::atomic<long>& counter)
{
    if (onAudioThread)
        counter.fetch_add(1, std::memory_order_relaxed);
}

template <typename Function>
Function next(const char* name)
{
    return reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
}

} // namespace

void countAllocation() { count(counters.allocations); }

extern "C" {

int open(const char* path, int flags, ...)
{
    count(counters.fileOpens);
    va_list args;
    va_start(args, flags);
    const mode_t mode = (flags & (O_CREAT | O_TMPFILE)) != 0 ? mode_t(va_arg(args, int)) : 0;
    va_end(args);
    static const auto real = next<int (*)(const char*, int, ...)>("open");
    return real(path, flags, mode);
}

int open64(const char* path, int flags, ...)
{
    count(counters.fileOpens);
    va_list args;
    va_start(args, flags);
    const mode_t mode = (flags & (O_CREAT | O_TMPFILE)) != 0 ? mode_t(va_arg(args, int)) : 0;
    va_end(args);
    static const auto real = next<int (*)(const char*, int, ...)>("open64");
    return real(path, flags, mode);
}

int openat(int folder, const char* path, int flags, ...)
{
    count(counters.fileOpens);
    va_list args;
    va_start(args, flags);
    const mode_t mode = (flags & (O_CREAT | O_TMPFILE)) != 0 ? mode_t(va_arg(args, int)) : 0;
    va_end(args);
    static const auto real = next<int (*)(int, const char*, int, ...)>("openat");
    return real(folder, path, flags, mode);
}

FILE* fopen(const char* path, const char* mode)
{
    count(counters.fileOpens);
    static const auto real = next<FILE* (*)(const char*, const char*)>("fopen");
    return real(path, mode);
}

FILE* fopen64(const char* path, const char* mode)
{
    count(counters.fileOpens);
    static const auto real = next<FILE* (*)(const char*, const char*)>("fopen64");
    return real(path, mode);
}

int pthread_mutex_lock(pthread_mutex_t* mutex)
{
    count(counters.locks);
    static const auto real = next<int (*)(pthread_mutex_t*)>("pthread_mutex_lock");
    return real(mutex);
}

int nanosleep(const struct timespec* duration, struct timespec* remaining)
{
    count(counters.sleeps);
    static const auto real = next<int (*)(const struct timespec*, struct timespec*)>("nanosleep");
    return real(duration, remaining);
}

int clock_nanosleep(clockid_t clock, int flags, const struct timespec* duration, struct timespec* remaining)
{
    count(counters.sleeps);
    static const auto real =
        next<int (*)(clockid_t, int, const struct timespec*, struct timespec*)>("clock_nanosleep");
    return real(clock, flags, duration, remaining);
}

int sched_yield()
{
    count(counters.sleeps);
    static const auto real = next<int (*)()>("sched_yield");
    return real();
}

// std::atomic::wait and notify, and the C++ library's mutexes and condition
// variables when they park, reach the kernel through syscall(SYS_futex).
long syscall(long number, ...)
{
    if (number == SYS_futex)
        count(counters.futexCalls);
    va_list args;
    va_start(args, number);
    long a[6];
    for (long& value : a)
        value = va_arg(args, long);
    va_end(args);
    static const auto real = next<long (*)(long, ...)>("syscall");
    return real(number, a[0], a[1], a[2], a[3], a[4], a[5]);
}

} // extern "C"

namespace {

// The plug-in writes the counters' own work (dlsym's first look-ups) at its
// first calls: make them once before anything is counted.
void warmUpInterposers()
{
    if (FILE* f = fopen("/dev/null", "r"))
        std::fclose(f);
    const int fd = open("/dev/null", O_RDONLY);
    if (fd >= 0)
        close(fd);
    pthread_mutex_t mutex = PTHREAD_MUTEX_INITIALIZER;
    pthread_mutex_lock(&mutex);
    pthread_mutex_unlock(&mutex);
    sched_yield();
}

} // namespace

TEST(AudioThread, CountersSeeWhatTheyCount)
{
    warmUpInterposers();
    const long allocations = counters.allocations, opens = counters.fileOpens, locks = counters.locks,
               sleeps = counters.sleeps;
    std::thread probe([] {
        onAudioThread = true;
        int* volatile kept = new int(3);
        delete kept;
        if (FILE* f = std::fopen("/dev/null", "r"))
            std::fclose(f);
        pthread_mutex_t mutex = PTHREAD_MUTEX_INITIALIZER;
        pthread_mutex_lock(&mutex);
        pthread_mutex_unlock(&mutex);
        std::this_thread::sleep_for(std::chrono::microseconds(1));
        onAudioThread = false;
    });
    probe.join();
    EXPECT_EQ(counters.allocations - allocations, 1);
    EXPECT_EQ(counters.fileOpens - opens, 1);
    EXPECT_EQ(counters.locks - locks, 1);
    EXPECT_EQ(counters.sleeps - sleeps, 1);
}

TEST(AudioThread, AutomationOnTheAudioThreadNeverAllocatesOpensOrWaits)
{
    warmUpInterposers();
    auto plugin = makePlugin();
    FakeHost::instance().answerTime = true;
    plugin->setSampleRate(48000.0f);
    plugin->resume();

    const std::string responsePath = testing::TempDir() + "selvarine-audio-thread-" + std::to_string(::getpid()) + ".wav";
    {
        // A stereo response of 4096 decaying frames.
        std::vector<std::int16_t> samples;
        for (int n = 0; n < 4096; ++n)
            for (int ch = 0; ch < 2; ++ch)
                samples.push_back(std::int16_t(20000.0 * std::exp(-n / 600.0) * std::cos(0.1 * n + ch)));
        const auto bytes = fixture::wav16(samples, 2);
        FILE* file = std::fopen(responsePath.c_str(), "wb");
        ASSERT_NE(file, nullptr);
        std::fwrite(bytes.data(), 1, bytes.size(), file);
        std::fclose(file);
    }
    std::vector<ProgramRecord> chunks;
    for (int p : {4, 12, 17}) {
        ProgramRecord record = plugin->programRecord(p);
        std::snprintf(record.irPath, sizeof record.irPath, "%s", responsePath.c_str());
        chunks.push_back(record);
    }

    constexpr int kMinBlocks = 1500;  // 4 s of 128-frame blocks at 48 kHz, played as fast as they come ...
    constexpr long kMinChanges = 60;  // ... and for as long as the user takes to make these changes
    constexpr int kFrames = 128;
    std::atomic<int> lastBlock{0};
    std::atomic<bool> audioDone{false};
    std::atomic<long> userChanges{0};
    counters.allocations = counters.fileOpens = counters.locks = counters.sleeps = counters.futexCalls = 0;

    std::atomic<bool> userStopped{false};
    auto automate = [&](int block) {
        for (int i = 0; i < param::Count; ++i)
            plugin->setParameter(i, float((block + 7 * i) % 100) / 99.0f);
    };

    std::thread audio([&] {
        std::vector<float> left(kFrames), right(kFrames);
        onAudioThread = true;
        int block = 0;
        for (; block < kMinBlocks || userChanges.load() < kMinChanges; ++block) {
            // Automation: every parameter ramps, switches and selectors included.
            automate(block);
            for (int n = 0; n < kFrames; ++n)
                left[std::size_t(n)] = right[std::size_t(n)] = 0.2f * float(std::sin(0.03 * double(block * kFrames + n)));
            float* io[2] = {left.data(), right.data()};
            plugin->processReplacing(io, io, kFrames);
            (void)plugin->getParameter(block % param::Count);
        }
        // One last round once the user has let go, for the read-back below.
        audioDone = true;
        while (!userStopped.load()) {
        }
        automate(block);
        onAudioThread = false;
        lastBlock = block;
    });
    std::thread user([&] {
        for (int step = 0; !audioDone.load(); ++step) {
            switch (step % 3) {
            case 0:
                plugin->setProgram((step * 5) % 24);
                break;
            case 1: {
                ProgramRecord record = chunks[std::size_t(step) % chunks.size()];
                EXPECT_EQ(plugin->setChunk(&record, sizeof record, true), 1);
                break;
            }
            default:
                // A microphone dragged in the editor.
                plugin->setParameterAutomated(param::Mic1Distance, float(step % 50) / 49.0f);
                plugin->wakeSettingsWorker();
                break;
            }
            ++userChanges;
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        userStopped = true;
    });
    audio.join();
    user.join();
    plugin->waitForSettings();
    std::remove(responsePath.c_str());

    EXPECT_GE(userChanges.load(), kMinChanges);
    EXPECT_EQ(counters.allocations.load(), 0);
    EXPECT_EQ(counters.fileOpens.load(), 0);
    EXPECT_EQ(counters.locks.load(), 0);
    EXPECT_EQ(counters.sleeps.load(), 0);
    EXPECT_EQ(counters.futexCalls.load(), 0);
    // Everything the audio thread set last is what hosts read back, and what
    // the current program holds.
    const ProgramRecord current = plugin->programRecord(plugin->getProgram());
    for (int i = 0; i < param::Count; ++i) {
        const float expected = float((lastBlock.load() + 7 * i) % 100) / 99.0f;
        EXPECT_EQ(plugin->getParameter(i), expected) << param::kNames[i];
        EXPECT_EQ(current.params[i], expected) << param::kNames[i];
    }
}
