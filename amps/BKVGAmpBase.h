#pragma once

#include "amps/AmpChannel.h"
#include "dsp/BKVGGain.h"
#include "dsp/BKVGPresence.h"
#include "dsp/BKVGTS.h"
#include "dsp/OnePole.h"
#include "dsp/SaturatingIntegrator.h"
#include "dsp/TubeStage.h"

// What the two BKVG channels share: one layout, one rate set-up, one reset
// and one knob routing. They differ in the integrator corner and in where
// the presence network and the tube feedback sit in the chain (process()).
// "Amp Master" is a plain output gain here, not a network, and both channels
// end with a sign inversion.
//
// Threads: as MVAmpClean (networks through their crossfade, the presence
// network as a direct set taken up at the next sample, the one-pole and
// nonlinear-stage constants as one tuning set installed by the audio thread,
// which restarts the nonlinear states). `master` is read by the audio thread
// at every sample, so a change acts at once.
class BKVGAmpBase : public AmpChannel {
public:
    Relaxed<float> master{0.5f};   // "Amp Master" position 0..1 (0.5 like every knob until written), the linear output gain
    BKVGGain gain;                 // gain pot
    BKVGTS toneStack;              // low, mid, high
    OnePole interstageFilter;      // 20 Hz low-pass; high-pass after the integrator
    SaturatingIntegrator integrator; // slew-limiting low-pass (corner per channel)
    TubeStage tube{0.2};           // power stage, bias 0.2, feedback low-passed at 20 Hz
    OnePole outputFilter;          // 20 Hz low-pass; high-pass after the tube stage
    BKVGPresence presenceNetwork;  // presence shelf

protected:
    explicit BKVGAmpBase(double integratorCorner);
};
