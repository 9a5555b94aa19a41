#pragma once

#include <vector>

struct FFTRealKernels;

// Real-input FFT of a fixed power-of-two length N.
//
// Spectra use the packed half-spectrum layout: f[0] is bin 0 (real), f[N/2]
// is bin N/2 (real), and for k = 1..N/2-1 f[k] is the real part and f[N/2+k]
// the imaginary part of bin k (bin k = sum of x[n]·exp(-2πi·k·n/N)).
//
// The transform runs as a complex FFT of N/2 points on the even/odd sample
// pairs followed by a real post-pass (and the mirror image for the inverse).
// The complex FFT is a Stockham radix-4 DIF (one radix-2 pass when log2(N/2)
// is odd) on split real/imaginary arrays, so that every pass is a plain loop
// over contiguous data with precomputed twiddles. The loops exist in a
// baseline and an AVX2 build; the constructor picks what the processor runs.
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

    // N real samples in, N packed spectrum values out.
    void forward(const double* input, double* output) noexcept;
    // N packed spectrum values in, N real samples out, unscaled: the result
    // is N times the signal whose spectrum was given.
    void inverse(const double* input, double* output) noexcept;
    // Multiplies N samples by 1/N (undoes the factor left by inverse()).
    void rescale(double* data) const noexcept;

private:
    // One radix-4 pass: sub-transform length n, stride s (n·s = half_).
    struct Pass {
        int n;           // sub-transform length of this pass
        int stride;      // distance between the interleaved sub-transforms
        int twiddleBase; // index of this pass's first twiddle in twiddles_
    };

    // Forward complex FFT of half_ points on split arrays (re, im), using
    // (workRe, workIm) as the other Stockham buffer. Returns true when the
    // result ended in the work buffer, false when it is back in (re, im).
    bool complexForward(double* re, double* im, double* workRe, double* workIm) noexcept;

    int length_;                    // N, real samples per transform
    int half_;                      // N/2, points of the inner complex FFT
    std::vector<Pass> passes_;      // radix-4 passes in execution order
    bool finalRadix2_;              // true when a radix-2 pass ends the complex FFT
    const FFTRealKernels* kernels_; // the loops, built for the widest instruction set this processor runs
    std::vector<double> twiddles_;  // per pass, six arrays of n/4: w1 re, w1 im, w2 re, w2 im, w3 re, w3 im
    std::vector<double> postCos_;   // cos(2πk/N), k = 0..N/4: real post-pass twiddles
    std::vector<double> postSin_;   // sin(2πk/N), k = 0..N/4
    std::vector<double> bufferRe_;  // Stockham buffer A, real parts (N/2)
    std::vector<double> bufferIm_;  // Stockham buffer A, imaginary parts (N/2)
    std::vector<double> workRe_;    // Stockham buffer B, real parts (N/2)
    std::vector<double> workIm_;    // Stockham buffer B, imaginary parts (N/2)
};
