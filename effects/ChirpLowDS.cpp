#include "effects/ChirpLowDS.h"

#include "dsp/DenormalFlush.h"
#include "dsp/RateBand.h"
#include "effects/CascadeWavefront.h"

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
    decimator.clearHistory();
    interpolator.clearHistory();
    highPass.reset();
    noiseState = 0.0;
    noise.seed(noiseSeed);
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
    // d >= loopDelay >= 1: truncation is the floor, without the rounding
    // mode dance a floor takes on processors without SSE4.1.
    const int back = int(d);
    const double frac = d - double(back);
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

int ChirpLowDS::blockLimit() const noexcept
{
    const int limit = std::min({kMaxBlock, tapSpan3, loopDelay});
    return limit >= 16 ? limit : 0;
}

inline double ChirpLowDS::loopStep(int k) noexcept
{
    // finish() without its first line: the block's own ring writes come
    // later. Nothing read here is written by the block (the reads reach at
    // least tapSpan3 >= n samples back), and these echo writes land behind
    // the block's write positions.
    const int j = (delayIndex + k) & kRingMask;
    const int tap3 = j - tapSpan3;
    const int tap31 = tap3 - tapSpan1;
    const int tap312 = tap31 - tapSpan2;
    delayRing[tap31 & kRingMask] += echoGainA * delayRing[tap3 & kRingMask];
    delayRing[tap312 & kRingMask] += echoGainB * delayRing[tap31 & kRingMask];

    const float u = float(noise.next()) * (1.0f / 32768.0f);
    const float r = (6.0f * 10923.0f * u - 3.0f * 10922.0f) * (1.0f / 32767.0f);
    noiseState = (1.0 - noisePole) * r + noisePole * noiseState;
    const double t = std::clamp(noiseState, -1.0, 1.0);

    const double d = modDepth * t + double(loopDelay + modDepth);
    // d >= loopDelay >= 1: truncation is the floor, without the rounding
    // mode dance a floor takes on processors without SSE4.1.
    const int back = int(d);
    const double frac = d - double(back);
    const double newer = delayRing[(j - back) & kRingMask];
    const double older = delayRing[(j - back - 1) & kRingMask];
    return newer + (older - newer) * frac;
}

namespace {

// allpassPair() on a value whose stage state is held in xp, yp (flushed),
// lane by lane for vectors.
template <typename V>
inline V stagePair(V s, V ac, V& xp, V& yp, V guard) noexcept
{
    const V xs = s - ac * xp;
    const V ys = ac * (xs - yp) + xp;
    s = ac * ys + yp;
    V xf = xs - guard; // flushDenormal()
    xf = xf + guard;
    V yf = ys - guard;
    yf = yf + guard;
    xp = xf;
    yp = yf;
    return s;
}

// G stage pairs across `count` values as a diagonal wavefront: at step t
// stage g takes sample t - g, which stage g - 1 finished at step t - 1, so
// the stages of a step do not wait on each other and run side by side. Each
// stage still does allpassPair() on its samples in their order. load(m)
// gives sample m, store(m, v) takes its result.
template <int G, typename V, typename Load, typename Store>
inline void diagonal(int count, V ac, V* xp, V* yp, V guard, Load load, Store store) noexcept
{
    V waiting[G]; // waiting[g]: the value stage g takes next
    const auto partialStep = [&](int t) {
        const int lowest = std::max(0, t - count + 1);
        const int highest = std::min(G - 1, t);
        for (int g = highest; g >= lowest; --g) {
            const V out = stagePair(g == 0 ? load(t) : waiting[g], ac, xp[g], yp[g], guard);
            if (g == G - 1)
                store(t - g, out);
            else
                waiting[g + 1] = out;
        }
    };
    int t = 0;
    for (; t < G - 1; ++t) // filling
        partialStep(t);
    for (; t < count; ++t) { // every stage busy
        for (int g = G - 1; g >= 0; --g) {
            const V out = stagePair(g == 0 ? load(t) : waiting[g], ac, xp[g], yp[g], guard);
            if (g == G - 1)
                store(t - g, out);
            else
                waiting[g + 1] = out;
        }
    }
    for (; t < count + G - 1; ++t) // draining
        partialStep(t);
}

// Stages [first, first + G) of the cascade across `count` decimated values
// (count >= 1).
template <int G>
void cascadeGroup(double* v, int count, double ac, double* x, double* y, int cur0) noexcept
{
    const int prev = 1 - cur0;
    double xp[G], yp[G]; // each stage's latest state
    for (int g = 0; g < G; ++g) {
        xp[g] = x[2 * g + prev];
        yp[g] = y[2 * g + prev];
    }
    diagonal<G>(count, ac, xp, yp, kDenormalGuard, [v](int m) { return v[m]; },
                [v](int m, double out) { v[m] = out; });
    // The latest state goes into the slot that count steps of the per-sample
    // cascade write last, the one its next step reads; the other slot is
    // written before it is read again.
    const int last = (cur0 + count - 1) & 1;
    for (int g = 0; g < G; ++g) {
        x[2 * g + last] = xp[g];
        y[2 * g + last] = yp[g];
    }
}

} // namespace

void ChirpLowDS::cascadeBlock(double* decimated, int count, int first) noexcept
{
    const double ac = allpassCoeff;
    const int cur = pingPong & 1;
    constexpr int kGroup = 4;
    int s = first;
    for (; s + kGroup <= stages; s += kGroup)
        cascadeGroup<kGroup>(decimated, count, ac, allpassX + 2 * s, allpassY + 2 * s, cur);
    for (; s < stages; ++s)
        cascadeGroup<1>(decimated, count, ac, allpassX + 2 * s, allpassY + 2 * s, cur);
}

void ChirpLowDS::readLoopPair(ChirpLowDS& a, double* outA, ChirpLowDS& b, double* outB, int n) noexcept
{
    // The two lines in one loop: each waits on its ring and its noise
    // smoothing, and the processor overlaps the two.
    for (int k = 0; k < n; ++k) {
        outA[k] = a.loopStep(k);
        outB[k] = b.loopStep(k);
    }
}

void ChirpLowDS::cascadePair(ChirpLowDS& a, double* decA, int countA, ChirpLowDS& b, double* decB,
                             int countB) noexcept
{
    if (countA == countB && countA > 0 && a.stages > 0 && b.stages > 0) {
        bestCascadeWavefront(countA)(a, decA, b, decB, countA);
    } else {
        if (countA > 0)
            a.cascadeBlock(decA, countA, 0);
        if (countB > 0)
            b.cascadeBlock(decB, countB, 0);
    }
    a.pingPong = (a.pingPong + countA) & 1;
    b.pingPong = (b.pingPong + countB) & 1;
}

void ChirpLowDS::endBlock(int n, double lastLoopOut) noexcept
{
    delayIndex = (delayIndex + n) & kRingMask;
    phaseCount = (phaseCount + n) & phaseMask;
    loopOut = lastLoopOut;
}
