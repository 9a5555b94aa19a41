#include "cabinet/ConvolverKernels.h"

#include "dsp/ProcessorFeatures.h"

#include <algorithm>
#include <cstddef>

namespace {
#include "cabinet/ConvolverKernels.inl"

#if defined(CONV_HAVE_VECTORS)
using BaselineConvLanes = ConvLanes2;
#else
using BaselineConvLanes = ConvLanes1;
#endif
} // namespace

// Two doubles per vector where the compiler has vector extensions (SSE2 is
// part of every x86-64 processor), one otherwise.
const ConvolverKernels kBaselineConvolverKernels =
    makeConvolverKernels<BaselineConvLanes>(BaselineConvLanes::width == 2 ? "baseline, 2 lanes" : "plain, 1 lane");

const ConvolverKernels kPlainConvolverKernels = makeConvolverKernels<ConvLanes1>("plain, 1 lane");

void groupSpectrum(const double* __restrict__ packed, double* __restrict__ grouped, int n) noexcept
{
    const int m = n / 2;
    const int g = spectrumGroup(n);
    if (g == kSpectrumGroup) {
        constexpr int G = kSpectrumGroup;
        for (int k = 0; k < m; k += G) {
            for (int i = 0; i < G; ++i) {
                grouped[2 * k + i] = packed[k + i];
                grouped[2 * k + G + i] = packed[m + k + i];
            }
        }
    } else {
        std::copy_n(packed, n, grouped);
    }
}

const ConvolverKernels& ConvolverKernels::best() noexcept
{
    // Decided once, on first use (thread-safe static).
    static const ConvolverKernels& chosen = []() noexcept -> const ConvolverKernels& {
        if (kAvx2ConvolverKernels != nullptr && processorHasAvx2())
            return *kAvx2ConvolverKernels;
        return kBaselineConvolverKernels;
    }();
    return chosen;
}
