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
    const double whole = std::floor(d);
    const double frac = d - whole;
    const int back = int(whole);
    const double newer = delayRing[(j - back) & kRingMask];
    const double older = delayRing[(j - back - 1) & kRingMask];
    return newer + (older - newer) * frac;
}

namespace {

// Stages [first, first + G) of the cascade across `count` decimated values:
// the value of sample m leaves stage g while sample m + 1 enters it, so G
// chains run side by side. Every stage does allpassPair() on its samples in
// order, as the per-sample cascade does.
template <int G>
void cascadeGroup(double* v, int count, double ac, double* x, double* y, int cur0) noexcept
{
    const int prev = 1 - cur0;
    double xp[G], yp[G]; // each stage's latest state
    for (int g = 0; g < G; ++g) {
        xp[g] = x[2 * g + prev];
        yp[g] = y[2 * g + prev];
    }
    for (int m = 0; m < count; ++m) {
        double s = v[m];
        for (int g = 0; g < G; ++g) {
            const double xs = s - ac * xp[g];
            const double ys = ac * (xs - yp[g]) + xp[g];
            s = ac * ys + yp[g];
            xp[g] = flushDenormal(xs);
            yp[g] = flushDenormal(ys);
        }
        v[m] = s;
    }
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
    constexpr int kGroup = 5;
    int s = first;
    for (; s + kGroup <= stages; s += kGroup)
        cascadeGroup<kGroup>(decimated, count, ac, allpassX + 2 * s, allpassY + 2 * s, cur);
    for (; s < stages; ++s)
        cascadeGroup<1>(decimated, count, ac, allpassX + 2 * s, allpassY + 2 * s, cur);
}

namespace {

// Two doubles in one vector register; the operators act lane by lane with
// the rounding of the scalar operations.
typedef double Lanes2 __attribute__((vector_size(16)));

// cascadeGroup() for two lines at once, line a in lane 0 and line b in lane
// 1, over the same number of decimated values.
template <int G>
void cascadeGroupPair(double* va, double* vb, int count, Lanes2 ac, double* xa, double* ya, int curA, double* xb,
                      double* yb, int curB) noexcept
{
    const Lanes2 guard = {kDenormalGuard, kDenormalGuard};
    Lanes2 xp[G], yp[G];
    for (int g = 0; g < G; ++g) {
        xp[g] = Lanes2{xa[2 * g + 1 - curA], xb[2 * g + 1 - curB]};
        yp[g] = Lanes2{ya[2 * g + 1 - curA], yb[2 * g + 1 - curB]};
    }
    for (int m = 0; m < count; ++m) {
        Lanes2 s = {va[m], vb[m]};
        for (int g = 0; g < G; ++g) {
            const Lanes2 xs = s - ac * xp[g];
            const Lanes2 ys = ac * (xs - yp[g]) + xp[g];
            s = ac * ys + yp[g];
            Lanes2 xf = xs - guard; // flushDenormal, lane by lane
            xf = xf + guard;
            Lanes2 yf = ys - guard;
            yf = yf + guard;
            xp[g] = xf;
            yp[g] = yf;
        }
        va[m] = s[0];
        vb[m] = s[1];
    }
    const int lastA = (curA + count - 1) & 1;
    const int lastB = (curB + count - 1) & 1;
    for (int g = 0; g < G; ++g) {
        xa[2 * g + lastA] = xp[g][0];
        ya[2 * g + lastA] = yp[g][0];
        xb[2 * g + lastB] = xp[g][1];
        yb[2 * g + lastB] = yp[g][1];
    }
}

} // namespace

namespace {

// Two tenth-order low-passes side by side, one per lane, each with the
// arithmetic of TenthOrderLowpass::filter() in its order. The state is taken
// from the two filters for a block and handed back after it.
class PairLowpass {
public:
    PairLowpass(TenthOrderLowpass& p, TenthOrderLowpass& q) noexcept : first(p), second(q)
    {
        double xp[kSpan], yp[kSpan], xq[kSpan], yq[kSpan];
        p.exportState(xp, yp);
        q.exportState(xq, yq);
        for (int k = 0; k < kSpan; ++k) {
            x[k] = x[k + kSpan] = Lanes2{xp[k], xq[k]};
            y[k] = y[k + kSpan] = Lanes2{yp[k], yq[k]};
        }
        for (int k = 0; k < 6; ++k)
            b[k] = Lanes2{p.numerator()[k], q.numerator()[k]};
        for (int k = 0; k < TenthOrderLowpass::kOrder; ++k)
            c[k] = Lanes2{p.feedbackCoefficients()[k], q.feedbackCoefficients()[k]};
    }

    ~PairLowpass()
    {
        double xp[kSpan], yp[kSpan], xq[kSpan], yq[kSpan];
        for (int k = 0; k < kSpan; ++k) {
            xp[k] = x[head + k][0];
            xq[k] = x[head + k][1];
            yp[k] = y[head + k][0];
            yq[k] = y[head + k][1];
        }
        first.importState(xp, yp);
        second.importState(xq, yq);
    }

    PairLowpass(const PairLowpass&) = delete;
    PairLowpass& operator=(const PairLowpass&) = delete;

