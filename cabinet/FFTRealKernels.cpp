#include "cabinet/FFTRealKernels.h"

#include <cstddef>

namespace {
#include "cabinet/FFTRealKernels.inl"
} // namespace

const FFTRealKernels kBaselineFFTKernels = kernelTable;
