#pragma once

// Two doubles in one vector register (GCC/Clang vector extension). The
// operators act lane by lane with exactly the rounding of the scalar
// operations, so two independent filters can run side by side, one per lane,
// and each gives the bits it gives alone.
typedef double Lanes2 __attribute__((vector_size(16)));

inline Lanes2 splat(double value) noexcept
{
    return Lanes2{value, value};
}
