#pragma once

#include "amps/BKVGAmpBase.h"

// The BKVG lead channel: gain network, tone stack, a hot saturating
// integrator (10 kHz), 20 Hz high-pass, tube stage with feedback at its
// input, output high-pass, presence network last, inverted output gain.
class BKVGAmpLead final : public BKVGAmpBase {
public:
    BKVGAmpLead() : BKVGAmpBase(10000.0) {}

    void process(SampleFrame* frame) override;
    void processBlock(double* samples, int n) override { processEach(*this, samples, n); }
};
