#pragma once

// The denormal guard: adding and removing a tiny constant turns values far
// below it into exact 0, so a recursive state stops decaying through
// denormals (no flush-to-zero mode is relied on). Only magnitudes below about
// 7.5e-37 (half a unit in the last place of the guard) become 0.
//
// The two operations must stay separate; no compiler folds them without
// -ffast-math, which this project never uses. The two orders round
// differently, so each block keeps the order it was tuned with.

inline constexpr double kDenormalGuard = 1e-20;

// (value - guard) + guard.
inline double flushDenormal(double value) noexcept
{
    value -= kDenormalGuard;
    value += kDenormalGuard;
    return value;
}

// (value + guard) - guard.
inline double flushDenormalRaised(double value) noexcept
{
    value += kDenormalGuard;
    value -= kDenormalGuard;
    return value;
}
