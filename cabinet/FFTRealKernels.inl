// The loops of the real FFT, included into one translation unit per
// instruction set (inside an unnamed namespace there, so each copy stays
// private to its unit). Not a header of its own: include only from the
// FFTRealKernels*.cpp files, which pick the vector width with makeKernels<L>.
//
// The complex FFT of M = N/2 points runs as Stockham passes (self-sorting:
// every pass reads one buffer and writes the other in an order that leaves
// the result in natural order, so there is no bit-reversal step) on split
// real/imaginary arrays. A pass of sub-transform length n and stride s
// (n·s = M) reads x[q + s·(p + j·n/4)] and writes y[q + s·(4p + j)],
// j = 0..3, for p < n/4 and q < s, with the twiddles w^(j·p) of length n on
// output j. Lanes of a vector hold consecutive q, except in the first pass
// (s = 1), whose lanes hold consecutive p and whose four outputs are
// transposed on the way out. The last pass (n = 4, or n = 8 when log2 M is
// odd) needs no twiddle tables.
//
// The real transform around it: forward, the even samples are the real and
// the odd samples the imaginary parts of the complex input (read straight
// from the interleaved samples by the first pass), and a post-pass splits
// the complex spectrum into the spectra of the even and odd samples and
// joins them into bins 0..N/2. Inverse, a pre-pass builds the complex
// spectrum from the packed bins, and the inverse complex FFT runs as the
// forward one with real and imaginary parts exchanged on the way in and out
// (the last pass writes the interleaved samples directly).

#if defined(__GNUC__) || defined(__clang__)
#define FFT_RESTRICT __restrict__
#else
#define FFT_RESTRICT
#endif

#if defined(__GNUC__) && defined(__has_builtin)
#if __has_builtin(__builtin_shufflevector)
#define FFT_HAVE_VECTORS 1
#endif
#endif

// --- Lanes: the vector type of a width and the few shuffles the passes need --

// One double per "vector": the plain build for compilers without vector
// extensions. Every shuffle is the identity.
struct Lanes1 {
    using V = double;
    static constexpr int width = 1;
    static V load(const double* p) noexcept { return *p; }
    static void store(double* p, V v) noexcept { *p = v; }
    static V splat(double x) noexcept { return x; }
    static V reverse(V v) noexcept { return v; }
    // Pairs (re, im) at lo then hi, to separate real and imaginary lanes.
    static void deinterleave(V lo, V hi, V& re, V& im) noexcept
    {
        re = lo;
        im = hi;
    }
    // The inverse of deinterleave.
    static void interleave(V re, V im, V& lo, V& hi) noexcept
    {
        lo = re;
        hi = im;
    }
    // y[4·l + j] = o_j[l] for every lane l.
    static void storeTransposed(double* y, V o0, V o1, V o2, V o3) noexcept
    {
        y[0] = o0;
        y[1] = o1;
        y[2] = o2;
        y[3] = o3;
    }
};

#if defined(FFT_HAVE_VECTORS)
// Two doubles per vector (SSE2 on x86-64, NEON on 64-bit ARM).
struct Lanes2 {
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
    static V reverse(V v) noexcept { return __builtin_shufflevector(v, v, 1, 0); }
    static void deinterleave(V lo, V hi, V& re, V& im) noexcept
    {
        re = __builtin_shufflevector(lo, hi, 0, 2);
        im = __builtin_shufflevector(lo, hi, 1, 3);
    }
    static void interleave(V re, V im, V& lo, V& hi) noexcept
    {
        lo = __builtin_shufflevector(re, im, 0, 2);
        hi = __builtin_shufflevector(re, im, 1, 3);
    }
    static void storeTransposed(double* y, V o0, V o1, V o2, V o3) noexcept
    {
        store(y, __builtin_shufflevector(o0, o1, 0, 2));
        store(y + 2, __builtin_shufflevector(o2, o3, 0, 2));
        store(y + 4, __builtin_shufflevector(o0, o1, 1, 3));
        store(y + 6, __builtin_shufflevector(o2, o3, 1, 3));
    }
};

