#pragma once

#include <atomic>
#include <chrono>
#include <thread>

// The turn of the plug-in's writers (threads that change programs, chunks,
// parameters or the processing state): one writer at a time.
//
// A writer that may wait takes the turn with enter(). One that must not wait
// (the host's parameter path, often its audio thread) asks with tryEnter()
// and, when the turn is taken, leaves its work for the settings worker.
//
// A waiting writer looks again after a short sleep instead of parking on a
// futex, so that leave() is one atomic store: a writer that must not make
// system calls can give the turn back without waking anybody. Turns are held
// for microseconds to a few milliseconds (a response load), and only host
// user-interface threads and the settings worker wait, so the sleeps cost no
// real-time thread anything.
class WriterTurn {
public:
    static constexpr int kSpins = 64;                            // yields before the first sleep
    static constexpr std::chrono::microseconds kNap{50};         // sleep between later looks

    // Waits until the turn is free and takes it.
    void enter() noexcept
    {
        for (int attempt = 0; !tryEnter(); ++attempt) {
            if (attempt < kSpins)
                std::this_thread::yield();
            else
                std::this_thread::sleep_for(kNap);
        }
    }

    // Takes the turn if it is free; never waits. Acquires what the last
    // holder wrote.
    bool tryEnter() noexcept
    {
        return taken.load(std::memory_order_relaxed) == 0 && taken.exchange(1, std::memory_order_acquire) == 0;
    }

    // Gives the turn back, publishing what the holder wrote. No system call.
    void leave() noexcept { taken.store(0, std::memory_order_release); }

private:
    std::atomic<int> taken{0}; // 1 while a writer holds the turn
};
