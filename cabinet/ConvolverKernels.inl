// The convolver's inner loops, included into one translation unit per
// instruction set (inside an unnamed namespace there, so each copy stays
// private to its unit). Not a header of its own: include only from the
// ConvolverKernels*.cpp files, which pick the vector width with
// makeConvolverKernels<L>.
//
// Bit-exactness rests on two things: each output value is computed by the
// same multiplications and additions in the same order whatever the width
// (lanes only hold independent values), and no multiplication is fused with
// its addition (the units are built with -ffp-contract=off).

#if defined(__GNUC__) && defined(__has_builtin)
#if __has_builtin(__builtin_shufflevector)
#define CONV_HAVE_VECTORS 1
#endif
#endif

// One double per "vector".
struct ConvLanes1 {
    using V = double;
    static constexpr int width = 1;
    static V load(const double* p) noexcept { return *p; }
    static void store(double* p, V v) noexcept { *p = v; }
    static V splat(double x) noexcept { return x; }
    static double lane(V v, int) noexcept { return v; }
};

#if defined(CONV_HAVE_VECTORS)
// Two doubles per vector (SSE2 on x86-64).
struct ConvLanes2 {
    typedef double V __attribute__((vector_size(16)));
    static constexpr int width = 2;
    static V load(const double* p) noexcept
    {
        V v;
        __builtin_memcpy(&v, p, sizeof v);
        return v;
    }
    static void store(double* p, V v) noexcept { __builtin_memcpy(p, &v, sizeof v); }
    static V splat(double x) noexcept { return V{x, x}; }
    static double lane(V v, int i) noexcept { return v[i]; }
};

#if defined(__AVX__)
// Four doubles per vector (the AVX2 unit).
struct ConvLanes4 {
    typedef double V __attribute__((vector_size(32)));
    static constexpr int width = 4;
    static V load(const double* p) noexcept
    {
        V v;
        __builtin_memcpy(&v, p, sizeof v);
        return v;
    }
    static void store(double* p, V v) noexcept { __builtin_memcpy(p, &v, sizeof v); }
    static V splat(double x) noexcept { return V{x, x, x, x}; }
    static double lane(V v, int i) noexcept { return v[i]; }
};
#endif
#endif

// One head output, the reference order: four partial sums s_j over the taps
// k with k mod 4 = j.
inline double headSampleScalar(const double* taps, const double* recent, int b) noexcept
{
    double sum0 = 0.0, sum1 = 0.0, sum2 = 0.0, sum3 = 0.0;
    for (int k = 0; k < b; k += 4) {
        sum0 += taps[k] * recent[k];
        sum1 += taps[k + 1] * recent[k + 1];
        sum2 += taps[k + 2] * recent[k + 2];
        sum3 += taps[k + 3] * recent[k + 3];
    }
    return (sum0 + sum1) + (sum2 + sum3);
}

// One head output with the four partial sums in the lanes of 4/W vectors:
// lane l of vector a holds s_(a·W + l), fed by the same taps in the same order.
template <typename L>
double headSample(const double* taps, const double* recent, int b) noexcept
{
    using V = typename L::V;
    constexpr int W = L::width;
    if constexpr (W == 1) {
        return headSampleScalar(taps, recent, b);
    } else {
        constexpr int A = 4 / W;
        V acc[A];
        for (int a = 0; a < A; ++a)
            acc[a] = L::splat(0.0);
        for (int k = 0; k < b; k += 4)
            for (int a = 0; a < A; ++a)
                acc[a] += L::load(taps + k + a * W) * L::load(recent + k + a * W);
        double s[4];
        for (int a = 0; a < A; ++a)
            for (int l = 0; l < W; ++l)
                s[a * W + l] = L::lane(acc[a], l);
        return (s[0] + s[1]) + (s[2] + s[3]);
    }
}

// Head outputs side by side: lane l of the vectors holds output i + l, whose
// four partial sums are four vectors; two groups of W outputs share the
// broadcast taps.
template <typename L>
void headBlock(const double* taps, const double* line, double* out, int b, int count) noexcept
{
    using V = typename L::V;
    constexpr int W = L::width;
    int i = 0;
    for (; i + 2 * W <= count; i += 2 * W) {
        const double* x = line + i;
        const double* y = line + i + W;
        V a0 = L::splat(0.0), a1 = a0, a2 = a0, a3 = a0;
        V c0 = a0, c1 = a0, c2 = a0, c3 = a0;
        for (int k = 0; k < b; k += 4) {
            const V t0 = L::splat(taps[k]);
            const V t1 = L::splat(taps[k + 1]);
            const V t2 = L::splat(taps[k + 2]);
            const V t3 = L::splat(taps[k + 3]);
            a0 += t0 * L::load(x + k);
            a1 += t1 * L::load(x + k + 1);
            a2 += t2 * L::load(x + k + 2);
            a3 += t3 * L::load(x + k + 3);
            c0 += t0 * L::load(y + k);
            c1 += t1 * L::load(y + k + 1);
            c2 += t2 * L::load(y + k + 2);
            c3 += t3 * L::load(y + k + 3);
        }
        L::store(out + i, (a0 + a1) + (a2 + a3));
        L::store(out + i + W, (c0 + c1) + (c2 + c3));
    }
    for (; i + W <= count; i += W) {
        const double* x = line + i;
        V a0 = L::splat(0.0), a1 = a0, a2 = a0, a3 = a0;
        for (int k = 0; k < b; k += 4) {
            a0 += L::splat(taps[k]) * L::load(x + k);
            a1 += L::splat(taps[k + 1]) * L::load(x + k + 1);
            a2 += L::splat(taps[k + 2]) * L::load(x + k + 2);
            a3 += L::splat(taps[k + 3]) * L::load(x + k + 3);
        }
        L::store(out + i, (a0 + a1) + (a2 + a3));
    }
    for (; i < count; ++i)
        out[i] = headSampleScalar(taps, line + i, b);
}

template <typename L>
void multiplySpectra(const double* __restrict__ x, const double* __restrict__ h, double* __restrict__ p, int n) noexcept
{
    using V = typename L::V;
    constexpr int W = L::width;
    const int m = n / 2;
    int k = 0;
    for (; k + W <= m; k += W) {
        const V xr = L::load(x + k), xi = L::load(x + m + k);
        const V hr = L::load(h + k), hi = L::load(h + m + k);
        L::store(p + k, xr * hr - xi * hi);
        L::store(p + m + k, xr * hi + xi * hr);
    }
    for (; k < m; ++k) {
        const double xr = x[k], xi = x[m + k];
        const double hr = h[k], hi = h[m + k];
        p[k] = xr * hr - xi * hi;
        p[m + k] = xr * hi + xi * hr;
    }
    // Bins 0 and N/2 are real and share slot pairs 0 and N/2.
    p[0] = x[0] * h[0];
    p[m] = x[m] * h[m];
}

template <typename L>
constexpr ConvolverKernels makeConvolverKernels(const char* name) noexcept
{
    return ConvolverKernels{&headSample<L>, &headBlock<L>, &multiplySpectra<L>, name};
}