#if defined(__AVX__)
// Four doubles per vector (AVX).
struct Lanes4 {
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
    static V reverse(V v) noexcept { return __builtin_shufflevector(v, v, 3, 2, 1, 0); }
    static void deinterleave(V lo, V hi, V& re, V& im) noexcept
    {
        re = __builtin_shufflevector(lo, hi, 0, 2, 4, 6);
        im = __builtin_shufflevector(lo, hi, 1, 3, 5, 7);
    }
    static void interleave(V re, V im, V& lo, V& hi) noexcept
    {
        lo = __builtin_shufflevector(re, im, 0, 4, 1, 5);
        hi = __builtin_shufflevector(re, im, 2, 6, 3, 7);
    }
    // A 4×4 transpose in two rounds of shuffles.
    static void storeTransposed(double* y, V o0, V o1, V o2, V o3) noexcept
    {
        const V t0 = __builtin_shufflevector(o0, o1, 0, 4, 2, 6); // o0[0] o1[0] o0[2] o1[2]
        const V t1 = __builtin_shufflevector(o0, o1, 1, 5, 3, 7); // o0[1] o1[1] o0[3] o1[3]
        const V t2 = __builtin_shufflevector(o2, o3, 0, 4, 2, 6); // o2[0] o3[0] o2[2] o3[2]
        const V t3 = __builtin_shufflevector(o2, o3, 1, 5, 3, 7); // o2[1] o3[1] o2[3] o3[3]
        store(y, __builtin_shufflevector(t0, t2, 0, 1, 4, 5));
        store(y + 4, __builtin_shufflevector(t1, t3, 0, 1, 4, 5));
        store(y + 8, __builtin_shufflevector(t0, t2, 2, 3, 6, 7));
        store(y + 12, __builtin_shufflevector(t1, t3, 2, 3, 6, 7));
    }
};
#endif
#endif

// --- Where the first pass reads and the last pass writes ---------------------

// Complex points held in two split arrays.
template <class L>
struct SplitSource {
    using V = typename L::V;
    const double* re;
    const double* im;
    void get(std::ptrdiff_t i, V& r, V& m) const noexcept
    {
        r = L::load(re + i);
        m = L::load(im + i);
    }
};

// Complex points z[i] = x[2i] + i·x[2i+1] read from interleaved real samples.
template <class L>
struct InterleavedSource {
    using V = typename L::V;
    const double* x;
    void get(std::ptrdiff_t i, V& r, V& m) const noexcept
    {
        L::deinterleave(L::load(x + 2 * i), L::load(x + 2 * i + L::width), r, m);
    }
};

template <class L>
struct SplitSink {
    using V = typename L::V;
    double* re;
    double* im;
    void put(std::ptrdiff_t i, V r, V m) const noexcept
    {
        L::store(re + i, r);
        L::store(im + i, m);
    }
};

// The inverse's exit: the forward FFT ran on exchanged parts, so its
// imaginary part is the even sample x[2i] and its real part the odd one.
template <class L>
struct SwappedInterleavedSink {
    using V = typename L::V;
    double* x;
    void put(std::ptrdiff_t i, V r, V m) const noexcept
    {
        V lo, hi;
        L::interleave(m, r, lo, hi);
        L::store(x + 2 * i, lo);
        L::store(x + 2 * i + L::width, hi);
    }
};

// --- Butterflies -------------------------------------------------------------

// Four-point DFT (exp(-i·...) convention) of a, b, c, d, in place:
// a + b + c + d, (a - c) - i(b - d), (a + c) - (b + d), (a - c) + i(b - d).
template <class V>
inline void dft4(V& ar, V& ai, V& br, V& bi, V& cr, V& ci, V& dr, V& di) noexcept
{
    const V apcR = ar + cr, apcI = ai + ci;
    const V amcR = ar - cr, amcI = ai - ci;
    const V bpdR = br + dr, bpdI = bi + di;
    const V bmdR = br - dr, bmdI = bi - di;
    ar = apcR + bpdR;
    ai = apcI + bpdI;
    br = amcR + bmdI;
    bi = amcI - bmdR;
    cr = apcR - bpdR;
    ci = apcI - bpdI;
    dr = amcR - bmdI;
    di = amcI + bmdR;
}

