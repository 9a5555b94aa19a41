#include "effects/ChirpEq.h"

#include "dsp/DenormalFlush.h"

#include <algorithm>
#include <iterator>
#include <cmath>
#include <numbers>

void ChirpEq::setSampleRate(float rate)
{
    sampleRate = rate;
    recompute();
}

void ChirpEq::setCutoff(float hz)
{
    cutoff = hz;
    stretch = sampleRate * 0.5f / cutoff;
    recompute();
}

void ChirpEq::setPeak(float hz)
{
    peak = hz;
    recompute();
}

void ChirpEq::setBandwidth(float hz)
{
    bandwidth = hz;
    recompute();
}

void ChirpEq::recompute()
{
    constexpr float pi = std::numbers::pi_v<float>;
    const float k = stretch;
    // D = K rounded half up, less one; kept inside the ring whatever the rate
    // (the standard rates give 3 to 16).
    float rounded = std::floor(k + 0.5f);
    if (!(rounded >= 1.0f))
        rounded = 1.0f;
    rounded = std::min(rounded, float(kRingSize - 1));
    intDelay = int(rounded) - 1;

    const float f = k - float(intDelay);
    fracCoeff = (1.0f - f) / (1.0f + f);
    const float r = 1.0f - pi * bandwidth * k / sampleRate;
    const float cosTheta = std::cos(2.0f * pi * peak * k / sampleRate);
    const float r2 = r * r;
    a2 = r2;
    a1 = -2.0f * r * ((1.0f + r2) / (2.0f * r)) * cosTheta;
    gain = (1.0f - r2) / 2.0f;
}

void ChirpEq::reset()
{
    std::fill(std::begin(inRing), std::end(inRing), 0.0);
    std::fill(std::begin(delayedInRing), std::end(delayedInRing), 0.0);
    std::fill(std::begin(outRing), std::end(outRing), 0.0);
    std::fill(std::begin(delayedOutRing), std::end(delayedOutRing), 0.0);
    std::fill(std::begin(s), std::end(s), 0.0);
    ringIndex = 0;
}

double ChirpEq::filter(double in) noexcept
{
    const int n = ringIndex & kRingMask;
    const int q = (n - intDelay + 1) & kRingMask;
    const double ap = fracCoeff;

    // x delayed by K, kept for the second stage.
    double w = flushDenormal(inRing[q] - ap * s[0]);
    delayedInRing[n] = ap * s[0] + s[1];
    s[1] = s[0];
    s[0] = w;
    // x delayed by 2K.
    w = flushDenormal(delayedInRing[q] - ap * s[2]);
    const double e = ap * s[2] + s[3];
    s[3] = s[2];
    s[2] = w;
    // y delayed by K.
    w = flushDenormal(outRing[q] - ap * s[4]);
    delayedOutRing[n] = ap * s[4] + s[5];
    s[5] = s[4];
    s[4] = w;
    // y delayed by 2K.
    w = flushDenormal(delayedOutRing[q] - ap * s[6]);
    const double g = ap * s[6] + s[7];
    s[7] = s[6];
    s[6] = w;

    inRing[n] = in;
    const double out = flushDenormal(gain * (in - e) - a1 * delayedOutRing[n] - a2 * g);
    outRing[n] = out;
    ringIndex = (n + 1) & kRingMask;
    return out;
}
