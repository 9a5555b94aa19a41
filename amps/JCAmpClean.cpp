#include "amps/JCAmpClean.h"

JCAmpClean::JCAmpClean()
{
    // "Amp Gain" to the gain network, every other knob to the tone stack,
    // which also carries presence and master.
    routeKnobs({knobIn(gain, gain.gain), knobIn(toneStack, toneStack.low), knobIn(toneStack, toneStack.mid),
                knobIn(toneStack, toneStack.high), knobIn(toneStack, toneStack.presence),
                knobIn(toneStack, toneStack.master)});
    wireNetworks({fixedNetwork(inputNetwork), knobNetwork(gain), knobNetwork(toneStack)});
    // Interstage 20 Hz, tube feedback 500 Hz, output 20 Hz.
    static constexpr std::array<double, 3> kCorners{20.0, 500.0, 20.0};
    wireTuning({&integrator}, kCorners,
               {CornerUse{&interstageFilter}, CornerUse{.tube = &tube}, CornerUse{&outputFilter}});
}

void JCAmpClean::process(SampleFrame* frame)
{
    if (!enabled_)
        return;
    takeUpTuning();

    double x = inputNetwork.filter(frame->value);
    x = gain.filter(x);
    x = toneStack.filter(x);
    x = integrator.process(x, 0.038);
    x = interstageFilter.highpass(x);
    const double y = tube.process(5.0 * (x - 0.7 * tube.feedback));
    frame->value = 0.75 * outputFilter.highpass(y);
}
