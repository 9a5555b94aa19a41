#include "effects/Limiter.h"

#include "dsp/DenormalFlush.h"

#include <algorithm>
#include <iterator>
#include <cmath>

namespace {

// The limited sample: removes the denormal guard added on entry and holds
// the ceiling, which g * x can overshoot by one rounding step when the gain
// is exactly 1 / |x|.
double limited(double gain, double delayed) noexcept
{
    return std::clamp(gain * delayed - kDenormalGuard, -Limiter::kCeiling, Limiter::kCeiling);
}

} // namespace

void Limiter::setSampleRate(float rate)
{
    sampleRate = rate;
    window_ = windowFor(rate);
}

void Limiter::reset()
{
    holdAge_ = kStaleAge;
    std::fill(std::begin(delayL_), std::end(delayL_), 0.0);
    std::fill(std::begin(magnitude_), std::end(magnitude_), 0.0);
    std::fill(std::begin(peakHold_), std::end(peakHold_), 0.0);
    std::fill(std::begin(delayR_), std::end(delayR_), 0.0);
}

double Limiter::gainAt(int i, double magnitude) noexcept
{
    const int n = window_;
    magnitude_[i] = magnitude;

    // Sliding maximum over the last N magnitudes.
    double m;
    if (holdAge_ > n - 1) {
        // The held maximum has left the window: rescan, ties moving the hold
        // to the older sample.
        m = magnitude;
        for (int k = 1; k < n; ++k) {
            const double v = magnitude_[(i - k) & kRingMask];
            if (m <= v) {
                m = v;
                holdAge_ = k;
            }
        }
    } else {
        m = magnitude_[(i - holdAge_) & kRingMask];
        if (magnitude >= m) {
            m = magnitude;
            holdAge_ = 0;
        }
    }
    // Saturates instead of counting up while every new sample is the largest
    // (any age beyond the window means "rescan").
    holdAge_ = std::min(holdAge_ + 1, kStaleAge);
    peakHold_[i] = m;

    double sum = 0.0;
    for (int k = 0; k < n; ++k)
        sum += peakHold_[(i - k) & kRingMask];
    const double average = sum / n;
    const double gain = 1.0 / average;
    return gain > 1.0 ? 1.0 : gain;
}

void Limiter::process(SampleFrame* frame)
{
    if (!enabled_)
        return;
    const int i = writeIndex_;
    delayL_[i] = frame->value + kDenormalGuard;
    const double g = gainAt(i, std::fabs(delayL_[i]));
    frame->value = limited(g, delayL_[(i - window_ + 1) & kRingMask]);
    writeIndex_ = (i + 1) & kRingMask;
}

void Limiter::processStereo(double& left, double& right) noexcept
{
    const int i = writeIndex_;
    delayL_[i] = left + kDenormalGuard;
    delayR_[i] = right + kDenormalGuard;
    const double g = gainAt(i, std::max(std::fabs(delayL_[i]), std::fabs(delayR_[i])));
    const int out = (i - window_ + 1) & kRingMask;
    left = limited(g, delayL_[out]);
    right = limited(g, delayR_[out]);
    writeIndex_ = (i + 1) & kRingMask;
}
