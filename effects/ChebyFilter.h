#pragma once

#include "dsp/CommonBase.h"

// PLACEHOLDER until the oversampling filters land: passes the sample through.
// Contract: setSampleRate() (inherited) then selectCoefficients(); process()
// on the audio thread; filterValue(x) is the same filter on a plain value.
class ChebyFilter final : public CommonBase {
public:
    void selectCoefficients() {}
    void reset() override {}
    void process(SampleFrame*) override {}
    double filterValue(double x) { return x; }
};
