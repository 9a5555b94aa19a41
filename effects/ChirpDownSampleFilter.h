#pragma once

#include "effects/TenthOrderLowpass.h"

// The dispersion line's decimation and re-interpolation low-pass. Its corner
// follows the line's decimation factor rather than a fixed frequency: the
// 44100 Hz design is kept up to 68000 Hz (decimation by 4) and the 88200 Hz
// design above (decimation by 8), so the corner stays near a quarter of the
// decimated band.
class ChirpDownSampleFilter final : public TenthOrderLowpass {
public:
    // Stores the rate and installs the set of its band; histories are kept.
    void setSampleRate(float rate) override;
};
