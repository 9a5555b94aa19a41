#pragma once

// The FMA versions behind fastExpm1() and fastTanh() (FastMathsFma.cpp); null
// when the build could not compile them.
using MathsFunction = double (*)(double) noexcept;
extern const MathsFunction kFmaExpm1;
extern const MathsFunction kFmaTanh;
