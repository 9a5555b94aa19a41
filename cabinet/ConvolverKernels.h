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
    // P = X·H bin by bin on packed half spectra of length n (even), m = n/2:
    // P[k] = X[k]·H[k] - X[m+k]·H[m+k] and P[m+k] = X[k]·H[m+k] + X[m+k]·H[k],
    // and the two real bins P[0] = X[0]·H[0], P[m] = X[m]·H[m].
    void (*multiplySpectra)(const double* x, const double* h, double* p, int n) noexcept;
    // The seven products due in a block of a partitioned stage, summed:
    // acc = ((d0 + d1) + (d2 + d3)) + ((d4 + d5) + d6), with d_j the product
    // (as multiplySpectra forms it) of spectrum x[j] and partition spectrum
    // h + j·n, bin by bin. acc overlaps none of the inputs.
    void (*sumProducts)(const double* const* x, const double* h, double* acc, int n) noexcept;
    const char* name; // instruction set the loops were built for, for test and benchmark labels

    // The widest copy this processor runs.
    static const ConvolverKernels& best() noexcept;
};

// The loops built for the baseline instruction set; always usable.
extern const ConvolverKernels kBaselineConvolverKernels;
// The same loops on plain doubles, one value at a time, kept in every build
// so that tests can hold the others against it.
extern const ConvolverKernels kPlainConvolverKernels;
// The loops built for AVX2, or null when the build has no such copy. Use only
// on processors that report AVX2.
extern const ConvolverKernels* const kAvx2ConvolverKernels;
