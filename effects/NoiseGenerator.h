#pragma once

#include <cstdint>

// A small linear congruential generator giving uniform integers 0..32767,
// owned by each block that needs noise so that no plug-in instance shares
// (or races on) a process-wide generator. A fixed seed keeps renders
// reproducible.
//
// Threads: whoever owns it; the spring's lines draw on the audio thread.
class NoiseGenerator {
public:
    static constexpr int kMax = 32767; // largest value next() returns

    explicit constexpr NoiseGenerator(std::uint32_t seed = 1) noexcept : state_(seed) {}

    void seed(std::uint32_t value) noexcept { state_ = value; }

    // Next value, uniform over 0..kMax: bits 16..30 of the state, whose
    // period is the full 2^32 of the recurrence.
    int next() noexcept
    {
        state_ = state_ * 214013u + 2531011u;
        return int((state_ >> 16) & 0x7FFFu);
    }

private:
    std::uint32_t state_; // recurrence state, wraps modulo 2^32
};
