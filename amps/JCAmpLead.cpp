#include "amps/JCAmpLead.h"
#include "amps/JCKnobs.h"

JCAmpLead::JCAmpLead()
{
    publishTuning(sampleRate);
}

void JCAmpLead::publishTuning(float rate) noexcept
{
    Tuning& t = tuning_.draft();
    t.input = OnePole::lowpass(130.0, rate);
    t.firstAlpha = firstIntegrator.alphaFor(rate);
    t.secondAlpha = secondIntegrator.alphaFor(rate);
    t.interstage = OnePole::lowpass(20.0, rate);
    t.tubeFeedback = OnePole::lowpass(50.0, rate);
    t.output = OnePole::lowpass(20.0, rate);
    tuning_.publish();
}

void JCAmpLead::installTuning(const Tuning& t) noexcept
{
    inputFilter.setCoefficients(t.input);
    inputFilter2.setCoefficients(t.input);
    firstIntegrator.restart(t.firstAlpha);
    secondIntegrator.restart(t.secondAlpha);
    interstageFilter.setCoefficients(t.interstage);
    tube.restart(t.tubeFeedback);
    outputFilter.setCoefficients(t.output);
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
    if (tuning_.fetch())
        installTuning(tuning_.current());

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
