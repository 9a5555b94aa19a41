#include "amps/JCAmpClean.h"
#include "amps/JCKnobs.h"

JCAmpClean::JCAmpClean()
{
    // Interstage 20 Hz, tube feedback 500 Hz, output 20 Hz.
    static constexpr std::array<double, 3> kCorners{20.0, 500.0, 20.0};
    wireTuning({&integrator}, kCorners,
               {CornerUse{&interstageFilter}, CornerUse{.tube = &tube}, CornerUse{&outputFilter}});
}

void JCAmpClean::setSampleRate(float rate)
{
    AmpChannel::setSampleRate(rate);
    inputNetwork.setSampleRate(rate);
    inputNetwork.installFixedCoefficients();
    gain.setSampleRate(rate);
    gain.updateCoefficients();
    toneStack.setSampleRate(rate);
    toneStack.updateCoefficients();
    interstageFilter.setSampleRate(rate);
    tube.feedbackFilter.setSampleRate(rate);
    outputFilter.setSampleRate(rate);
    publishTuning(rate);
}

void JCAmpClean::reset()
{
    gain.reset();
    toneStack.reset();
}

void JCAmpClean::activate()
{
    gain.updateCoefficients();
    toneStack.updateCoefficients();
}

void JCAmpClean::setKnob(AmpKnob knob, float position, bool recompute)
{
    routeJCKnob(gain, toneStack, knob, position, recompute);
}

void JCAmpClean::process(SampleFrame* frame)
{
    if (!enabled)
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
