// The loops of the real FFT, included into one translation unit per
// instruction set (inside an unnamed namespace there, so each copy stays
// private to its unit). Plain loops over split real/imaginary arrays with no
// library calls, written so that the compiler vectorises them.
//
// Not a header of its own: include only from the FFTRealKernels*.cpp files.

// One radix-4 Stockham pass with stride 1 (the first pass): the butterflies
// of all p read four contiguous quarters and write groups of four.
void radix4First(int n4, const double* __restrict__ xr, const double* __restrict__ xi, double* __restrict__ yr,
                 double* __restrict__ yi, const double* __restrict__ tw) noexcept
{
    const double* w1r = tw;
    const double* w1i = tw + n4;
    const double* w2r = tw + 2 * n4;
    const double* w2i = tw + 3 * n4;
    const double* w3r = tw + 4 * n4;
    const double* w3i = tw + 5 * n4;
    for (int p = 0; p < n4; ++p) {
        const double ar = xr[p], ai = xi[p];
        const double br = xr[p + n4], bi = xi[p + n4];
        const double cr = xr[p + 2 * n4], ci = xi[p + 2 * n4];
        const double dr = xr[p + 3 * n4], di = xi[p + 3 * n4];
        const double apcR = ar + cr, apcI = ai + ci;
        const double amcR = ar - cr, amcI = ai - ci;
        const double bpdR = br + dr, bpdI = bi + di;
        const double bmdR = br - dr, bmdI = bi - di;
        // (a - c) - i(b - d), (a + c) - (b + d), (a - c) + i(b - d)
        const double t1r = amcR + bmdI, t1i = amcI - bmdR;
        const double t2r = apcR - bpdR, t2i = apcI - bpdI;
        const double t3r = amcR - bmdI, t3i = amcI + bmdR;
        yr[4 * p] = apcR + bpdR;
        yi[4 * p] = apcI + bpdI;
        yr[4 * p + 1] = w1r[p] * t1r - w1i[p] * t1i;
        yi[4 * p + 1] = w1r[p] * t1i + w1i[p] * t1r;
        yr[4 * p + 2] = w2r[p] * t2r - w2i[p] * t2i;
        yi[4 * p + 2] = w2r[p] * t2i + w2i[p] * t2r;
        yr[4 * p + 3] = w3r[p] * t3r - w3i[p] * t3i;
        yi[4 * p + 3] = w3r[p] * t3i + w3i[p] * t3r;
    }
}

// One radix-4 Stockham pass with stride s > 1: for each twiddle index p the
// s interleaved sub-transforms are processed as one contiguous run.
// The s butterflies of one twiddle index p in a strided radix-4 pass: four
// contiguous input runs a, b, c, d and four contiguous output runs.
inline void stridedButterflies(int s, const double* __restrict__ ar, const double* __restrict__ ai,
                               const double* __restrict__ br, const double* __restrict__ bi,
                               const double* __restrict__ cr, const double* __restrict__ ci,
                               const double* __restrict__ dr, const double* __restrict__ di, double* __restrict__ o0r,
                               double* __restrict__ o0i, double* __restrict__ o1r, double* __restrict__ o1i,
                               double* __restrict__ o2r, double* __restrict__ o2i, double* __restrict__ o3r,
                               double* __restrict__ o3i, double w1r, double w1i, double w2r, double w2i, double w3r,
                               double w3i) noexcept
{
    for (int q = 0; q < s; ++q) {
        const double apcR = ar[q] + cr[q], apcI = ai[q] + ci[q];
        const double amcR = ar[q] - cr[q], amcI = ai[q] - ci[q];
        const double bpdR = br[q] + dr[q], bpdI = bi[q] + di[q];
        const double bmdR = br[q] - dr[q], bmdI = bi[q] - di[q];
        const double t1r = amcR + bmdI, t1i = amcI - bmdR;
        const double t2r = apcR - bpdR, t2i = apcI - bpdI;
        const double t3r = amcR - bmdI, t3i = amcI + bmdR;
        o0r[q] = apcR + bpdR;
        o0i[q] = apcI + bpdI;
        o1r[q] = w1r * t1r - w1i * t1i;
        o1i[q] = w1r * t1i + w1i * t1r;
        o2r[q] = w2r * t2r - w2i * t2i;
        o2i[q] = w2r * t2i + w2i * t2r;
        o3r[q] = w3r * t3r - w3i * t3i;
        o3i[q] = w3r * t3i + w3i * t3r;
    }
}

