#pragma once

#include "cabinet/FFTRealKernels.h"

#include <vector>

// Real-input FFT of a fixed power-of-two length N.
//
// Spectra use the packed half-spectrum layout: f[0] is bin 0 (real), f[N/2]
// is bin N/2 (real), and for k = 1..N/2-1 f[k] is the real part and f[N/2+k]
// the imaginary part of bin k (bin k = sum of x[n]·exp(-2πi·k·n/N)).
//
// From N = 32 on, the transform runs as a complex FFT of N/2 points on the
// even/odd sample pairs with a real post-pass (and the mirror image for the
// inverse). The complex FFT is a self-sorting (Stockham) radix-4 FFT on split
// real/imaginary arrays, closed by a radix-4 or radix-8 pass without twiddle
// tables; the loops are written with explicit vectors and exist in a
// baseline and an AVX2 build, of which the constructor picks what the
// processor runs (FFTRealKernels.inl). The few shorter lengths are evaluated
// directly from a table of N roots of unity.
//
// Everything is allocated by the constructor; the transforms allocate
// nothing. One object is used by one thread at a time (it owns scratch
// memory); input and output may be the same array.
class FFTReal {
public:
    // length: a power of two, at least 2. kernels: the copy of the loops to
    // use; null picks the widest one the processor runs (tests pass a copy
    // explicitly to check each one).
    explicit FFTReal(int length, const FFTRealKernels* kernels = nullptr);
    FFTReal(const FFTReal&) = delete;
    FFTReal& operator=(const FFTReal&) = delete;

    int length() const noexcept { return length_; }
    // The copy of the loops in use (for labels in tests and benchmarks).
    const FFTRealKernels& kernels() const noexcept { return *kernels_; }

    // N real samples in, N packed spectrum values out.
    void forward(const double* input, double* output) noexcept;
    // N packed spectrum values in, N real samples out, unscaled: the result
    // is N times the signal whose spectrum was given.
    void inverse(const double* input, double* output) noexcept;
    // Multiplies N samples by 1/N (undoes the factor left by inverse()).
    void rescale(double* data) const noexcept;

    // The widest copy of the loops that this processor runs.
    static const FFTRealKernels& bestKernels() noexcept;

private:
    // Shortest length that runs through the vector loops; shorter ones use
    // the direct evaluation.
    static constexpr int kMinFastLength = 32;

    // Direct evaluation for N < kMinFastLength.
    void directForward(const double* input, double* output) noexcept;
    void directInverse(const double* input, double* output) noexcept;

    // A block of `count` doubles from memory_, aligned to a cache line.
    double* carve(double*& next, int count) noexcept;

    int length_;                    // N, real samples per transform
    int half_;                      // N/2, points of the inner complex FFT
    const FFTRealKernels* kernels_; // the loops in use
    std::vector<double> memory_;    // every table and buffer below, in one allocation
    FFTRealPlan plan_;              // sizes, tables and buffers for the loops (N >= 32), pointing into memory_
    const double* directCos_;       // N < 32: cos(2πk/N), k = 0..N-1
    const double* directSin_;       // N < 32: sin(2πk/N), k = 0..N-1
    double* directScratch_;         // N < 32: copy of the input, so that input and output may be the same
};
