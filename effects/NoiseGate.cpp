#include "effects/NoiseGate.h"

#include "dsp/DenormalFlush.h"

#include <cmath>

float NoiseGate::twentyDbCoefficient(float milliseconds) const noexcept
{
    const float samples = milliseconds * sampleRate / 1000.0f;
    return 1.0f / std::pow(10.0f, 1.0f / samples);
}

void NoiseGate::setThreshold(float v) noexcept
{
    threshold_ = v * v * v;
}

void NoiseGate::setAttack(float v) noexcept
{
    attackCoeff_ = twentyDbCoefficient(v * 99.0f + 1.0f);
}

void NoiseGate::setDecay(float v) noexcept
{
    decayCoeff_ = twentyDbCoefficient(v * 999.0f + 1.0f);
}

void NoiseGate::process(SampleFrame* frame)
{
    if (!enabled_)
        return;
    const double x = frame->value;
    if (std::fabs(x) > threshold_) {
        const double a = attackCoeff_;
        gain_ = (1.0 - a) + a * gain_;
    } else {
        // A closed gate decays towards 0 for as long as the silence lasts:
        // the flush ends it at 0 instead of in denormals.
        gain_ = flushDenormal(decayCoeff_ * gain_);
    }
    frame->value = x * gain_;
}
