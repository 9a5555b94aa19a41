#pragma once

#include <atomic>
#include <cstdint>

namespace editor {

// Hands "this parameter changed" from any thread (host automation, the audio
// thread, the editor itself) to the user-interface thread. Posting sets a bit;
// the user-interface thread takes all bits at once on idle and reads the
// values back from the plug-in. Lock-free and allocation-free.
class ParameterMailbox {
public:
    static constexpr int kCapacity = 64;

    // Any thread. Indices outside 0..63 are ignored.
    void post(int index)
    {
        if (index < 0 || index >= kCapacity)
            return;
        // release: the value written before the post is visible to the taker.
        bits.fetch_or(std::uint64_t{1} << index, std::memory_order_release);
    }

    // User-interface thread: the indices posted since the last take.
    std::uint64_t take() { return bits.exchange(0, std::memory_order_acquire); }

private:
    std::atomic<std::uint64_t> bits{0};
};

} // namespace editor
