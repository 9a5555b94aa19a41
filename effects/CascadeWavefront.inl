// The diagonal wavefront of the spring's allpass cascades, included into one
// translation unit per instruction set (inside an unnamed namespace there).
// Not a header of its own: include only from the CascadeWavefront*.cpp
// files, which pick the vector width with cascadeWavefront<W>.
//
// Bit-exactness rests on each element doing allpassPair()'s operations in
// its order, lanes only ever holding independent elements, and no
// multiplication fused with its addition (the units are built with
// -ffp-contract=off).
//
// A step works in place on one buffer, from the top element down: element e
// reads its input at buffer[e] and writes its output to buffer[e + 2], the
// input of the next stage at the next step, which at that point has been
// read already (a vector loads its inputs before it stores, and the elements
// above it went first). Running downwards also has each step begin with
// what the step before wrote first, rather than wait for its newest stores.

#if defined(__GNUC__)
#define WAVEFRONT_HAVE_VECTORS 1
typedef double WavefrontLanes2 __attribute__((vector_size(16)));
#if defined(__AVX__)
typedef double WavefrontLanes4 __attribute__((vector_size(32)));
#endif

template <typename V>
inline V loadLanes(const double* p) noexcept
{
    V v;
    __builtin_memcpy(&v, p, sizeof v);
    return v;
}

template <typename V>
inline void storeLanes(double* p, V v) noexcept
{
    __builtin_memcpy(p, &v, sizeof v);
}

// Elements i .. i + (lanes - 1) of a step.
template <typename V>
inline void wavefrontElements(double* buffer, double* x, double* y, const double* ac, int i) noexcept
{
    const V guard = V{} + kDenormalGuard;
    const V a = loadLanes<V>(ac + i);
    const V xp = loadLanes<V>(x + i);
    const V yp = loadLanes<V>(y + i);
    const V xs = loadLanes<V>(buffer + i) - a * xp;
    const V ys = a * (xs - yp) + xp;
    storeLanes(buffer + i + 2, a * ys + yp);
    storeLanes(x + i, (xs - guard) + guard); // flushDenormal()
    storeLanes(y + i, (ys - guard) + guard);
}
#endif

// One element of a step, without vectors.
inline void wavefrontElement(double* buffer, double* x, double* y, const double* ac, int i) noexcept
{
    const double xs = buffer[i] - ac[i] * x[i];
    const double ys = ac[i] * (xs - y[i]) + x[i];
    buffer[i + 2] = ac[i] * ys + y[i];
    x[i] = flushDenormal(xs);
    y[i] = flushDenormal(ys);
}

// Elements [first, end) of a step (an even count), from the top down, W
// at a time while they last.
template <int W>
inline void wavefrontStep(double* buffer, double* x, double* y, const double* ac, int first, int end) noexcept
{
    int i = end;
#if defined(WAVEFRONT_HAVE_VECTORS)
#if defined(__AVX__)
    if constexpr (W >= 4) {
        for (; i - 4 >= first; i -= 4)
            wavefrontElements<WavefrontLanes4>(buffer, x, y, ac, i - 4);
    }
#endif
    if constexpr (W >= 2) {
        for (; i - 2 >= first; i -= 2)
            wavefrontElements<WavefrontLanes2>(buffer, x, y, ac, i - 2);
    }
#endif
    for (; i - 1 >= first; --i)
        wavefrontElement(buffer, x, y, ac, i - 1);
}

template <int W>
void cascadeWavefront(ChirpLowDS& a, double* va, ChirpLowDS& b, double* vb, int count) noexcept
{
    constexpr int kElements = 2 * ChirpLowDS::kMaxStages;
    const int stages = std::max(a.stages, b.stages);
    const int elements = 2 * stages;
    const int curA = a.pingPong & 1, curB = b.pingPong & 1;
    double x[kElements]{}, y[kElements]{}, ac[kElements];
    for (int g = 0; g < a.stages; ++g) {
        x[2 * g] = a.allpassX[2 * g + 1 - curA];
        y[2 * g] = a.allpassY[2 * g + 1 - curA];
    }
    for (int g = 0; g < b.stages; ++g) {
        x[2 * g + 1] = b.allpassX[2 * g + 1 - curB];
        y[2 * g + 1] = b.allpassY[2 * g + 1 - curB];
    }
    for (int i = 0; i < elements; i += 2) {
        ac[i] = a.allpassCoeff;
        ac[i + 1] = b.allpassCoeff;
    }

    // buffer[2 g + line] is stage g's next input; a step leaves each stage's
    // output one stage on.
    double buffer[kElements + 2];
    const int outA = 2 * a.stages, outB = 2 * b.stages + 1;
    for (int t = 0; t < count + stages - 1; ++t) {
        if (t < count) {
            buffer[0] = va[t];
            buffer[1] = vb[t];
        }
        const int first = 2 * std::max(0, t - count + 1);
        const int end = 2 * std::min(stages - 1, t) + 2;
        wavefrontStep<W>(buffer, x, y, ac, first, end);
        const int mA = t - (a.stages - 1), mB = t - (b.stages - 1);
        if (mA >= 0 && mA < count)
            va[mA] = buffer[outA];
        if (mB >= 0 && mB < count)
            vb[mB] = buffer[outB];
    }

    // The latest state into the slot that count steps of the per-sample
    // cascade write last, the one its next step reads; the other slot is
    // written before it is read again.
    const int lastA = (curA + count - 1) & 1;
    const int lastB = (curB + count - 1) & 1;
    for (int g = 0; g < a.stages; ++g) {
        a.allpassX[2 * g + lastA] = x[2 * g];
        a.allpassY[2 * g + lastA] = y[2 * g];
    }
    for (int g = 0; g < b.stages; ++g) {
        b.allpassX[2 * g + lastB] = x[2 * g + 1];
        b.allpassY[2 * g + lastB] = y[2 * g + 1];
    }
}
