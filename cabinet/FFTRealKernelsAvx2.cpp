// The FFT loops once more, compiled for AVX2 and FMA (four doubles per
// vector) when the build enables them for this file. Nothing here runs before
// FFTReal has checked that the processor supports both: the table is
// constant data.
#include "cabinet/FFTRealKernels.h"

#include <cstddef>

#if defined(__AVX2__) && defined(__FMA__)
namespace {
#include "cabinet/FFTRealKernels.inl"

#if defined(FFT_HAVE_VECTORS)
constexpr FFTRealKernels kAvx2Kernels = makeKernels<Lanes4>("AVX2, 4 lanes");
#endif
} // namespace

#if defined(FFT_HAVE_VECTORS)
const FFTRealKernels* const kAvx2FFTKernels = &kAvx2Kernels;
#else
const FFTRealKernels* const kAvx2FFTKernels = nullptr;
#endif
#else
const FFTRealKernels* const kAvx2FFTKernels = nullptr;
#endif
