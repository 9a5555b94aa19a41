#pragma once
// What the renderer does to a finished render before writing it: peak
// normalisation and cutting the silent end.

#include "host/AudioFile.h"

#include <cstddef>

namespace host {

// Scales every channel by one factor so that the largest magnitude becomes
// `peakDb` dBFS. Answers false and leaves the buffer alone when it holds no
// finite non-zero sample (nothing to scale); non-finite samples are ignored
// for the peak.
bool normalizePeak(AudioBuffer& buffer, double peakDb);

// Cuts the buffer after its last frame in which any channel reaches
// `thresholdDb` dBFS, so that the end that stays below it is dropped. A
// buffer that never reaches it keeps no frames. Answers the frames kept.
std::size_t trimTail(AudioBuffer& buffer, double thresholdDb);

} // namespace host
