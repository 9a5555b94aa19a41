#pragma once

#include <atomic>

// The turn of the plug-in's writers (host threads that change programs,
// chunks, parameters or the processing state): one writer at a time.
//
// A writer that may wait takes the turn with enter(); one that must not wait
// (the host's parameter path, often its audio thread) asks with tryEnter()
// and, when the turn is taken, leaves its work for the holder to pick up.
// For that hand-over to lose nothing, every access is sequentially
// consistent: a caller that publishes work and then finds the turn taken,
// and a holder that gives the turn back and then looks for work, cannot both
// miss each other.
//
// Waiting uses std::atomic::wait (a futex on Linux), not a spin.
class WriterTurn {
public:
    // Waits until the turn is free and takes it.
    void enter() noexcept
    {
        while (taken.exchange(1, std::memory_order_seq_cst) != 0)
            taken.wait(1, std::memory_order_relaxed);
    }

    // Takes the turn if it is free; never waits.
    bool tryEnter() noexcept { return taken.exchange(1, std::memory_order_seq_cst) == 0; }

    // Gives the turn back and wakes one waiting writer.
    void leave() noexcept
    {
        taken.store(0, std::memory_order_seq_cst);
        taken.notify_one();
    }

private:
    std::atomic<int> taken{0}; // 1 while a writer holds the turn
};