void radix4Strided(int n4, int s, const double* __restrict__ xr, const double* __restrict__ xi,
                   double* __restrict__ yr, double* __restrict__ yi, const double* __restrict__ tw) noexcept
{
    const std::ptrdiff_t quarter = std::ptrdiff_t(s) * n4;
    for (int p = 0; p < n4; ++p) {
        const double w1r = tw[p], w1i = tw[n4 + p];
        const double w2r = tw[2 * n4 + p], w2i = tw[3 * n4 + p];
        const double w3r = tw[4 * n4 + p], w3i = tw[5 * n4 + p];
        const std::ptrdiff_t in = std::ptrdiff_t(s) * p;
        const std::ptrdiff_t out = 4 * std::ptrdiff_t(s) * p;
        stridedButterflies(s, xr + in, xi + in, xr + in + quarter, xi + in + quarter, xr + in + 2 * quarter,
                           xi + in + 2 * quarter, xr + in + 3 * quarter, xi + in + 3 * quarter, yr + out, yi + out,
                           yr + out + s, yi + out + s, yr + out + 2 * s, yi + out + 2 * s, yr + out + 3 * s,
                           yi + out + 3 * s, w1r, w1i, w2r, w2i, w3r, w3i);
    }
}

// The closing radix-2 pass (sub-transform length 2, no twiddles).
void radix2Last(int s, const double* __restrict__ xr, const double* __restrict__ xi, double* __restrict__ yr,
                double* __restrict__ yi) noexcept
{
    for (int q = 0; q < s; ++q) {
        const double ar = xr[q], ai = xi[q], br = xr[q + s], bi = xi[q + s];
        yr[q] = ar + br;
        yi[q] = ai + bi;
        yr[q + s] = ar - br;
        yi[q + s] = ai - bi;
    }
}

// Forward post-pass: Z (the transform of the even/odd pairs) split into the
// spectra of the even (E) and odd (O) samples and joined as
// X[k] = E[k] + exp(-2πik/N)·O[k], for k = 1..m-1, into the packed halves.
void joinHalves(int m, const double* __restrict__ zr, const double* __restrict__ zi, const double* __restrict__ c,
                const double* __restrict__ s, double* __restrict__ outRe, double* __restrict__ outIm) noexcept
{
    for (int k = 1; k < m; ++k) {
        const int j = m - k;
        const double er = 0.5 * (zr[k] + zr[j]);
        const double ei = 0.5 * (zi[k] - zi[j]);
        const double orr = 0.5 * (zi[k] + zi[j]);
        const double oi = -0.5 * (zr[k] - zr[j]);
        outRe[k] = er + (c[k] * orr + s[k] * oi);
        outIm[k] = ei + (c[k] * oi - s[k] * orr);
    }
}

// Inverse pre-pass, the mirror of joinHalves: Z[k] = 2·(E[k] + i·O[k]) from
// the packed halves, for k = 1..m-1.
void splitHalves(int m, const double* __restrict__ inRe, const double* __restrict__ inIm, const double* __restrict__ c,
                 const double* __restrict__ s, double* __restrict__ zr, double* __restrict__ zi) noexcept
{
    for (int k = 1; k < m; ++k) {
        const int j = m - k;
        const double fr = inRe[k] + inRe[j];
        const double fi = inIm[k] - inIm[j];
        const double gr = inRe[k] - inRe[j];
        const double gi = inIm[k] + inIm[j];
        const double ur = c[k] * gr - s[k] * gi;
        const double ui = c[k] * gi + s[k] * gr;
        zr[k] = fr - ui;
        zi[k] = fi + ur;
    }
}

// Even samples as real parts, odd samples as imaginary parts.
void deinterleave(int m, const double* __restrict__ input, double* __restrict__ re, double* __restrict__ im) noexcept
{
    for (int n = 0; n < m; ++n) {
        re[n] = input[2 * n];
        im[n] = input[2 * n + 1];
    }
}

// The inverse of deinterleave.
void interleave(int m, const double* __restrict__ re, const double* __restrict__ im, double* __restrict__ output) noexcept
{
    for (int n = 0; n < m; ++n) {
        output[2 * n] = re[n];
        output[2 * n + 1] = im[n];
    }
}

constexpr FFTRealKernels kernelTable{radix4First, radix4Strided, radix2Last, joinHalves, splitHalves, deinterleave,
                                     interleave};
