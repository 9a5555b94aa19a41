#pragma once

#include "amps/AmpChannel.h"
#include "dsp/MVLeadGain.h"
#include "dsp/MVLeadTS.h"
#include "dsp/MVMasterPresence.h"
#include "dsp/OnePole.h"
#include "dsp/SaturatingIntegrator.h"
#include "dsp/TubeStage.h"

// The MV lead channel: gain network, a hot first tube stage, 250 Hz
// high-pass, saturating integrator, tone stack, presence and master, a second
// tube stage, output high-pass.
//
// Threads: as MVAmpClean (networks through their crossfade; the one-pole and
// nonlinear-stage constants as one tuning set installed by the audio thread,
// which restarts the nonlinear states).
class MVAmpLead final : public AmpChannel {
public:
    MVAmpLead();

    void process(SampleFrame* frame) override;
    void processBlock(double* samples, int n) override { processEach(*this, samples, n); }

    OnePole interstageFilter;                 // 250 Hz low-pass; high-pass after the first stage
    MVLeadGain gain;                          // gain pot
    MVLeadTS toneStack;                       // low, mid, high
    MVMasterPresence masterPresence;          // presence and master
    TubeStage firstTube{2.0};                 // preamp stage, bias 2, feedback low-passed at 60 Hz
    SaturatingIntegrator integrator{10000.0}; // slew-limiting low-pass at 10 kHz
    TubeStage secondTube{0.2};                // power stage, bias 0.2, feedback low-passed at 600 Hz
    OnePole outputFilter;                     // 20 Hz low-pass; high-pass at the output
};
