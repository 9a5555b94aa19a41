#pragma once

#include "dsp/KnobNetwork.h"

// The MV clean channel's gain control and tone stack as one sixth-order
// network. Pots: gain 1 MOhm divider; high 250 kOhm divider; mid 25 kOhm
// rheostat; low 250 kOhm rheostat with a cube law (low 0.5 acts as one
// eighth of the pot). Every numerator term carries the gain position, so
// gain 0 is silence.
class MVCleanGainTS final : public KnobNetwork<6> {
public:
    MVCleanGainTS();
};
