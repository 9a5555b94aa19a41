#pragma once

#include "dsp/KnobNetwork.h"

// The BKVG channels' tone stack: three 47 kOhm linear dividers. It inverts
// the signal and passes DC with a gain of -1000000/den[0] (about -15 with
// the knobs centred).
class BKVGTS final : public KnobNetwork<6> {
public:
    BKVGTS();
};
