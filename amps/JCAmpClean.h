#pragma once

#include "amps/AmpChannel.h"
#include "dsp/JCGain.h"
#include "dsp/JCInput.h"
#include "dsp/JCTSPresenceMaster.h"
#include "dsp/OnePole.h"
#include "dsp/SaturatingIntegrator.h"
#include "dsp/TubeStage.h"

// The JC clean channel: fixed input network, gain network, tone stack with
// presence and master, saturating integrator, 20 Hz high-pass, one tube
// stage with feedback, output high-pass.
//
// The input network is discretised at the channel's own rate, like the lead
// channel's; at 44100 Hz this is the same filter as one built for 44100 Hz,
// and at higher (oversampled) rates it keeps the network's analog response.
//
// Threads: as MVAmpClean (networks through their crossfade, the fixed input
// network as a direct set, the one-pole and nonlinear-stage constants as one
// tuning set installed by the audio thread, which restarts the nonlinear
// states).
class JCAmpClean final : public AmpChannel {
public:
    JCAmpClean();

    void process(SampleFrame* frame) override;
    void processBlock(double* samples, int n) override { processEach(*this, samples, n); }

    JCInput inputNetwork;                     // fixed input network
    JCGain gain;                              // gain pot
    JCTSPresenceMaster toneStack;             // low, mid, high, presence, master
    OnePole interstageFilter;                 // 20 Hz low-pass; high-pass after the integrator
    SaturatingIntegrator integrator{22000.0}; // slew-limiting low-pass at 22 kHz
    TubeStage tube{0.2};                      // power stage, bias 0.2, feedback low-passed at 500 Hz
    OnePole outputFilter;                     // 20 Hz low-pass; high-pass at the output
};
