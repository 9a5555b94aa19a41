#pragma once

#include <cmath>

// expm1() and tanh() for the amplifier channels' nonlinear stages, which call
// them on every sample inside their feedback loops and spend about a third
// of a clean channel's time in them.
//
// On processors with FMA the plug-in uses versions of its own (FastMathsFma.cpp):
// range reduction by ln 2 and a polynomial in Estrin's form, within about
// 1e-15 of the C library's results (relative; exact for arguments below
// 2^-54 in magnitude, so the stages' small-signal behaviour is unchanged),
// about a fifth shorter in a dependent chain. The choice is made once, when
// the library is loaded; elsewhere the C library's functions are used.
//
// Building with SELVARINE_EXACT_MATHS (CMake option of the same name) always
// uses the C library, so that outputs can be compared bit for bit with
// builds from before these functions.
#if defined(SELVARINE_EXACT_MATHS)
inline double fastExpm1(double x) noexcept
{
    return std::expm1(x);
}
inline double fastTanh(double x) noexcept
{
    return std::tanh(x);
}
#else
double fastExpm1(double x) noexcept;
double fastTanh(double x) noexcept;
#endif
