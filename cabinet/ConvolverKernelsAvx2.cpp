// The convolver's loops once more, compiled for AVX2 (four doubles per
// vector, multiplications and additions kept apart) when the build enables
// it for this file. Nothing here runs before ConvolverKernels::best() has
// checked that the processor supports it: the table is constant data.
#include "cabinet/ConvolverKernels.h"

#include <algorithm>
#include <cstddef>

#if defined(__AVX2__)
namespace {
#include "cabinet/ConvolverKernels.inl"

#if defined(CONV_HAVE_VECTORS)
constexpr ConvolverKernels kAvx2Kernels = makeConvolverKernels<ConvLanes4>("AVX2, 4 lanes");
#endif
} // namespace

#if defined(CONV_HAVE_VECTORS)
const ConvolverKernels* const kAvx2ConvolverKernels = &kAvx2Kernels;
#else
const ConvolverKernels* const kAvx2ConvolverKernels = nullptr;
#endif
#else
const ConvolverKernels* const kAvx2ConvolverKernels = nullptr;
#endif
