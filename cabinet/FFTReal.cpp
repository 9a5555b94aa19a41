#include "cabinet/FFTReal.h"

#include "cabinet/FFTRealKernels.h"

#include <cassert>
#include <cmath>
#include <cstddef>
#include <numbers>
#include <utility>

namespace {

// exp(-2πi·k/n) split into its parts; k/n is reduced first so that the
// angle stays small and the table entries are as exact as cos/sin allow.
void unitRoot(long k, long n, double& re, double& im)
{
    const double angle = 2.0 * std::numbers::pi * double(k % n) / double(n);
    re = std::cos(angle);
    im = -std::sin(angle);
}

// The widest copy of the loops that this processor runs.
const FFTRealKernels& chooseKernels() noexcept
{
#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
    if (kAvx2FFTKernels != nullptr && __builtin_cpu_supports("avx2"))
        return *kAvx2FFTKernels;
#endif
    return kBaselineFFTKernels;
}

} // namespace

FFTReal::FFTReal(int length, const FFTRealKernels* kernels)
    : length_(length)
    , half_(length / 2)
    , finalRadix2_(false)
    , kernels_(kernels != nullptr ? kernels : &chooseKernels())
{
    assert(length >= 2 && (length & (length - 1)) == 0);

    // Radix-4 passes while four or more points remain per sub-transform.
    int n = half_;
    int stride = 1;
    int base = 0;
    while (n >= 4) {
        passes_.push_back(Pass{n, stride, base});
        base += 6 * (n / 4);
        n /= 4;
        stride *= 4;
    }
    finalRadix2_ = (n == 2);

    twiddles_.resize(std::size_t(base));
    for (const Pass& pass : passes_) {
        const int n4 = pass.n / 4;
        double* tw = twiddles_.data() + pass.twiddleBase;
        for (int p = 0; p < n4; ++p) {
            unitRoot(long(p), pass.n, tw[p], tw[n4 + p]);
            unitRoot(2L * p, pass.n, tw[2 * n4 + p], tw[3 * n4 + p]);
            unitRoot(3L * p, pass.n, tw[4 * n4 + p], tw[5 * n4 + p]);
        }
    }

    postCos_.resize(std::size_t(half_));
    postSin_.resize(std::size_t(half_));
    for (int k = 0; k < half_; ++k) {
        double re = 0.0, im = 0.0;
        unitRoot(k, length_, re, im);
        postCos_[std::size_t(k)] = re;
        postSin_[std::size_t(k)] = -im;
    }

    bufferRe_.assign(std::size_t(half_), 0.0);
    bufferIm_.assign(std::size_t(half_), 0.0);
    workRe_.assign(std::size_t(half_), 0.0);
    workIm_.assign(std::size_t(half_), 0.0);
}

bool FFTReal::complexForward(double* re, double* im, double* workRe, double* workIm) noexcept
{
    double* xr = re;
    double* xi = im;
    double* yr = workRe;
    double* yi = workIm;
    bool inWork = false;
    for (const Pass& pass : passes_) {
        const double* tw = twiddles_.data() + pass.twiddleBase;
        if (pass.stride == 1)
            kernels_->radix4First(pass.n / 4, xr, xi, yr, yi, tw);
        else
            kernels_->radix4Strided(pass.n / 4, pass.stride, xr, xi, yr, yi, tw);
        std::swap(xr, yr);
        std::swap(xi, yi);
        inWork = !inWork;
    }
    if (finalRadix2_) {
        kernels_->radix2Last(half_ / 2, xr, xi, yr, yi);
        inWork = !inWork;
    }
    return inWork;
}

void FFTReal::forward(const double* input, double* output) noexcept
{
    const int m = half_;
    const double* zr = bufferRe_.data();
    const double* zi = bufferIm_.data();
    kernels_->deinterleave(m, input, bufferRe_.data(), bufferIm_.data());
    if (complexForward(bufferRe_.data(), bufferIm_.data(), workRe_.data(), workIm_.data())) {
        zr = workRe_.data();
        zi = workIm_.data();
    }

    // Split Z into the spectra of the even (E) and odd (O) samples and join
    // them: X[k] = E[k] + exp(-2πik/N)·O[k].
    const double z0r = zr[0], z0i = zi[0];
    kernels_->joinHalves(m, zr, zi, postCos_.data(), postSin_.data(), output, output + m);
    output[0] = z0r + z0i;
    output[m] = z0r - z0i;
}

void FFTReal::inverse(const double* input, double* output) noexcept
{
    const int m = half_;
    double* zr = bufferRe_.data();
    double* zi = bufferIm_.data();

    // Rebuild Z = 2·(E + i·O) from the half spectrum, so that an unscaled
    // inverse of N/2 points leaves N times the signal.
    kernels_->splitHalves(m, input, input + m, postCos_.data(), postSin_.data(), zr, zi);
    zr[0] = input[0] + input[m];
    zi[0] = input[0] - input[m];

    // Inverse complex FFT as a forward one with real and imaginary parts
    // exchanged on the way in and out.
    const double* resultRe = bufferRe_.data();
    const double* resultIm = bufferIm_.data();
    if (complexForward(bufferIm_.data(), bufferRe_.data(), workIm_.data(), workRe_.data())) {
        resultRe = workRe_.data();
        resultIm = workIm_.data();
    }
    kernels_->interleave(m, resultRe, resultIm, output);
}

void FFTReal::rescale(double* data) const noexcept
{
    const double factor = 1.0 / double(length_);
    for (int i = 0; i < length_; ++i)
        data[i] *= factor;
}
