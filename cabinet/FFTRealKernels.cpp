#include "cabinet/FFTRealKernels.h"

#include <cstddef>

namespace {
#include "cabinet/FFTRealKernels.inl"

#if defined(FFT_HAVE_VECTORS)
using BaselineLanes = Lanes2;
#else
using BaselineLanes = Lanes1;
#endif
} // namespace

// Two doubles per vector where the compiler has vector extensions (SSE2 is
// part of every x86-64 processor), one otherwise.
const FFTRealKernels kBaselineFFTKernels = makeKernels<BaselineLanes>(BaselineLanes::width == 2 ? "baseline, 2 lanes"
                                                                                                  : "plain, 1 lane");

const FFTRealKernels kPlainFFTKernels = makeKernels<Lanes1>("plain, 1 lane");
