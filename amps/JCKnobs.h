#pragma once

#include "amps/AmpChannel.h"
#include "dsp/JCGain.h"
#include "dsp/JCTSPresenceMaster.h"

// Both JC channels route their knobs the same way: "Amp Gain" to the gain
// network, every other knob to the tone stack, which also carries presence
// and master. Parameter thread only.
inline void routeJCKnob(JCGain& gain, JCTSPresenceMaster& toneStack, AmpKnob knob, float position, bool recompute)
{
    switch (knob) {
    case AmpKnob::Gain:
        gain.gain = position;
        if (recompute)
            gain.updateCoefficients();
        return;
    case AmpKnob::Low: toneStack.low = position; break;
    case AmpKnob::Mid: toneStack.mid = position; break;
    case AmpKnob::High: toneStack.high = position; break;
    case AmpKnob::Presence: toneStack.presence = position; break;
    case AmpKnob::Master: toneStack.master = position; break;
    }
    if (recompute)
        toneStack.updateCoefficients();
}
