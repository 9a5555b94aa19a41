#pragma once

#include "amps/AmpChannel.h"
#include "dsp/MVCleanGainTS.h"
#include "dsp/MVMasterPresence.h"
#include "dsp/OnePole.h"
#include "dsp/SaturatingIntegrator.h"
#include "dsp/TubeStage.h"

// The MV clean channel: input high-pass, gain and tone stack network,
// saturating integrator, presence and master network, one tube stage with
// feedback, output high-pass.
//
// Threads: process() on the audio thread. setSampleRate(), setKnob() and
// activate() on the writer side (a parameter thread, one at a time, or while
// stopped); reset() only while stopped. The networks hand their sets over
// through their crossfade. setSampleRate() publishes the rate-dependent
// constants of the one-pole filters and of the nonlinear stages as one
// tuning set; the audio thread installs it at its next sample, which also
// restarts the nonlinear states from rest (the one-pole histories carry
// over).
class MVAmpClean final : public AmpChannel {
public:
    MVAmpClean();

    void process(SampleFrame* frame) override;
    void processBlock(double* samples, int n) override { processEach(*this, samples, n); }

    MVCleanGainTS gainTS;                    // gain pot and tone stack
    MVMasterPresence masterPresence;         // presence and master
    OnePole inputFilter;                     // 50 Hz low-pass; its high-pass opens the chain
    OnePole interstageFilter;                // 20 Hz low-pass; high-pass after the integrator
    SaturatingIntegrator integrator{15000.0}; // slew-limiting low-pass at 15 kHz
    TubeStage tube{0.2};                     // power stage, bias 0.2, feedback low-passed at 380 Hz
    OnePole outputFilter;                    // 20 Hz low-pass; high-pass at the output
};
