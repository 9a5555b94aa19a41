#pragma once

#include "dsp/CommonBase.h"

// PLACEHOLDER until the spring reverb lands: passes the sample through.
// Contract: setSampleRate(fs) at resume configures everything; setFxEnabled
// and setAmount ("Reverb") keep `active` up to date.
class Spring final : public CommonBase {
public:
    void setFxEnabled(bool) {}
    void setAmount(float) {}
    void process(SampleFrame*) override {}
};
