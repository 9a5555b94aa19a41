#pragma once

#include "dsp/KnobNetwork.h"

// The BKVG channels' gain network: a 10 kOhm divider.
class BKVGGain final : public KnobNetwork<2> {
public:
    BKVGGain();
};
