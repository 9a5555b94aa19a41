#include "amps/MVAmpLead.h"

MVAmpLead::MVAmpLead()
{
    routeKnobs({knobIn(gain, gain.gain), knobIn(toneStack, toneStack.low), knobIn(toneStack, toneStack.mid),
                knobIn(toneStack, toneStack.high), knobIn(masterPresence, masterPresence.presence),
                knobIn(masterPresence, masterPresence.master)});
    wireNetworks({knobNetwork(gain), knobNetwork(toneStack), knobNetwork(masterPresence)});
    // Interstage 250 Hz, first tube feedback 60 Hz, second 600 Hz, output 20 Hz.
    static constexpr std::array<double, 4> kCorners{250.0, 60.0, 600.0, 20.0};
    wireTuning({&integrator}, kCorners,
               {CornerUse{&interstageFilter}, CornerUse{.tube = &firstTube}, CornerUse{.tube = &secondTube},
                CornerUse{&outputFilter}});
}

void MVAmpLead::process(SampleFrame* frame)
{
    if (!enabled_)
        return;
    takeUpTuning();

    double x = gain.filter(frame->value);
    const double first = firstTube.process(20.0 * (1.585 * x - firstTube.feedback));
    x = interstageFilter.highpass(5.0 * first);
    x = integrator.process(x, 1.0);
    x = 4.0 * toneStack.filter(x);
    x = masterPresence.filter(x);
    const double second = secondTube.process(x - 0.5 * secondTube.feedback);
    frame->value = 2.0 * outputFilter.highpass(second);
}
