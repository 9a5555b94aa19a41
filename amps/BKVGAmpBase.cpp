#include "amps/BKVGAmpBase.h"

BKVGAmpBase::BKVGAmpBase(double integratorCorner) : integrator(integratorCorner)
{
    // Interstage, tube feedback and output, all at 20 Hz.
    static constexpr std::array<double, 3> kCorners{20.0, 20.0, 20.0};
    wireTuning({&integrator}, kCorners,
               {CornerUse{&interstageFilter}, CornerUse{.tube = &tube}, CornerUse{&outputFilter}});
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
