#include "amps/BKVGAmpBase.h"

BKVGAmpBase::BKVGAmpBase(double integratorCorner) : integrator(integratorCorner)
{
    // "Amp Master" is an output gain: nothing to recompute.
    routeKnobs({knobIn(gain, gain.gain), knobIn(toneStack, toneStack.low), knobIn(toneStack, toneStack.mid),
                knobIn(toneStack, toneStack.high), knobIn(presenceNetwork, presenceNetwork.presence),
                plainKnob(master)});
    wireNetworks({knobNetwork(gain), knobNetwork(toneStack), knobNetwork(presenceNetwork)});
    // Interstage, tube feedback and output, all at 20 Hz.
    static constexpr std::array<double, 3> kCorners{20.0, 20.0, 20.0};
    wireTuning({&integrator}, kCorners,
               {CornerUse{&interstageFilter}, CornerUse{.tube = &tube}, CornerUse{&outputFilter}});
}

