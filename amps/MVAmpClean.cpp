#include "amps/MVAmpClean.h"

MVAmpClean::MVAmpClean()
{
    routeKnobs({knobIn(gainTS, gainTS.gain), knobIn(gainTS, gainTS.low), knobIn(gainTS, gainTS.mid),
                knobIn(gainTS, gainTS.high), knobIn(masterPresence, masterPresence.presence),
                knobIn(masterPresence, masterPresence.master)});
    wireNetworks({knobNetwork(gainTS), knobNetwork(masterPresence)});
    // Input 50 Hz, interstage 20 Hz, tube feedback 380 Hz, output 20 Hz.
    static constexpr std::array<double, 4> kCorners{50.0, 20.0, 380.0, 20.0};
    wireTuning({&integrator}, kCorners,
               {CornerUse{&inputFilter}, CornerUse{&interstageFilter}, CornerUse{.tube = &tube}, CornerUse{&outputFilter}});
}

void MVAmpClean::process(SampleFrame* frame)
{
    if (!enabled_)
        return;
    takeUpTuning();

    double x = inputFilter.highpass(frame->value);
    x = gainTS.filter(x);
    x = integrator.process(x, 0.25);
    x = 4.0 * interstageFilter.highpass(x);
    x = masterPresence.filter(x);
    const double y = tube.process(5.0 * (x - 0.3 * tube.feedback));
    frame->value = 1.25 * outputFilter.highpass(y);
}
