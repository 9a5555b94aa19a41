#pragma once

#include <atomic>
#include <bit>
#include <cstdint>
#include <type_traits>

// A setting written on a parameter thread and read by the audio thread.
// Each load and store is a single atomic access with relaxed ordering: on
// x86-64 and AArch64 it compiles to a plain move, but the C++ memory model
// sees no data race. Use it for independent scalar settings (switches, gains,
// knob positions) and for small records of 8 bytes or less that must never
// be seen half-written (a period with its frequency); larger sets of values
// that must change together go through a Mailbox.
//
// Records are stored as an unsigned integer of their size, so every access is
// a plain lock-free integer access on any compiler, with no libatomic call.
template <typename T>
class Relaxed {
    static_assert(std::is_trivially_copyable_v<T>, "Relaxed<T> holds plain values only");

    template <std::size_t Size>
    static auto storageFor()
    {
        if constexpr (Size == 1) return std::uint8_t{};
        else if constexpr (Size == 2) return std::uint16_t{};
        else if constexpr (Size == 4) return std::uint32_t{};
        else if constexpr (Size == 8) return std::uint64_t{};
    }
    using Storage = std::conditional_t<std::is_scalar_v<T>, T, decltype(storageFor<sizeof(T)>())>;
    static_assert(!std::is_void_v<Storage>, "Relaxed<T> records must be 1, 2, 4 or 8 bytes");

    static constexpr Storage encode(T value) noexcept
    {
        if constexpr (std::is_same_v<Storage, T>) return value;
        else return std::bit_cast<Storage>(value);
    }
    static constexpr T decode(Storage bits) noexcept
    {
        if constexpr (std::is_same_v<Storage, T>) return bits;
        else return std::bit_cast<T>(bits);
    }

public:
    constexpr Relaxed() noexcept : value_(encode(T{})) {}
    constexpr Relaxed(T value) noexcept : value_(encode(value)) {}
    Relaxed(const Relaxed& other) noexcept : value_(encode(other.load())) {}
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

    T load() const noexcept { return decode(value_.load(std::memory_order_relaxed)); }
    void store(T value) noexcept { value_.store(encode(value), std::memory_order_relaxed); }
    operator T() const noexcept { return load(); }

private:
    std::atomic<Storage> value_;
    static_assert(std::atomic<Storage>::is_always_lock_free, "Relaxed<T> must be lock-free");
};
