#pragma once

#include <atomic>

// A setting written on a parameter thread and read by the audio thread.
// Each load and store is a single atomic access with relaxed ordering: on
// x86-64 and AArch64 it compiles to a plain move, but the C++ memory model
// sees no data race. Use it for independent scalar settings (switches, gains,
// knob positions); values that must change together go through a Mailbox.
template <typename T>
class Relaxed {
public:
    constexpr Relaxed() noexcept : value_(T{}) {}
    constexpr Relaxed(T value) noexcept : value_(value) {}
    Relaxed(const Relaxed& other) noexcept : value_(other.load()) {}
    Relaxed& operator=(const Relaxed& other) noexcept
    {
        store(other.load());
        return *this;
    }
    Relaxed& operator=(T value) noexcept
    {
        store(value);
        return *this;
    }

    T load() const noexcept { return value_.load(std::memory_order_relaxed); }
    void store(T value) noexcept { value_.store(value, std::memory_order_relaxed); }
    operator T() const noexcept { return load(); }

private:
    std::atomic<T> value_;
    static_assert(std::atomic<T>::is_always_lock_free, "Relaxed<T> must be lock-free");
};
