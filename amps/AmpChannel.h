#pragma once

#include "dsp/CommonBase.h"
#include "dsp/Relaxed.h"

// The amplifier knobs as the parameter table routes them to the channels.
enum class AmpKnob { Gain, Low, Mid, High, Presence, Master };

// One amplifier channel (a model). The shell owns all six, writes every
// channel's copy of a knob, and has only the active channel recompute.
//
// Threads: process() on the audio thread; setKnob(), activate() and
// setSampleRate() on a parameter thread (one at a time: the shell serialises
// its writers) or while processing is stopped.
class AmpChannel : public CommonBase {
public:
    // Stores a knob position (0..1) in this channel's networks; when
    // `recompute` is set, recomputes the network(s) that the knob acts on.
    virtual void setKnob(AmpKnob knob, float position, bool recompute) = 0;
    // This channel became the active model: recompute its networks.
    virtual void activate() = 0;

    Relaxed<bool> enabled{false}; // "Amp On / Off" engaged; when false the sample passes unchanged
};
