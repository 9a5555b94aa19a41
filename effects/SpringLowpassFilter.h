#pragma once

#include "effects/TenthOrderLowpass.h"

// The spring reverb's output low-pass: 5000 Hz at the standard rates
// (44100, 48000, 88200, 96000 Hz); at other rates the nearest design below is
// used unchanged, so the corner moves with the rate.
class SpringLowpassFilter final : public TenthOrderLowpass {
public:
    // Stores the rate and installs the set of its band; histories are kept.
    void setSampleRate(float rate) override;
};
