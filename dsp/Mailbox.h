#pragma once

#include <atomic>
#include <cstdint>

// Hands a set of values (a coefficient set, a prepared response) from one
// writer thread to the audio thread without locks and without tearing: a
// triple buffer. The writer fills draft() completely and calls publish(); the
// audio thread calls fetch() and, when it answers true, reads current().
// The newest publication always wins; a set that was published but not yet
// fetched is replaced, never lost half-way.
//
// One writer at a time (owners serialise their writers) and one reader.
// The slot returned by draft() holds stale contents from an earlier round:
// the writer must write every field it wants the reader to see.
template <typename T>
class Mailbox {
public:
    Mailbox() = default;
    Mailbox(const Mailbox&) = delete;
    Mailbox& operator=(const Mailbox&) = delete;

    // Writer side.
    T& draft() noexcept { return slots_[writeIndex_]; }
    void publish() noexcept
    {
        const std::uint8_t previous = middle_.exchange(std::uint8_t(writeIndex_ | kFresh), std::memory_order_acq_rel);
        writeIndex_ = std::uint8_t(previous & kIndexMask);
    }

    // Reader side (the audio thread). Returns true when a new set was taken up.
    bool fetch() noexcept
    {
        if ((middle_.load(std::memory_order_relaxed) & kFresh) == 0)
            return false;
        const std::uint8_t previous = middle_.exchange(readIndex_, std::memory_order_acq_rel);
        readIndex_ = std::uint8_t(previous & kIndexMask);
        return true;
    }
    const T& current() const noexcept { return slots_[readIndex_]; }

    // True when a publication is waiting to be fetched (for either side's
    // bookkeeping; the answer may be stale by the time it is used).
    bool pending() const noexcept { return (middle_.load(std::memory_order_acquire) & kFresh) != 0; }

    // Drops a waiting publication. Only while the reader is not running
    // (construction, resume, reset), from the thread that owns the reader side.
    void discard() noexcept { fetch(); }

private:
    static constexpr std::uint8_t kIndexMask = 3;
    static constexpr std::uint8_t kFresh = 4;

    T slots_[3]{};                          // draft, middle and current slots, rotating
    std::atomic<std::uint8_t> middle_{1};   // index of the middle slot, plus kFresh when it holds a new set
    std::uint8_t writeIndex_ = 0;           // writer-owned: slot being drafted
    std::uint8_t readIndex_ = 2;            // reader-owned: slot the audio thread reads
};
