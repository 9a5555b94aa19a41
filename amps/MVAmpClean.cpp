#include "amps/MVAmpClean.h"

MVAmpClean::MVAmpClean()
{
    // Input 50 Hz, interstage 20 Hz, tube feedback 380 Hz, output 20 Hz.
    static constexpr std::array<double, 4> kCorners{50.0, 20.0, 380.0, 20.0};
    wireTuning({&integrator}, kCorners,
               {CornerUse{&inputFilter}, CornerUse{&interstageFilter}, CornerUse{.tube = &tube}, CornerUse{&outputFilter}});
}

void MVAmpClean::setSampleRate(float rate)
{
    AmpChannel::setSampleRate(rate);
    inputFilter.setSampleRate(rate);
    interstageFilter.setSampleRate(rate);
    gainTS.setSampleRate(rate);
    gainTS.updateCoefficients();
    masterPresence.setSampleRate(rate);
    masterPresence.updateCoefficients();
    tube.feedbackFilter.setSampleRate(rate);
    outputFilter.setSampleRate(rate);
    publishTuning(rate);
}

void MVAmpClean::reset()
{
    gainTS.reset();
    masterPresence.reset();
}

void MVAmpClean::activate()
{
    gainTS.updateCoefficients();
    masterPresence.updateCoefficients();
}

void MVAmpClean::setKnob(AmpKnob knob, float position, bool recompute)
{
    switch (knob) {
    case AmpKnob::Gain: gainTS.gain = position; break;
    case AmpKnob::Low: gainTS.low = position; break;
    case AmpKnob::Mid: gainTS.mid = position; break;
    case AmpKnob::High: gainTS.high = position; break;
    case AmpKnob::Presence: masterPresence.presence = position; break;
    case AmpKnob::Master: masterPresence.master = position; break;
    }
    if (!recompute)
        return;
    if (knob == AmpKnob::Presence || knob == AmpKnob::Master)
        masterPresence.updateCoefficients();
    else
        gainTS.updateCoefficients();
}

void MVAmpClean::process(SampleFrame* frame)
{
    if (!enabled)
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
