#pragma once

#include "dsp/CommonBase.h"
#include "dsp/Relaxed.h"

// PLACEHOLDER until the limiter lands: passes the sample through.
// Contract: reset() then setSampleRate(r) at resume; process() does nothing
// unless `enabled`; processStereo() does not test `enabled` (the caller does).
class Limiter final : public CommonBase {
public:
    void process(SampleFrame*) override {}
    void processStereo(double&, double&) {}

    Relaxed<bool> enabled{false}; // "Limiter On/Off" engaged
};
