#include "amps/JCAmpLead.h"
#include "amps/JCKnobs.h"

JCAmpLead::JCAmpLead()
{
    // Both input filters 130 Hz, interstage 20 Hz, tube feedback 50 Hz, output 20 Hz.
    static constexpr std::array<double, 4> kCorners{130.0, 20.0, 50.0, 20.0};
    wireTuning({&firstIntegrator, &secondIntegrator}, kCorners,
               {CornerUse{&inputFilter, &inputFilter2}, CornerUse{&interstageFilter}, CornerUse{.tube = &tube},
                CornerUse{&outputFilter}});
}

void JCAmpLead::setSampleRate(float rate)
{
    AmpChannel::setSampleRate(rate);
    inputFilter.setSampleRate(rate);
    inputFilter2.setSampleRate(rate);
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

void JCAmpLead::reset()
{
    gain.reset();
    toneStack.reset();
}

void JCAmpLead::activate()
{
    inputNetwork.installFixedCoefficients();
    gain.updateCoefficients();
    toneStack.updateCoefficients();
}

void JCAmpLead::setKnob(AmpKnob knob, float position, bool recompute)
{
    routeJCKnob(gain, toneStack, knob, position, recompute);
}

void JCAmpLead::process(SampleFrame* frame)
{
    if (!enabled)
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
