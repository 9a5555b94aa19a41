#include "amps/BKVGAmpBase.h"

BKVGAmpBase::BKVGAmpBase(double integratorCorner) : integrator(integratorCorner)
{
    publishTuning(sampleRate);
}

void BKVGAmpBase::publishTuning(float rate) noexcept
{
    Tuning& t = tuning_.draft();
    t.integratorAlpha = integrator.alphaFor(rate);
    t.interstage = OnePole::lowpass(20.0, rate);
    t.tubeFeedback = OnePole::lowpass(20.0, rate);
    t.output = OnePole::lowpass(20.0, rate);
    tuning_.publish();
}

void BKVGAmpBase::installTuning(const Tuning& t) noexcept
{
    integrator.restart(t.integratorAlpha);
    interstageFilter.setCoefficients(t.interstage);
    tube.restart(t.tubeFeedback);
    outputFilter.setCoefficients(t.output);
}

void BKVGAmpBase::setSampleRate(float rate)
{
    AmpChannel::setSampleRate(rate);
    interstageFilter.setSampleRate(rate);
    gain.setSampleRate(rate);
    gain.updateCoefficients();
    toneStack.setSampleRate(rate);
    toneStack.updateCoefficients();
    tube.feedbackFilter.setSampleRate(rate);
    outputFilter.setSampleRate(rate);
    presenceNetwork.setSampleRate(rate);
    presenceNetwork.updateCoefficients();
    publishTuning(rate);
}

void BKVGAmpBase::reset()
{
    gain.reset();
    toneStack.reset();
    presenceNetwork.reset();
}

void BKVGAmpBase::activate()
{
    gain.updateCoefficients();
    toneStack.updateCoefficients();
    presenceNetwork.updateCoefficients();
}

void BKVGAmpBase::setKnob(AmpKnob knob, float position, bool recompute)
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
        presenceNetwork.presence = position;
        if (recompute)
            presenceNetwork.updateCoefficients();
        break;
    case AmpKnob::Master:
        master = position; // an output gain: nothing to recompute
        break;
    }
}