// (r, i) *= (wr, wi)
template <class V>
inline void rotate(V& r, V& i, V wr, V wi) noexcept
{
    const V t = r * wr - i * wi;
    i = r * wi + i * wr;
    r = t;
}

// --- Passes of the complex FFT -----------------------------------------------

// The first pass: stride 1, sub-transform length M, lanes over p. Its four
// outputs per p are neighbours in y, so they leave through a transpose.
template <class L, class Source>
void firstPass(int m, const Source& src, double* FFT_RESTRICT yr, double* FFT_RESTRICT yi,
               const double* FFT_RESTRICT tw) noexcept
{
    using V = typename L::V;
    const int n4 = m / 4;
    const double* w1r = tw;
    const double* w1i = tw + n4;
    const double* w2r = tw + 2 * n4;
    const double* w2i = tw + 3 * n4;
    const double* w3r = tw + 4 * n4;
    const double* w3i = tw + 5 * n4;
    for (int p = 0; p < n4; p += L::width) {
        V ar, ai, br, bi, cr, ci, dr, di;
        src.get(p, ar, ai);
        src.get(p + n4, br, bi);
        src.get(p + 2 * n4, cr, ci);
        src.get(p + 3 * n4, dr, di);
        dft4(ar, ai, br, bi, cr, ci, dr, di);
        rotate(br, bi, L::load(w1r + p), L::load(w1i + p));
        rotate(cr, ci, L::load(w2r + p), L::load(w2i + p));
        rotate(dr, di, L::load(w3r + p), L::load(w3i + p));
        L::storeTransposed(yr + 4 * p, ar, br, cr, dr);
        L::storeTransposed(yi + 4 * p, ai, bi, ci, di);
    }
}

// A pass of stride s >= width with twiddles: lanes over q, one set of
// twiddles per p.
template <class L>
void middlePass(int n4, int s, const double* FFT_RESTRICT xr, const double* FFT_RESTRICT xi,
                double* FFT_RESTRICT yr, double* FFT_RESTRICT yi, const double* FFT_RESTRICT tw) noexcept
{
    using V = typename L::V;
    const std::ptrdiff_t quarter = std::ptrdiff_t(s) * n4;
    for (int p = 0; p < n4; ++p) {
        const V w1r = L::splat(tw[p]), w1i = L::splat(tw[n4 + p]);
        const V w2r = L::splat(tw[2 * n4 + p]), w2i = L::splat(tw[3 * n4 + p]);
        const V w3r = L::splat(tw[4 * n4 + p]), w3i = L::splat(tw[5 * n4 + p]);
        const double* ar = xr + std::ptrdiff_t(s) * p;
        const double* ai = xi + std::ptrdiff_t(s) * p;
        double* outR = yr + 4 * std::ptrdiff_t(s) * p;
        double* outI = yi + 4 * std::ptrdiff_t(s) * p;
        for (int q = 0; q < s; q += L::width) {
            V a0r = L::load(ar + q), a0i = L::load(ai + q);
            V a1r = L::load(ar + q + quarter), a1i = L::load(ai + q + quarter);
            V a2r = L::load(ar + q + 2 * quarter), a2i = L::load(ai + q + 2 * quarter);
            V a3r = L::load(ar + q + 3 * quarter), a3i = L::load(ai + q + 3 * quarter);
            dft4(a0r, a0i, a1r, a1i, a2r, a2i, a3r, a3i);
            rotate(a1r, a1i, w1r, w1i);
            rotate(a2r, a2i, w2r, w2i);
            rotate(a3r, a3i, w3r, w3i);
            L::store(outR + q, a0r);
            L::store(outI + q, a0i);
            L::store(outR + q + s, a1r);
            L::store(outI + q + s, a1i);
            L::store(outR + q + 2 * s, a2r);
            L::store(outI + q + 2 * s, a2i);
            L::store(outR + q + 3 * s, a3r);
            L::store(outI + q + 3 * s, a3i);
        }
    }
}

