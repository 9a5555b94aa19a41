#pragma once

// Replaces the global operator new and delete of a test program so that it
// can count allocations. Include it in exactly one source file of the
// program, and define there
//
//   void countAllocation();
//
// which every operator new calls before it allocates (with malloc or
// aligned_alloc; every operator delete frees). The function decides whether
// the allocation counts (a flag, the calling thread).

#include <cstddef>
#include <cstdlib>
#include <new>

void countAllocation();

namespace counting_new {

inline void* allocate(std::size_t size)
{
    countAllocation();
    return std::malloc(size == 0 ? 1 : size);
}

inline void* allocateAligned(std::size_t size, std::align_val_t alignment)
{
    countAllocation();
    const std::size_t align = static_cast<std::size_t>(alignment);
    const std::size_t rounded = (size + align - 1) / align * align;
    return std::aligned_alloc(align, rounded == 0 ? align : rounded);
}

} // namespace counting_new

void* operator new(std::size_t size)
{
    if (void* p = counting_new::allocate(size))
        return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size)
{
    if (void* p = counting_new::allocate(size))
        return p;
    throw std::bad_alloc();
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return counting_new::allocate(size); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return counting_new::allocate(size); }
void* operator new(std::size_t size, std::align_val_t alignment)
{
    if (void* p = counting_new::allocateAligned(size, alignment))
        return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size, std::align_val_t alignment)
{
    if (void* p = counting_new::allocateAligned(size, alignment))
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
