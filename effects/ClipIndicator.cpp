#include "effects/ClipIndicator.h"

#include <cmath>

void ClipIndicator::setSampleRate(float rate) noexcept
{
    const float samples = std::trunc(rate * 0.5f);
    // A rate that is not a positive finite number holds for no time.
    hold_ = (samples >= 0.0f && samples < 2.0e9f) ? int(samples) : 0;
    counter_ = hold_;
    led_ = 0.0f;
}
