#pragma once

#include "dsp/KnobNetwork.h"

// Tone stack, presence and master of both JC channels as one fourth-order
// network. Pots: low 250 kOhm (linear) rheostat, mid 10 kOhm rheostat, high
// 250 kOhm divider, presence 1 MOhm rheostat ((1 - presence) in circuit),
// master 1 MOhm divider plus 100 kOhm. Every numerator term carries the
// master position, so master 0 is silence.
class JCTSPresenceMaster final : public KnobNetwork<4> {
public:
    JCTSPresenceMaster();
};
