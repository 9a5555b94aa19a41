#include "amps/JCAmpLead.h"

JCAmpLead::JCAmpLead()
{
    // "Amp Gain" to the gain network, every other knob to the tone stack,
    // which also carries presence and master.
    routeKnobs({knobIn(gain, gain.gain), knobIn(toneStack, toneStack.low), knobIn(toneStack, toneStack.mid),
                knobIn(toneStack, toneStack.high), knobIn(toneStack, toneStack.presence),
                knobIn(toneStack, toneStack.master)});
    wireNetworks({fixedNetwork(inputNetwork), knobNetwork(gain), knobNetwork(toneStack)});
    // Both input filters 130 Hz, interstage 20 Hz, tube feedback 50 Hz, output 20 Hz.
    static constexpr std::array<double, 4> kCorners{130.0, 20.0, 50.0, 20.0};
    wireTuning({&firstIntegrator, &secondIntegrator}, kCorners,
               {CornerUse{&inputFilter, &inputFilter2}, CornerUse{&interstageFilter}, CornerUse{.tube = &tube},
                CornerUse{&outputFilter}});
}

void JCAmpLead::process(SampleFrame* frame)
{
    if (!enabled_)
        return;
    takeUpTuning();

    double x = inputFilter.highpass(frame->value);
    x = inputFilter2.highpass(x);
    x = inputNetwork.filter(x);
    x = gain.filter(x);
    x = firstIntegrator.process(x, 0.25);
    x = toneStack.filter(x);
    x = secondIntegrator.process(x, 0.014);
    x = interstageFilter.highpass(x);
    const double y = tube.process(5.0 * (x - 0.5 * tube.feedback));
    frame->value = 1.2 * outputFilter.highpass(y);
}