// The closing pass of four-point DFTs, stride s = M/4, no twiddles.
template <class L, class Sink>
void lastRadix4(int s, const double* FFT_RESTRICT xr, const double* FFT_RESTRICT xi, const Sink& out) noexcept
{
    using V = typename L::V;
    for (int q = 0; q < s; q += L::width) {
        V ar = L::load(xr + q), ai = L::load(xi + q);
        V br = L::load(xr + q + s), bi = L::load(xi + q + s);
        V cr = L::load(xr + q + 2 * s), ci = L::load(xi + q + 2 * s);
        V dr = L::load(xr + q + 3 * s), di = L::load(xi + q + 3 * s);
        dft4(ar, ai, br, bi, cr, ci, dr, di);
        out.put(q, ar, ai);
        out.put(q + s, br, bi);
        out.put(q + 2 * s, cr, ci);
        out.put(q + 3 * s, dr, di);
    }
}

// The closing pass of eight-point DFTs, stride s = M/8. Each is split into
// sums and differences of the halves, the differences turned by
// exp(-2πi·k/8), and two four-point DFTs giving the even and odd outputs.
template <class L, class Sink>
void lastRadix8(int s, const double* FFT_RESTRICT xr, const double* FFT_RESTRICT xi, const Sink& out) noexcept
{
    using V = typename L::V;
    const V h = L::splat(0.70710678118654752440); // √½
    for (int q = 0; q < s; q += L::width) {
        V ar[4], ai[4], br[4], bi[4];
        for (int k = 0; k < 4; ++k) {
            const V lr = L::load(xr + q + k * s), li = L::load(xi + q + k * s);
            const V ur = L::load(xr + q + (k + 4) * s), ui = L::load(xi + q + (k + 4) * s);
            ar[k] = lr + ur;
            ai[k] = li + ui;
            br[k] = lr - ur;
            bi[k] = li - ui;
        }
        // times exp(-iπ/4), exp(-iπ/2), exp(-3iπ/4)
        const V b1r = (br[1] + bi[1]) * h, b1i = (bi[1] - br[1]) * h;
        const V b2r = bi[2], b2i = -br[2];
        const V b3r = (bi[3] - br[3]) * h, b3i = -(br[3] + bi[3]) * h;
        br[1] = b1r;
        bi[1] = b1i;
        br[2] = b2r;
        bi[2] = b2i;
        br[3] = b3r;
        bi[3] = b3i;
        dft4(ar[0], ai[0], ar[1], ai[1], ar[2], ai[2], ar[3], ai[3]);
        dft4(br[0], bi[0], br[1], bi[1], br[2], bi[2], br[3], bi[3]);
        for (int k = 0; k < 4; ++k) {
            out.put(q + 2 * k * s, ar[k], ai[k]);
            out.put(q + (2 * k + 1) * s, br[k], bi[k]);
        }
    }
}

// --- The real post-pass and pre-pass -----------------------------------------

// Forward post-pass. Z (the transform of the even/odd pairs) holds
// E[k] + i·O[k], E and O being the spectra of the even and odd samples;
// X[k] = E[k] + exp(-2πik/N)·O[k]. Bins k and M-k share their E and O terms,
// so each step does a run of k in 1..M/2 and the mirrored run M-k at once
// (bin M/2 is its own mirror and comes out the same from both sides).
template <class L>
void joinHalves(int m, const double* FFT_RESTRICT zr, const double* FFT_RESTRICT zi, const double* FFT_RESTRICT c,
                const double* FFT_RESTRICT s, double* FFT_RESTRICT out) noexcept
{
    using V = typename L::V;
    const V half = L::splat(0.5);
    double* outRe = out;
    double* outIm = out + m;
    for (int k = 1; k <= m / 2; k += L::width) {
        const int j = m - k - (L::width - 1); // first index of the mirrored run
        const V zkr = L::load(zr + k), zki = L::load(zi + k);
        const V zjr = L::reverse(L::load(zr + j)), zji = L::reverse(L::load(zi + j));
        const V ck = L::load(c + k), sk = L::load(s + k);
        const V er = half * (zkr + zjr);
        const V ei = half * (zki - zji);
        const V orr = half * (zki + zji);
        const V oi = half * (zjr - zkr);
        const V a = ck * orr + sk * oi;
        const V b = ck * oi - sk * orr;
        L::store(outRe + k, er + a);
        L::store(outIm + k, ei + b);
        L::store(outRe + j, L::reverse(er - a));
        L::store(outIm + j, L::reverse(b - ei));
    }
    out[0] = zr[0] + zi[0];
    out[m] = zr[0] - zi[0];
}

