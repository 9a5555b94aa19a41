#include "effects/SpringPipeline.h"

#include "dsp/DenormalFlush.h"
#include "effects/ChirpEq.h"
#include "effects/TenthOrderLowpass.h"

#include <algorithm>

namespace {

constexpr int kOrder = TenthOrderLowpass::kOrder;
constexpr int kSpan = kOrder + 1; // values in a filter's exported history

template <typename V>
using Filter = SpringPipeline::Filter<V>;

// TenthOrderLowpass::filter() in two halves. The numerator of a sample whose
// input is xs[10] (xs[10 - k] the k-th input before it) needs no earlier
// output, so every sample's numerator is ready before the recursion starts.
template <typename V>
inline V numeratorAt(const V* b, const V* xs) noexcept
{
    V acc = b[5] * xs[5];
    for (int k = 0; k < 5; ++k)
        acc += b[k] * (xs[kOrder - k] + xs[k]);
    return acc;
}

template <typename V>
void numerators(Filter<V>& f, int from, int to) noexcept
{
    for (int j = from; j < to; ++j)
        f.num[j] = numeratorAt(f.b, f.x + j);
}

// The recursion on a numerator sum, y the ten latest outputs, newest first.
template <typename V>
inline V recursionStep(V acc, const V* c, V* y, V& dropped, V guard) noexcept
{
    acc += c[0] * y[0];
    acc += c[1] * y[1];
    acc += c[2] * y[2];
    acc += c[3] * y[3];
    acc += c[4] * y[4];
    acc += c[5] * y[5];
    acc += c[6] * y[6];
    acc += c[7] * y[7];
    acc += c[8] * y[8];
    acc += c[9] * y[9];
    acc += guard; // flushDenormalRaised()
    acc -= guard;
    dropped = y[9];
    for (int k = kOrder - 1; k > 0; --k)
        y[k] = y[k - 1];
    y[0] = acc;
    return acc;
}

// Taking a filter's state and coefficients for a block (one filter per lane)
// and handing the state back after n samples.
void load(Filter<double>& f, const TenthOrderLowpass& p) noexcept
{
    double x[kSpan], y[kSpan];
    p.exportState(x, y);
    for (int k = 0; k < kOrder; ++k) {
        f.x[kOrder - 1 - k] = x[k];
        f.y[k] = y[k];
    }
    f.dropped = y[kOrder];
    std::copy_n(p.numerator(), 6, f.b);
    std::copy_n(p.feedbackCoefficients(), kOrder, f.c);
}

void load(Filter<Lanes2>& f, const TenthOrderLowpass& p, const TenthOrderLowpass& q) noexcept
{
    double xp[kSpan], yp[kSpan], xq[kSpan], yq[kSpan];
    p.exportState(xp, yp);
    q.exportState(xq, yq);
    for (int k = 0; k < kOrder; ++k) {
        f.x[kOrder - 1 - k] = Lanes2{xp[k], xq[k]};
        f.y[k] = Lanes2{yp[k], yq[k]};
    }
    f.dropped = Lanes2{yp[kOrder], yq[kOrder]};
    for (int k = 0; k < 6; ++k)
        f.b[k] = Lanes2{p.numerator()[k], q.numerator()[k]};
    for (int k = 0; k < kOrder; ++k)
        f.c[k] = Lanes2{p.feedbackCoefficients()[k], q.feedbackCoefficients()[k]};
}

void store(const Filter<double>& f, int n, TenthOrderLowpass& p) noexcept
{
    double x[kSpan], y[kSpan];
    for (int k = 0; k < kSpan; ++k)
        x[k] = f.x[kOrder + n - 1 - k];
    std::copy_n(f.y, kOrder, y);
    y[kOrder] = f.dropped;
    p.importState(x, y);
}

void store(const Filter<Lanes2>& f, int n, TenthOrderLowpass& p, TenthOrderLowpass& q) noexcept
{
    double xp[kSpan], yp[kSpan], xq[kSpan], yq[kSpan];
    for (int k = 0; k < kSpan; ++k) {
        xp[k] = f.x[kOrder + n - 1 - k][0];
        xq[k] = f.x[kOrder + n - 1 - k][1];
    }
    for (int k = 0; k < kOrder; ++k) {
        yp[k] = f.y[k][0];
        yq[k] = f.y[k][1];
    }
    yp[kOrder] = f.dropped[0];
    yq[kOrder] = f.dropped[1];
    p.importState(xp, yp);
    q.importState(xq, yq);
}

// Part `part` of a block of n samples: [begin, begin + count); empty outside
// the block's parts.
struct Part {
    int begin = 0;
    int count = 0;
};

Part partOf(int part, int parts, int n) noexcept
{
    if (part < 0 || part >= parts)
        return {};
    const int begin = part * SpringPipeline::kPart;
    return {begin, std::min(n, begin + SpringPipeline::kPart) - begin};
}

} // namespace

