#include "amps/JCAmpClean.h"
#include "amps/JCKnobs.h"

JCAmpClean::JCAmpClean()
{
    publishTuning(sampleRate);
}

void JCAmpClean::publishTuning(float rate) noexcept
{
    Tuning& t = tuning_.draft();
    t.integratorAlpha = integrator.alphaFor(rate);
    t.interstage = OnePole::lowpass(20.0, rate);
    t.tubeFeedback = OnePole::lowpass(500.0, rate);
    t.output = OnePole::lowpass(20.0, rate);
    tuning_.publish();
}

void JCAmpClean::installTuning(const Tuning& t) noexcept
{
    integrator.restart(t.integratorAlpha);
    interstageFilter.setCoefficients(t.interstage);
    tube.restart(t.tubeFeedback);
    outputFilter.setCoefficients(t.output);
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
    if (tuning_.fetch())
        installTuning(tuning_.current());

    double x = inputNetwork.filter(frame->value);
    x = gain.filter(x);
    x = toneStack.filter(x);
    x = integrator.process(x, 0.038);
    x = interstageFilter.highpass(x);
    const double y = tube.process(5.0 * (x - 0.7 * tube.feedback));
    frame->value = 0.75 * outputFilter.highpass(y);
}
