#pragma once

// The transform loops of FFTReal, compiled once per instruction set and
// reached through a table of two functions, so that the copy built for a
// wider vector unit can be chosen at run time.

// What the loops need from an FFTReal object of length N = 2·M, M >= 16:
// sizes, the constant tables and the scratch buffers. Plain pointers into
// memory the FFTReal object owns; the loops only read the tables and write
// the buffers.
struct FFTRealPlan {
    int half;               // M = N/2, points of the inner complex FFT (a power of two, >= 16)
    int twiddledPasses;     // radix-4 passes with twiddles, the first (stride 1) included
    bool radix8Last;        // true when a radix-8 pass closes the complex FFT, false for radix-4
    const double* twiddles; // per twiddled pass of length n: w^p, w^2p, w^3p (w = exp(-2πi/n), p < n/4),
                            // as six arrays of n/4: w1 re, w1 im, w2 re, w2 im, w3 re, w3 im
    const double* cosines;  // cos(2πk/N), k = 0..M/2 (post/pre-pass of the real transform)
    const double* sines;    // sin(2πk/N), k = 0..M/2
    double* re[2];          // two ping-pong buffers of M real parts
    double* im[2];          // and their M imaginary parts
};

struct FFTRealKernels {
    // N real samples in, N packed spectrum values out.
    void (*forward)(const FFTRealPlan& plan, const double* input, double* output) noexcept;
    // N packed spectrum values in, N times the real signal out.
    void (*inverse)(const FFTRealPlan& plan, const double* input, double* output) noexcept;
    const char* name; // instruction set the loops were built for, for test and benchmark labels
};

// The loops built for the baseline instruction set; always usable.
extern const FFTRealKernels kBaselineFFTKernels;
// The same loops on plain doubles, one lane: what the baseline is on compilers
// without vector extensions. Kept in every build so that tests check it.
extern const FFTRealKernels kPlainFFTKernels;
// The loops built for AVX2 with FMA, or null when the build has no such copy.
// Use only after checking that the processor supports both (see FFTReal).
extern const FFTRealKernels* const kAvx2FFTKernels;
