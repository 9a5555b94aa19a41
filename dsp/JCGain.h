#pragma once

#include "dsp/KnobNetwork.h"

// The JC channels' gain network: a 50 kOhm rheostat, (1 - gain) of it in
// circuit. The s^3 terms of numerator and denominator are equal for every
// position, so the gain tends to 1 at high frequencies and the knob shapes
// the lower band only.
class JCGain final : public KnobNetwork<3> {
public:
    JCGain();
};
