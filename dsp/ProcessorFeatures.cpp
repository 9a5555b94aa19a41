#include "dsp/ProcessorFeatures.h"

namespace {

struct Features {
    bool avx2 = false;
    bool fma = false;
};

Features askProcessor() noexcept
{
    Features features;
#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
    __builtin_cpu_init();
    features.avx2 = __builtin_cpu_supports("avx2");
    features.fma = __builtin_cpu_supports("fma");
#endif
    return features;
}

const Features& processorFeatures() noexcept
{
    static const Features features = askProcessor();
    return features;
}

} // namespace

bool processorHasAvx2() noexcept
{
    return processorFeatures().avx2;
}

bool processorHasFma() noexcept
{
    return processorFeatures().fma;
}
