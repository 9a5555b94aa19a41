#pragma once

// The inner loops of the convolver, compiled once per instruction set and
// reached through a table of functions, so that the copy built for a wider
// vector unit can be chosen at run time (as FFTReal chooses its loops).
// Every copy performs the same operations in the same order on every output
// value; only how many values are in flight at once differs, so the copies
// give the same bits.
struct ConvolverKernels {
    // The direct part for one output: taps[0..b-1] are the head taps in
    // reverse order (tap b-1 first) and recent[0..b-1] the last b inputs,
    // oldest first. Four partial sums over k = 0, 4, 8, ... (k mod 4 = j,
    // ascending k, each starting from 0.0), returned as (s0 + s1) + (s2 + s3).
    // b is a multiple of 4.
    double (*headSample)(const double* taps, const double* recent, int b) noexcept;
    // The same for `count` consecutive outputs: out[i] is headSample(taps,
    // line + i, b), with line[0 .. b-2+count] the inputs in time order (the
    // b-1 before the first output, then one per output). out must not
    // overlap line.
    void (*headBlock)(const double* taps, const double* line, double* out, int b, int count) noexcept;
    // P = X·H bin by bin, X and H grouped spectra of length n (see
    // groupSpectrum()), P packed, m = n/2: with X[k] and
    // X[m+k] the real and imaginary part of bin k as in the packed layout,
    // P[k] = X[k]·H[k] - X[m+k]·H[m+k] and P[m+k] = X[k]·H[m+k] + X[m+k]·H[k],
    // and the two real bins P[0] = X[0]·H[0], P[m] = X[m]·H[m].
    void (*multiplySpectra)(const double* x, const double* h, double* p, int n) noexcept;
    // The seven products due in a block of a partitioned stage, summed into
    // the packed spectrum acc: acc = ((d0 + d1) + (d2 + d3)) + ((d4 + d5) + d6),
    // with d_j the product (as multiplySpectra forms it) of the grouped
    // spectrum x[j] and the grouped partition spectrum h + j·n, bin by bin.
    // acc overlaps none of the inputs.
    void (*sumProducts)(const double* const* x, const double* h, double* acc, int n) noexcept;
    const char* name; // instruction set the loops were built for, for test and benchmark labels

    // The widest copy this processor runs.
    static const ConvolverKernels& best() noexcept;
};

// Spectra that the product loops read are kept grouped: the packed layout of
// FFTReal (real parts of bins 0..m-1, then their imaginary parts, with the
// real bin m in the place of bin 0's imaginary part) regrouped into runs of
// spectrumGroup(n) bins, each run's real parts followed by its imaginary
// parts. A run of bins is then one stretch of memory instead of two that lie
// half a spectrum apart, which keeps the many spectra a block's products
// read from evicting each other from the first-level cache. Only the order
// in memory changes; every value stays as it is.
constexpr int kSpectrumGroup = 8;

// Bins per group in a spectrum of n values (n/2 a power of two): eight, or
// all of them in short spectra, whose grouped layout is the packed one.
constexpr int spectrumGroup(int n) noexcept
{
    return n / 2 < kSpectrumGroup ? n / 2 : kSpectrumGroup;
}

// Where the packed spectrum's value at `index` (0..n-1) sits in the grouped
// one.
constexpr int groupedIndex(int index, int n) noexcept
{
    const int m = n / 2;
    const int g = spectrumGroup(n);
    const int bin = index < m ? index : index - m;
    return 2 * (bin - bin % g) + bin % g + (index < m ? 0 : g);
}

// packed[0..n-1] regrouped into grouped[0..n-1]. The two may not overlap.
void groupSpectrum(const double* packed, double* grouped, int n) noexcept;

// The loops built for the baseline instruction set; always usable.
extern const ConvolverKernels kBaselineConvolverKernels;
// The same loops on plain doubles, one value at a time, kept in every build
// so that tests can hold the others against it.
extern const ConvolverKernels kPlainConvolverKernels;
// The loops built for AVX2, or null when the build has no such copy. Use only
// on processors that report AVX2.
extern const ConvolverKernels* const kAvx2ConvolverKernels;
