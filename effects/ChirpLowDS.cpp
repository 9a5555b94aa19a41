#include "effects/ChirpLowDS.h"

#include "dsp/RateBand.h"
#include "dsp/DenormalFlush.h"

#include <algorithm>
#include <iterator>
#include <cmath>

namespace {

// Converts a computed length to an index clamped to lo..hi; NaN gives lo.
// Keeps out-of-range rates and settings from turning into undefined
// float-to-int conversions.
template <typename T>
int clampToInt(T value, int lo, int hi)
{
    if (!(value >= T(lo)))
        return lo;
    if (value > T(hi))
        return hi;
    return int(value);
}

} // namespace

ChirpLowDS::ChirpLowDS()
{
    setSampleRate(sampleRate);
}

void ChirpLowDS::setSampleRate(float rate)
{
    sampleRate = rate;
    decimation = RateBand::below(rate, RateBand::kLimit48k) ? 4 : 8;
    phaseMask = decimation - 1;
    decimator.setSampleRate(rate);
    interpolator.setSampleRate(rate);
    highPass.setSampleRate(rate);
}

void ChirpLowDS::reset()
{
    pingPong = 0;
    phaseCount = 0;
    std::fill(std::begin(allpassX), std::end(allpassX), 0.0);
    std::fill(std::begin(allpassY), std::end(allpassY), 0.0);
    loopOut = 0.0;
    delayIndex = 0;
    std::fill(std::begin(delayRing), std::end(delayRing), 0.0);
}

void ChirpLowDS::setStages(float count)
{
    stages = clampToInt(std::trunc(count), 0, kMaxStages);
    updateTaps();
}

void ChirpLowDS::setCutoff(float hz)
{
    cutoff = hz;
    stretch = sampleRate * 0.5f / hz;
    updateTaps();
}

void ChirpLowDS::setAllpassCoeff(float a)
{
    allpassCoeff = a;
    updateTaps();
}

void ChirpLowDS::setLineDelay(float seconds)
{
    lineDelay = seconds;
    updateTaps();
}

void ChirpLowDS::setEchoPosition(float position)
{
    echoPosition = position;
    updateTaps();
}

void ChirpLowDS::updateTaps()
{
    const double a = allpassCoeff;
    // Low-frequency group delay of the cascade in full-rate samples: each of
    // the 2M sections delays by (1 - a) / (1 + a) decimated samples.
    const double chainDelay = std::trunc(((1.0 - a) / (1.0 + a)) * (2.0 * decimation * stages));
    const float raw = lineDelay * sampleRate - float(chainDelay);
    const float whole = std::floor(raw);
    const float rounded = raw - whole >= 0.5f ? whole + 1.0f : whole;
    loopDelay = clampToInt(rounded, 1, kMaxLoopDelay);

    tapSpan1 = loopDelay / 5;
    tapSpan2 = clampToInt(std::trunc(stretch * 2.0f * echoPosition), 0, loopDelay - tapSpan1);
    tapSpan3 = loopDelay - tapSpan1 - tapSpan2;

    std::fill(std::begin(delayRing), std::end(delayRing), 0.0);
}

namespace {

// One stage pair of the cascade: the sample runs on with the exact section
// values, and only the stored states are flushed (they are next read Kds
// samples later), keeping the flush off the chain's critical path.
inline double allpassPair(double v, double ac, double* x, double* y, int cur, int prev) noexcept
{
    const double xs = v - ac * x[prev];
    const double ys = ac * (xs - y[prev]) + x[prev];
    v = ac * ys + y[prev];
    x[cur] = flushDenormal(xs);
    y[cur] = flushDenormal(ys);
    return v;
}

} // namespace

bool ChirpLowDS::decimate(double in, double& v) noexcept
{
    v = (in - feedback * loopOut) * decimation;
    v = highPass.filter(v);

    phaseCount &= phaseMask;
    if (phaseCount != 0) {
        // Between decimated samples: advance the decimator, feed zeros on.
        decimator.filter(v);
        v = 0.0;
        return false;
    }
    v = decimator.filter(v);
    return true;
}

