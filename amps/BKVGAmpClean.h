#pragma once

#include "amps/BKVGAmpBase.h"

// The BKVG clean channel: gain network, tone stack, a gentle saturating
// integrator (22050 Hz), 20 Hz high-pass, tube feedback subtracted before the
// presence network, tube stage, output high-pass, inverted output gain.
class BKVGAmpClean final : public BKVGAmpBase {
public:
    BKVGAmpClean() : BKVGAmpBase(22050.0) {}

    void process(SampleFrame* frame) override;
    void processBlock(double* samples, int n) override { processEach(*this, samples, n); }
};
