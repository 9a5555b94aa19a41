#pragma once

// Sample-by-sample comparison of two decoded audio files, for checking that
// two builds of the plug-in (or two precisions) render the same result.

#include "host/AudioFile.h"

#include <cstddef>
#include <string>

namespace host {

struct AudioComparison {
    bool sameShape = false;     // same channel count, frame count and sample rate
    std::string shapeMismatch;  // what differs when !sameShape, e.g. "2 channels against 1"
    double maxDifference = 0.0; // largest |a - b| over all samples; infinity where only one side
                                // is finite or two non-finite values differ
    int channel = 0;            // where the largest difference is (first occurrence)
    std::size_t frame = 0;
};

// Compares `a` with `b`. Two equal values (including equal infinities) and two
// NaNs count as no difference.
AudioComparison compareAudio(const AudioBuffer& a, const AudioBuffer& b);

} // namespace host
