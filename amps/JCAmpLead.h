#pragma once

#include "amps/AmpChannel.h"

// PLACEHOLDER until the amplifier models land: passes the sample through.
class JCAmpLead final : public AmpChannel {
public:
    void setKnob(AmpKnob, float, bool) override {}
    void activate() override {}
    void process(SampleFrame*) override {}
};
