// The cascades' wavefront once more, compiled for AVX2 (four elements, two
// stages of both lines, per vector) when the build enables it for this file.
// Nothing here runs before bestCascadeWavefront() has checked that the
// processor supports it.
#include "effects/CascadeWavefront.h"

#include "dsp/DenormalFlush.h"
#include "effects/ChirpLowDS.h"

#include <algorithm>

#if defined(__AVX2__)
namespace {
#include "effects/CascadeWavefront.inl"
} // namespace

const CascadeWavefront kAvx2CascadeWavefront = &cascadeWavefront<4>;
#else
const CascadeWavefront kAvx2CascadeWavefront = nullptr;
#endif
