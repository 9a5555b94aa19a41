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

// Bin k's real part in a grouped spectrum with groups of g bins (its
// imaginary part follows g places on). A vector of W bins starting at a
// multiple of W lies inside one group when W divides g.
inline int groupedReal(int k, int g) noexcept
{
    return 2 * (k - k % g) + k % g;
}

template <typename L>
void multiplySpectra(const double* __restrict__ x, const double* __restrict__ h, double* __restrict__ p, int n) noexcept
{
    using V = typename L::V;
    constexpr int W = L::width;
    const int g = spectrumGroup(n);
    if constexpr (W > 1) {
        if (g % W != 0)
            return multiplySpectra<ConvLanes1>(x, h, p, n);
    }
    const int m = n / 2;
    for (int k = 0; k < m; k += W) {
        const int r = groupedReal(k, g);
        const V xr = L::load(x + r), xi = L::load(x + r + g);
        const V hr = L::load(h + r), hi = L::load(h + r + g);
        L::store(p + k, xr * hr - xi * hi);
        L::store(p + m + k, xr * hi + xi * hr);
    }
    // Bins 0 and N/2 are real and share the first slot pair.
    p[0] = x[0] * h[0];
    p[m] = x[g] * h[g];
}

// The seven products due in a block, summed as
// ((d0 + d1) + (d2 + d3)) + ((d4 + d5) + d6), each d_j formed as in
// multiplySpectra from spectrum x[j] and partition spectrum h + j·n.
//
// The bins go in runs of kRun, each run in three passes (d0 + d1, then
// + (d2 + d3), then + ((d4 + d5) + d6)) through a small buffer, so that a
// pass reads at most three spectra and three partition spectra at once.
template <typename L>
void sumProducts(const double* const* x, const double* __restrict__ h, double* __restrict__ acc, int n) noexcept
{
    using V = typename L::V;
    constexpr int W = L::width;
    const int g = spectrumGroup(n);
    if constexpr (W > 1) {
        if (g % W != 0)
            return sumProducts<ConvLanes1>(x, h, acc, n);
    }
    constexpr int kRun = 64;
    const int m = n / 2;
    const std::size_t stride = std::size_t(n);
    auto product = [&](int j, int k, V& re, V& im) {
        const int r = groupedReal(k, g);
        const double* xj = x[j] + r;
        const double* hj = h + std::size_t(j) * stride + std::size_t(r);
        const V xr = L::load(xj), xi = L::load(xj + g);
        const V hr = L::load(hj), hi = L::load(hj + g);
        re = xr * hr - xi * hi;
        im = xr * hi + xi * hr;
    };
    alignas(64) double sumRe[kRun];
    alignas(64) double sumIm[kRun];
    for (int start = 0; start < m; start += kRun) {
        const int end = std::min(m, start + kRun);
        for (int k = start; k < end; k += W) {
            V r0, i0, r1, i1;
            product(0, k, r0, i0);
            product(1, k, r1, i1);
            L::store(sumRe + (k - start), r0 + r1);
            L::store(sumIm + (k - start), i0 + i1);
        }
        for (int k = start; k < end; k += W) {
            V r2, i2, r3, i3;
            product(2, k, r2, i2);
            product(3, k, r3, i3);
            L::store(sumRe + (k - start), L::load(sumRe + (k - start)) + (r2 + r3));
            L::store(sumIm + (k - start), L::load(sumIm + (k - start)) + (i2 + i3));
        }
        for (int k = start; k < end; k += W) {
            V r4, i4, r5, i5, r6, i6;
            product(4, k, r4, i4);
            product(5, k, r5, i5);
            product(6, k, r6, i6);
            L::store(acc + k, L::load(sumRe + (k - start)) + ((r4 + r5) + r6));
            L::store(acc + m + k, L::load(sumIm + (k - start)) + ((i4 + i5) + i6));
        }
    }
    // The real bins 0 and N/2, at grouped places 0 and g.
    constexpr int P = 7;
    for (int bin = 0; bin <= m; bin += m) {
        const std::size_t place = bin == 0 ? 0 : std::size_t(g);
        double d[P];
        for (int j = 0; j < P; ++j)
            d[j] = x[j][place] * h[std::size_t(j) * stride + place];
        acc[bin] = ((d[0] + d[1]) + (d[2] + d[3])) + ((d[4] + d[5]) + d[6]);
    }
}

template <typename L>
constexpr ConvolverKernels makeConvolverKernels(const char* name) noexcept
{
    return ConvolverKernels{&headSample<L>, &headBlock<L>, &multiplySpectra<L>, &sumProducts<L>, name};
}
