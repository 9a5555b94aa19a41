#pragma once

#include "amps/AmpChannel.h"
#include "dsp/JCGain.h"
#include "dsp/JCInput.h"
#include "dsp/JCTSPresenceMaster.h"
#include "dsp/OnePole.h"
#include "dsp/SaturatingIntegrator.h"
#include "dsp/TubeStage.h"

// The JC lead channel: two 130 Hz high-passes, fixed input network, gain
// network, a first saturating integrator, tone stack with presence and
// master, a second saturating integrator, 20 Hz high-pass, one tube stage
// with feedback, output high-pass.
//
// Threads: as MVAmpClean (networks through their crossfade, the fixed input
// network as a direct set, the one-pole and nonlinear-stage constants as one
// tuning set installed by the audio thread, which restarts the nonlinear
// states).
class JCAmpLead final : public AmpChannel {
public:
    JCAmpLead();

    void process(SampleFrame* frame) override;
    void processBlock(double* samples, int n) override { processEach(*this, samples, n); }

    OnePole inputFilter;                           // 130 Hz low-pass; first input high-pass
    OnePole inputFilter2;                          // 130 Hz low-pass; second input high-pass
    JCInput inputNetwork;                          // fixed input network
    JCGain gain;                                   // gain pot
    JCTSPresenceMaster toneStack;                  // low, mid, high, presence, master
    OnePole interstageFilter;                      // 20 Hz low-pass; high-pass before the tube stage
    SaturatingIntegrator firstIntegrator{10000.0}; // after the gain network, 10 kHz
    SaturatingIntegrator secondIntegrator{7560.0}; // after the tone stack, 7560 Hz
    TubeStage tube{0.2};                           // power stage, bias 0.2, feedback low-passed at 50 Hz
    OnePole outputFilter;                          // 20 Hz low-pass; high-pass at the output
};
