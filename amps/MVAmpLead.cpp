#include "amps/MVAmpLead.h"

MVAmpLead::MVAmpLead()
{
    // Interstage 250 Hz, first tube feedback 60 Hz, second 600 Hz, output 20 Hz.
    static constexpr std::array<double, 4> kCorners{250.0, 60.0, 600.0, 20.0};
    wireTuning({&integrator}, kCorners,
               {CornerUse{&interstageFilter}, CornerUse{.tube = &firstTube}, CornerUse{.tube = &secondTube},
                CornerUse{&outputFilter}});
}

void MVAmpLead::setSampleRate(float rate)
{
    AmpChannel::setSampleRate(rate);
    interstageFilter.setSampleRate(rate);
    gain.setSampleRate(rate);
    gain.updateCoefficients();
    toneStack.setSampleRate(rate);
    toneStack.updateCoefficients();
    firstTube.feedbackFilter.setSampleRate(rate);
    secondTube.feedbackFilter.setSampleRate(rate);
    masterPresence.setSampleRate(rate);
    masterPresence.updateCoefficients();
    outputFilter.setSampleRate(rate);
    publishTuning(rate);
}

void MVAmpLead::reset()
{
    gain.reset();
    toneStack.reset();
    masterPresence.reset();
}

void MVAmpLead::activate()
{
    gain.updateCoefficients();
    toneStack.updateCoefficients();
    masterPresence.updateCoefficients();
}

void MVAmpLead::setKnob(AmpKnob knob, float position, bool recompute)
{
    switch (knob) {
    case AmpKnob::Gain:
        gain.gain = position;
        if (recompute)
            gain.updateCoefficients();
        break;
    case AmpKnob::Low:
    case AmpKnob::Mid:
    case AmpKnob::High:
        (knob == AmpKnob::Low ? toneStack.low : knob == AmpKnob::Mid ? toneStack.mid : toneStack.high) = position;
        if (recompute)
            toneStack.updateCoefficients();
        break;
    case AmpKnob::Presence:
    case AmpKnob::Master:
        (knob == AmpKnob::Presence ? masterPresence.presence : masterPresence.master) = position;
        if (recompute)
            masterPresence.updateCoefficients();
        break;
    }
}

void MVAmpLead::process(SampleFrame* frame)
{
    if (!enabled)
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
