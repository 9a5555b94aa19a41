// The FFT loops once more, compiled for AVX2 (four doubles per vector) when
// the build enables it for this file. Nothing here runs before FFTReal has
// checked that the processor supports AVX2: the table is constant data.
#include "cabinet/FFTRealKernels.h"

#include <cstddef>

#if defined(__AVX2__)
namespace {
#include "cabinet/FFTRealKernels.inl"
} // namespace

const FFTRealKernels* const kAvx2FFTKernels = &kernelTable;
#else
const FFTRealKernels* const kAvx2FFTKernels = nullptr;
#endif
