#include "amps/BKVGAmpClean.h"

void BKVGAmpClean::process(SampleFrame* frame)
{
    if (!enabled_)
        return;
    takeUpTuning();

    double x = gain.filter(frame->value);
    x = toneStack.filter(x);
    x = integrator.process(x, 0.0003);
    x = interstageFilter.highpass(x);
    x = 6.0 * (x - 0.2 * tube.feedback);
    x = presenceNetwork.filter(x);
    const double y = tube.process(0.175 * x);
    x = outputFilter.highpass(y);
    frame->value = double(master.load()) * (-1.6 * x);
}
