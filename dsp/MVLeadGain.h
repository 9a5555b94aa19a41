#pragma once

#include "dsp/KnobNetwork.h"

// The MV lead channel's gain network: a 1 MOhm divider whose total
// resistance stays the same, so the gain position scales the numerator
// only and the poles do not move.
class MVLeadGain final : public KnobNetwork<3> {
public:
    MVLeadGain();
};