void ChirpLowDS::cascade(double& v) noexcept
{
    pingPong &= 1;
    const int cur = pingPong;
    const int prev = 1 - cur;
    const double ac = allpassCoeff;
    for (int s = 0; s < stages; ++s)
        v = allpassPair(v, ac, allpassX + 2 * s, allpassY + 2 * s, cur, prev);
    ++pingPong;
}

double ChirpLowDS::finish(double v) noexcept
{
    ++phaseCount;
    // The stream carries the cascade output on one sample in Kds and zeros
    // between; the gain Kds at the input restores the level.
    v = interpolator.filter(v);

    // Delay loop with two echoes written into the ring in place.
    const int j = delayIndex & kRingMask;
    delayRing[j] = v;
    const int tap3 = j - tapSpan3;
    const int tap31 = tap3 - tapSpan1;
    const int tap312 = tap31 - tapSpan2;
    delayRing[tap31 & kRingMask] += echoGainA * delayRing[tap3 & kRingMask];
    delayRing[tap312 & kRingMask] += echoGainB * delayRing[tap31 & kRingMask];

    // Modulation noise, drawn in single precision, smoothed in double.
    const float u = float(noise.next()) * (1.0f / 32768.0f);
    const float n = (6.0f * 10923.0f * u - 3.0f * 10922.0f) * (1.0f / 32767.0f);
    noiseState = (1.0 - noisePole) * n + noisePole * noiseState;
    const double t = std::clamp(noiseState, -1.0, 1.0);

    // Interpolated read between loopDelay and loopDelay + 2 modDepth back.
    const double d = modDepth * t + double(loopDelay + modDepth);
    const double whole = std::floor(d);
    const double frac = d - whole;
    const int back = int(whole);
    const double newer = delayRing[(j - back) & kRingMask];
    const double older = delayRing[(j - back - 1) & kRingMask];
    loopOut = newer + (older - newer) * frac;
    delayIndex = (j + 1) & kRingMask;
    return v;
}

double ChirpLowDS::run(double in) noexcept
{
    double v = 0.0;
    if (decimate(in, v))
        cascade(v);
    return finish(v);
}

void ChirpLowDS::runPair(ChirpLowDS& a, double& inOutA, ChirpLowDS& b, double& inOutB) noexcept
{
    double va = 0.0, vb = 0.0;
    const bool cascadeA = a.decimate(inOutA, va);
    const bool cascadeB = b.decimate(inOutB, vb);
    if (cascadeA && cascadeB) {
        // Both lines on a decimated sample (always, when they started
        // together): their sections alternate over the common length. Each
        // line's own arithmetic is exactly that of cascade().
        a.pingPong &= 1;
        b.pingPong &= 1;
        const int curA = a.pingPong, prevA = 1 - curA;
        const int curB = b.pingPong, prevB = 1 - curB;
        const double acA = a.allpassCoeff, acB = b.allpassCoeff;
        const int common = std::min(a.stages, b.stages);
        int s = 0;
        for (; s < common; ++s) {
            va = allpassPair(va, acA, a.allpassX + 2 * s, a.allpassY + 2 * s, curA, prevA);
            vb = allpassPair(vb, acB, b.allpassX + 2 * s, b.allpassY + 2 * s, curB, prevB);
        }
        for (int t = s; t < a.stages; ++t)
            va = allpassPair(va, acA, a.allpassX + 2 * t, a.allpassY + 2 * t, curA, prevA);
        for (int t = s; t < b.stages; ++t)
            vb = allpassPair(vb, acB, b.allpassX + 2 * t, b.allpassY + 2 * t, curB, prevB);
        ++a.pingPong;
        ++b.pingPong;
    } else {
        if (cascadeA)
            a.cascade(va);
        if (cascadeB)
            b.cascade(vb);
    }
    inOutA = a.finish(va);
    inOutB = b.finish(vb);
}
