#pragma once

#include "dsp/KnobNetwork.h"

// Presence and master of both MV channels: a 150 kOhm presence divider and a
// 250 kOhm master divider. Master 0 is silence.
class MVMasterPresence final : public KnobNetwork<2> {
public:
    MVMasterPresence();
};