void SpringPipeline::run(ChirpLowDS& a, double* ioA, ChirpLowDS& b, double* ioB, ChirpEq& eq,
                         TenthOrderLowpass& output, double* wet, int n) noexcept
{
    const Lanes2 guard2 = splat(kDenormalGuard);
    load(decimators_, a.decimator, b.decimator);
    load(interpolators_, a.interpolator, b.interpolator);
    load(output_, output);

    // The loops' outputs over the whole block, then feedback and high-pass
    // of both lines in the two lanes, into the decimators' inputs.
    a.phaseCount &= a.phaseMask;
    b.phaseCount &= b.phaseMask;
    ChirpLowDS::readLoopPair(a, loopA_, b, loopB_, n);
    {
        const Lanes2 feedback = {a.feedback, b.feedback};
        const Lanes2 gain = {double(a.decimation), double(b.decimation)};
        const Lanes2 hpB0 = {a.highPass.b0, b.highPass.b0};
        const Lanes2 hpB1 = {a.highPass.b1, b.highPass.b1};
        const Lanes2 hpPole = {a.highPass.p, b.highPass.p};
        Lanes2 hpX1 = {a.highPass.x1, b.highPass.x1};
        Lanes2 hpY1 = {a.highPass.y1, b.highPass.y1};
        Lanes2 fed = {a.loopOut, b.loopOut};
        Lanes2* filtered = decimators_.x + kOrder;
        for (int k = 0; k < n; ++k) {
            const Lanes2 v = (Lanes2{ioA[k], ioB[k]} - feedback * fed) * gain;
            // ChirpHP::filter(), lane by lane.
            Lanes2 out = hpB0 * v - hpB1 * hpX1 + hpPole * hpY1;
            hpX1 = v;
            out -= guard2; // flushDenormal()
            out += guard2;
            hpY1 = out;
            filtered[k] = out;
            fed = Lanes2{loopA_[k], loopB_[k]};
        }
        a.highPass.x1 = hpX1[0];
        b.highPass.x1 = hpX1[1];
        a.highPass.y1 = hpY1[0];
        b.highPass.y1 = hpY1[1];
    }
    numerators(decimators_, 0, n);

    const int parts = (n + kPart - 1) / kPart;
    int countA = 0, countB = 0; // decimated values taken so far
    int nextA = 0, nextB = 0;   // decimated values handed to the interpolators so far
    for (int step = 0; step < parts + 2; ++step) {
        const Part d = partOf(step, parts, n);     // decimators
        const Part i = partOf(step - 1, parts, n); // interpolators
        const Part o = partOf(step - 2, parts, n); // output low-pass

        // The three recursions side by side, their latest outputs in registers.
        Lanes2 yd[kOrder], yi[kOrder];
        double yo[kOrder];
        std::copy_n(decimators_.y, kOrder, yd);
        std::copy_n(interpolators_.y, kOrder, yi);
        std::copy_n(output_.y, kOrder, yo);
        Lanes2 droppedD = decimators_.dropped, droppedI = interpolators_.dropped;
        double droppedO = output_.dropped;
        const int steps = std::max({d.count, i.count, o.count});
        for (int j = 0; j < steps; ++j) {
            if (j < d.count)
                decimated_[d.begin + j] =
                    recursionStep(decimators_.num[d.begin + j], decimators_.c, yd, droppedD, guard2);
            if (j < i.count) {
                // The lines' outputs into their loops, their mix through the
                // resonator on into the output low-pass.
                const int k = i.begin + j;
                const Lanes2 lines = recursionStep(interpolators_.num[k], interpolators_.c, yi, droppedI, guard2);
                a.writeLoop(k, lines[0]);
                b.writeLoop(k, lines[1]);
                output_.x[kOrder + k] = eq.filter((lines[0] + lines[1]) * 0.5);
            }
            if (j < o.count)
                wet[o.begin + j] = recursionStep(output_.num[o.begin + j], output_.c, yo, droppedO, kDenormalGuard);
        }
        std::copy_n(yd, kOrder, decimators_.y);
        std::copy_n(yi, kOrder, interpolators_.y);
        std::copy_n(yo, kOrder, output_.y);
        decimators_.dropped = droppedD;
        interpolators_.dropped = droppedI;
        output_.dropped = droppedO;

        if (d.count > 0) {
            // The decimated values of the part through the cascades, then
            // into the interpolators on their samples, zeros between.
            const int firstA = countA, firstB = countB;
            for (int k = d.begin; k < d.begin + d.count; ++k) {
                if (((a.phaseCount + k) & a.phaseMask) == 0)
                    decA_[countA++] = decimated_[k][0];
                if (((b.phaseCount + k) & b.phaseMask) == 0)
                    decB_[countB++] = decimated_[k][1];
            }
            ChirpLowDS::cascadePair(a, decA_ + firstA, countA - firstA, b, decB_ + firstB, countB - firstB);
            Lanes2* stuffed = interpolators_.x + kOrder;
            for (int k = d.begin; k < d.begin + d.count; ++k) {
                const double inA = ((a.phaseCount + k) & a.phaseMask) == 0 ? decA_[nextA++] : 0.0;
                const double inB = ((b.phaseCount + k) & b.phaseMask) == 0 ? decB_[nextB++] : 0.0;
                stuffed[k] = Lanes2{inA, inB};
            }
            numerators(interpolators_, d.begin, d.begin + d.count);
        }
        if (i.count > 0)
            numerators(output_, i.begin, i.begin + i.count);
    }

    store(decimators_, n, a.decimator, b.decimator);
    store(interpolators_, n, a.interpolator, b.interpolator);
    store(output_, n, output);
    a.endBlock(n, loopA_[n - 1]);
    b.endBlock(n, loopB_[n - 1]);
}
