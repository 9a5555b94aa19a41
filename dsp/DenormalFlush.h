#pragma once

// Stores a recursive state so that values far below 1e-20 become exact 0
// instead of decaying through denormals (no flush-to-zero mode is relied on).
// The two operations must stay separate; no compiler folds them without
// -ffast-math, which this project never uses.
inline double flushDenormal(double value) noexcept
{
    value -= 1e-20;
    value += 1e-20;
    return value;
}