    Lanes2 filter(Lanes2 in) noexcept
    {
        constexpr int kOrder = TenthOrderLowpass::kOrder;
        head = head == 0 ? kOrder : head - 1;
        x[head] = x[head + kSpan] = in;
        const Lanes2* xs = x + head;
        const Lanes2* ys = y + head;
        Lanes2 acc = b[5] * xs[5];
        for (int k = 0; k < 5; ++k)
            acc += b[k] * (xs[k] + xs[kOrder - k]);
        for (int k = 1; k <= kOrder; ++k)
            acc += c[k - 1] * ys[k];
        const Lanes2 guard = {kDenormalGuard, kDenormalGuard};
        acc += guard; // flushDenormalRaised, lane by lane
        acc -= guard;
        y[head] = y[head + kSpan] = acc;
        return acc;
    }

private:
    static constexpr int kSpan = TenthOrderLowpass::kOrder + 1;
    TenthOrderLowpass& first;
    TenthOrderLowpass& second;
    Lanes2 x[2 * kSpan];
    Lanes2 y[2 * kSpan];
    int head = 0;
    Lanes2 b[6];
    Lanes2 c[TenthOrderLowpass::kOrder];
};

} // namespace

void ChirpLowDS::runBlockPair(ChirpLowDS& a, double* ioA, ChirpLowDS& b, double* ioB, int n) noexcept
{
    // The delay loops' reads first; then feedback, high-pass and decimator of
    // both lines in the two lanes of a vector.
    double loopA[kMaxBlock], loopB[kMaxBlock];
    double decA[kMaxBlock], decB[kMaxBlock];
    int countA = 0, countB = 0;
    a.phaseCount &= a.phaseMask;
    b.phaseCount &= b.phaseMask;
    for (int k = 0; k < n; ++k)
        loopA[k] = a.loopStep(k);
    for (int k = 0; k < n; ++k)
        loopB[k] = b.loopStep(k);
    {
        // Both lines in the two lanes: feedback, high-pass, decimator.
        const Lanes2 feedback = {a.feedback, b.feedback};
        const Lanes2 gain = {double(a.decimation), double(b.decimation)};
        const Lanes2 hpB0 = {a.highPass.b0, b.highPass.b0};
        const Lanes2 hpB1 = {a.highPass.b1, b.highPass.b1};
        const Lanes2 hpPole = {a.highPass.p, b.highPass.p};
        const Lanes2 guard = {kDenormalGuard, kDenormalGuard};
        Lanes2 hpX1 = {a.highPass.x1, b.highPass.x1};
        Lanes2 hpY1 = {a.highPass.y1, b.highPass.y1};
        Lanes2 fed = {a.loopOut, b.loopOut};
        PairLowpass decimators(a.decimator, b.decimator);
        for (int k = 0; k < n; ++k) {
            Lanes2 v = (Lanes2{ioA[k], ioB[k]} - feedback * fed) * gain;
            // ChirpHP::filter(), lane by lane.
            Lanes2 out = hpB0 * v - hpB1 * hpX1 + hpPole * hpY1;
            hpX1 = v;
            out -= guard;
            out += guard;
            hpY1 = out;
            v = decimators.filter(out);
            if (((a.phaseCount + k) & a.phaseMask) == 0)
                decA[countA++] = v[0];
            if (((b.phaseCount + k) & b.phaseMask) == 0)
                decB[countB++] = v[1];
            fed = Lanes2{loopA[k], loopB[k]};
        }
        a.highPass.x1 = hpX1[0];
        b.highPass.x1 = hpX1[1];
        a.highPass.y1 = hpY1[0];
        b.highPass.y1 = hpY1[1];
    }

    // The cascades; stage pairs that both lines have run in the two lanes.
    int first = 0;
    if (countA == countB && countA > 0) {
        const int common = std::min(a.stages, b.stages);
        const Lanes2 ac = {a.allpassCoeff, b.allpassCoeff};
        const int curA = a.pingPong & 1, curB = b.pingPong & 1;
        constexpr int kGroup = 5;
        for (; first + kGroup <= common; first += kGroup)
            cascadeGroupPair<kGroup>(decA, decB, countA, ac, a.allpassX + 2 * first, a.allpassY + 2 * first, curA,
                                     b.allpassX + 2 * first, b.allpassY + 2 * first, curB);
        for (; first < common; ++first)
            cascadeGroupPair<1>(decA, decB, countA, ac, a.allpassX + 2 * first, a.allpassY + 2 * first, curA,
                                b.allpassX + 2 * first, b.allpassY + 2 * first, curB);
    }
    if (countA > 0) {
        a.cascadeBlock(decA, countA, first);
        a.pingPong = (a.pingPong + countA) & 1;
    }
    if (countB > 0) {
        b.cascadeBlock(decB, countB, first);
        b.pingPong = (b.pingPong + countB) & 1;
    }

    // Interpolators (on the cascade output where a decimated sample was
    // taken, zeros between) in the two lanes, and the ring writes.
    {
        PairLowpass interpolators(a.interpolator, b.interpolator);
        int nextA = 0, nextB = 0;
        for (int k = 0; k < n; ++k) {
            const double inA = ((a.phaseCount + k) & a.phaseMask) == 0 ? decA[nextA++] : 0.0;
            const double inB = ((b.phaseCount + k) & b.phaseMask) == 0 ? decB[nextB++] : 0.0;
            const Lanes2 out = interpolators.filter(Lanes2{inA, inB});
            a.delayRing[(a.delayIndex + k) & kRingMask] = out[0];
            b.delayRing[(b.delayIndex + k) & kRingMask] = out[1];
            ioA[k] = out[0];
            ioB[k] = out[1];
        }
    }
    for (ChirpLowDS* line : {&a, &b})
        line->delayIndex = (line->delayIndex + n) & kRingMask;
    for (ChirpLowDS* line : {&a, &b})
        line->phaseCount = (line->phaseCount + n) & line->phaseMask;
    a.loopOut = loopA[n - 1];
    b.loopOut = loopB[n - 1];
}
