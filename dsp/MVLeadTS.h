#pragma once

#include "dsp/KnobNetwork.h"

// The MV lead channel's tone stack. Pots: low 1 MOhm with a cube law in
// series with the lower part of the mid pot; mid 25 kOhm divider; high
// 250 kOhm divider. The denominator is normalised to den[0] = 1.
class MVLeadTS final : public KnobNetwork<3> {
public:
    MVLeadTS();
};
