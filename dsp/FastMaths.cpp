#include "dsp/FastMaths.h"

#if !defined(SELVARINE_EXACT_MATHS)

#include "dsp/FastMathsKernels.h"
#include "dsp/ProcessorFeatures.h"

namespace {

double libraryExpm1(double x) noexcept
{
    return std::expm1(x);
}

double libraryTanh(double x) noexcept
{
    return std::tanh(x);
}

// Chosen when the library is loaded, before any instance exists.
const bool kUseFma = kFmaExpm1 != nullptr && kFmaTanh != nullptr && processorHasFma();
const MathsFunction kExpm1 = kUseFma ? kFmaExpm1 : libraryExpm1;
const MathsFunction kTanh = kUseFma ? kFmaTanh : libraryTanh;

} // namespace

double fastExpm1(double x) noexcept
{
    return kExpm1(x);
}

double fastTanh(double x) noexcept
{
    return kTanh(x);
}

#endif
