#pragma once

// The inner loops of FFTReal as a table of functions, so that the same loops
// compiled for a wider instruction set can be chosen at run time.
struct FFTRealKernels {
    // Radix-4 Stockham pass of stride 1; n4 = quarter length, tw = six twiddle arrays of n4.
    void (*radix4First)(int n4, const double* xr, const double* xi, double* yr, double* yi, const double* tw) noexcept;
    // Radix-4 Stockham pass of stride s > 1.
    void (*radix4Strided)(int n4, int s, const double* xr, const double* xi, double* yr, double* yi,
                          const double* tw) noexcept;
    // Closing radix-2 pass (sub-transforms of two points, stride s).
    void (*radix2Last)(int s, const double* xr, const double* xi, double* yr, double* yi) noexcept;
    // Real post-pass of the forward transform, bins 1..m-1.
    void (*joinHalves)(int m, const double* zr, const double* zi, const double* c, const double* s, double* outRe,
                       double* outIm) noexcept;
    // Real pre-pass of the inverse transform, bins 1..m-1.
    void (*splitHalves)(int m, const double* inRe, const double* inIm, const double* c, const double* s, double* zr,
                        double* zi) noexcept;
    // Real samples to even/odd split arrays of m points, and back.
    void (*deinterleave)(int m, const double* input, double* re, double* im) noexcept;
    void (*interleave)(int m, const double* re, const double* im, double* output) noexcept;
};

// The loops built for the baseline instruction set; always usable.
extern const FFTRealKernels kBaselineFFTKernels;
// The loops built for AVX2, or null when the build has no such copy. Use only
// after checking that the processor supports AVX2 (see FFTReal).
extern const FFTRealKernels* const kAvx2FFTKernels;
