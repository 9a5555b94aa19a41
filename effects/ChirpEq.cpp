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
    // (host rates from 8 kHz to 384 kHz give 0 to 34).
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
    return intDelay >= 1 ? filterLagged(in) : filterShort(in);
}

// K >= 1.5: each stretched delay is a ring lag of D - 1 samples, one sample
// of state and the allpass. The outputs of the four allpasses depend on their
// states only; the states then take the ring values D - 1 samples back. With
// D = 1 that lag is zero and the value read is the one stored in this very
// step, so the rings are written before they are read.
double ChirpEq::filterLagged(double in) noexcept
{
    const int n = ringIndex & kRingMask;
    const int q = (n - intDelay + 1) & kRingMask;
    const double ap = fracCoeff;

    delayedInRing[n] = ap * s[0] + s[1];              // x delayed by K
    const double e = ap * s[2] + s[3];                // x delayed by 2K
    delayedOutRing[n] = ap * s[4] + s[5];             // y delayed by K
    const double g = ap * s[6] + s[7];                // y delayed by 2K

    inRing[n] = in;
    const double out = flushDenormal(gain * (in - e) - a1 * delayedOutRing[n] - a2 * g);
    outRing[n] = out;

    const double w0 = flushDenormal(inRing[q] - ap * s[0]);
    s[1] = s[0];
    s[0] = w0;
    const double w2 = flushDenormal(delayedInRing[q] - ap * s[2]);
    s[3] = s[2];
    s[2] = w2;
    const double w4 = flushDenormal(outRing[q] - ap * s[4]);
    s[5] = s[4];
    s[4] = w4;
    const double w6 = flushDenormal(delayedOutRing[q] - ap * s[6]);
    s[7] = s[6];
    s[6] = w6;

    ringIndex = (n + 1) & kRingMask;
    return out;
}

// K < 1.5 (host rates below 16.5 kHz): the whole stretched delay is the
// allpass alone, without a sample of state before it, so every stretched
// delay answers in the same step:
//   xK = ap x + (1 - ap^2) s,   where s is the allpass's last inner value.
// The output then appears on both sides of the recursion and is solved for:
//   y (1 + a1 ap + a2 ap^2) = gain (x - x2K) - a1 P - a2 (ap P + Q)
// with P and Q the state parts of y delayed by K and by 2K. The factor is
// (1 - p1 ap)(1 - p2 ap) for the two poles p, both inside the unit circle,
// so it never vanishes. The rings are not used.
double ChirpEq::filterShort(double in) noexcept
{
    const double ap = fracCoeff;
    const double rest = 1.0 - ap * ap;

    const double inK = ap * in + rest * s[0];
    const double in2K = ap * inK + rest * s[2];
    const double p = rest * s[4];
    const double qPart = rest * s[6];
    const double out = flushDenormal(
        (gain * (in - in2K) - a1 * p - a2 * (ap * p + qPart)) / (1.0 + a1 * ap + a2 * ap * ap));
    const double outK = ap * out + p;

    s[0] = flushDenormal(in - ap * s[0]);
    s[2] = flushDenormal(inK - ap * s[2]);
    s[4] = flushDenormal(out - ap * s[4]);
    s[6] = flushDenormal(outK - ap * s[6]);
    return out;
}
