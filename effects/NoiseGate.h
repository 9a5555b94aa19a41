#pragma once

#include "dsp/CommonBase.h"

// PLACEHOLDER until the noise gate lands: passes the sample through.
// Contract (parameter thread): setEnabled, setThreshold, setAttack, setDecay
// take the normalised parameter values and apply the gate's own laws.
class NoiseGate final : public CommonBase {
public:
    void setEnabled(bool) {}
    void setThreshold(float) {}
    void setAttack(float) {}
    void setDecay(float) {}
    void process(SampleFrame*) override {}
};