// Inverse pre-pass, the mirror of joinHalves: Z[k] = 2·(E[k] + i·O[k]) from
// the packed bins, written with real and imaginary parts exchanged (into zi
// and zr respectively is the caller's choice of pointers).
template <class L>
void splitHalves(int m, const double* FFT_RESTRICT in, const double* FFT_RESTRICT c, const double* FFT_RESTRICT s,
                 double* FFT_RESTRICT zr, double* FFT_RESTRICT zi) noexcept
{
    using V = typename L::V;
    const double* inRe = in;
    const double* inIm = in + m;
    for (int k = 1; k <= m / 2; k += L::width) {
        const int j = m - k - (L::width - 1);
        const V xkr = L::load(inRe + k), xki = L::load(inIm + k);
        const V xjr = L::reverse(L::load(inRe + j)), xji = L::reverse(L::load(inIm + j));
        const V ck = L::load(c + k), sk = L::load(s + k);
        const V fr = xkr + xjr;
        const V fi = xki - xji;
        const V gr = xkr - xjr;
        const V gi = xki + xji;
        const V ur = ck * gr - sk * gi;
        const V ui = ck * gi + sk * gr;
        L::store(zr + k, fr - ui);
        L::store(zi + k, fi + ur);
        L::store(zr + j, L::reverse(fr + ui));
        L::store(zi + j, L::reverse(ur - fi));
    }
    zr[0] = in[0] + in[m];
    zi[0] = in[0] - in[m];
}

// --- The whole transforms ----------------------------------------------------

// Runs the passes after the first on buffer `cur` and ends in `out`.
template <class L, class Sink>
void remainingPasses(const FFTRealPlan& plan, int cur, const Sink& out) noexcept
{
    const int m = plan.half;
    const double* tw = plan.twiddles + 6 * (m / 4);
    int n = m / 4; // sub-transform length of the next pass
    int s = 4;     // its stride
    for (int pass = 1; pass < plan.twiddledPasses; ++pass) {
        middlePass<L>(n / 4, s, plan.re[cur], plan.im[cur], plan.re[1 - cur], plan.im[1 - cur], tw);
        tw += 6 * (n / 4);
        n /= 4;
        s *= 4;
        cur = 1 - cur;
    }
    if (plan.radix8Last)
        lastRadix8<L>(s, plan.re[cur], plan.im[cur], out);
    else
        lastRadix4<L>(s, plan.re[cur], plan.im[cur], out);
}

template <class L>
void forwardTransform(const FFTRealPlan& plan, const double* input, double* output) noexcept
{
    const int m = plan.half;
    firstPass<L>(m, InterleavedSource<L>{input}, plan.re[0], plan.im[0], plan.twiddles);
    // The first pass writes buffer 0 and every pass after it flips buffers;
    // the last one writes the buffer that the post-pass reads.
    const int end = plan.twiddledPasses % 2;
    remainingPasses<L>(plan, 0, SplitSink<L>{plan.re[end], plan.im[end]});
    joinHalves<L>(m, plan.re[end], plan.im[end], plan.cosines, plan.sines, output);
}

template <class L>
void inverseTransform(const FFTRealPlan& plan, const double* input, double* output) noexcept
{
    const int m = plan.half;
    // Exchanged parts: the real part of Z goes to the imaginary buffer.
    splitHalves<L>(m, input, plan.cosines, plan.sines, plan.im[0], plan.re[0]);
    firstPass<L>(m, SplitSource<L>{plan.re[0], plan.im[0]}, plan.re[1], plan.im[1], plan.twiddles);
    remainingPasses<L>(plan, 1, SwappedInterleavedSink<L>{output});
}

template <class L>
constexpr FFTRealKernels makeKernels(const char* name)
{
    return FFTRealKernels{forwardTransform<L>, inverseTransform<L>, name};
}
