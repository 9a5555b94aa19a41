#include "amps/BKVGAmpLead.h"

void BKVGAmpLead::process(SampleFrame* frame)
{
    if (!enabled_)
        return;
    takeUpTuning();

    double x = gain.filter(frame->value);
    x = toneStack.filter(x);
    x = integrator.process(x, 0.05);
    x = interstageFilter.highpass(x);
    const double y = tube.process(x - 0.2 * tube.feedback);
    x = outputFilter.highpass(y);
    x = presenceNetwork.filter(x);
    frame->value = double(master.load()) * (-0.1 * x);
}
