#include "cabinet/FFTReal.h"

#include "dsp/ProcessorFeatures.h"

#include <cassert>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <numbers>

namespace {

// cos and sin of 2π·k/n. The angle is first reduced to a quarter turn and
// then to at most an eighth of a turn, so that symmetric entries of the
// tables are exact mirror images and quarter turns give exact 0 and ±1.
void unitRoot(long k, long n, double& c, double& s)
{
    k %= n;
    const long quadrant = (4 * k) / n;
    const long rest = 4 * k - quadrant * n; // angle within the quadrant: (π/2)·rest/n
    double qc = 0.0, qs = 0.0;
    if (2 * rest <= n) {
        const double angle = 0.5 * std::numbers::pi * double(rest) / double(n);
        qc = std::cos(angle);
        qs = std::sin(angle);
    } else {
        const double angle = 0.5 * std::numbers::pi * double(n - rest) / double(n);
        qc = std::sin(angle);
        qs = std::cos(angle);
    }
    switch (quadrant) {
    case 0: c = qc, s = qs; break;
    case 1: c = -qs, s = qc; break;
    case 2: c = -qc, s = -qs; break;
    default: c = qs, s = -qc; break;
    }
}

// Doubles per cache line: the alignment of every table and buffer.
constexpr int kLineDoubles = 8;

int roundUpToLine(int count)
{
    return (count + kLineDoubles - 1) / kLineDoubles * kLineDoubles;
}

} // namespace

const FFTRealKernels& FFTReal::bestKernels() noexcept
{
    // Decided once, on the first construction (thread-safe static).
    static const FFTRealKernels& chosen = []() noexcept -> const FFTRealKernels& {
        if (kAvx2FFTKernels != nullptr && processorHasAvx2() && processorHasFma())
            return *kAvx2FFTKernels;
        return kBaselineFFTKernels;
    }();
    return chosen;
}

FFTReal::FFTReal(int length, const FFTRealKernels* kernels)
    : length_(length)
    , half_(length / 2)
    , kernels_(kernels != nullptr ? kernels : &bestKernels())
    , plan_{}
    , directCos_(nullptr)
    , directSin_(nullptr)
    , directScratch_(nullptr)
{
    assert(length >= 2 && (length & (length - 1)) == 0);

    if (length_ < kMinFastLength) {
        memory_.assign(std::size_t(3 * roundUpToLine(length_) + kLineDoubles), 0.0);
        double* next = memory_.data();
        double* c = carve(next, length_);
        double* s = carve(next, length_);
        directScratch_ = carve(next, length_);
        for (int k = 0; k < length_; ++k)
            unitRoot(k, length_, c[k], s[k]);
        directCos_ = c;
        directSin_ = s;
        return;
    }

    // Twiddled radix-4 passes while 16 or more points remain per
    // sub-transform; a closing pass of 4 or 8 points follows.
    const int m = half_;
    int twiddleCount = 0;
    int passes = 0;
    int n = m;
    for (; n >= 16; n /= 4) {
        twiddleCount += 6 * (n / 4);
        ++passes;
    }
    plan_.half = m;
    plan_.twiddledPasses = passes;
    plan_.radix8Last = (n == 8);

    const int tableCount = m / 2 + 1;
    memory_.assign(std::size_t(roundUpToLine(twiddleCount) + 2 * roundUpToLine(tableCount) + 4 * roundUpToLine(m) +
                               kLineDoubles),
                   0.0);
    double* next = memory_.data();
    double* twiddles = carve(next, twiddleCount);
    double* cosines = carve(next, tableCount);
    double* sines = carve(next, tableCount);
    for (double*& buffer : plan_.re)
        buffer = carve(next, m);
    for (double*& buffer : plan_.im)
        buffer = carve(next, m);

    // Per pass of length n: w^p, w^2p, w^3p with w = exp(-2πi/n).
    double* tw = twiddles;
    for (n = m; n >= 16; n /= 4) {
        const int n4 = n / 4;
        for (int p = 0; p < n4; ++p) {
            for (int j = 1; j <= 3; ++j) {
                double c = 0.0, s = 0.0;
                unitRoot(long(j) * p, n, c, s);
                tw[(2 * j - 2) * n4 + p] = c;
                tw[(2 * j - 1) * n4 + p] = -s;
            }
        }
        tw += 6 * n4;
    }
    for (int k = 0; k < tableCount; ++k)
        unitRoot(k, length_, cosines[k], sines[k]);

    plan_.twiddles = twiddles;
    plan_.cosines = cosines;
    plan_.sines = sines;
}

double* FFTReal::carve(double*& next, int count) noexcept
{
    const auto address = reinterpret_cast<std::uintptr_t>(next);
    const std::uintptr_t line = kLineDoubles * sizeof(double);
    double* block = next + (line - address % line) % line / sizeof(double);
    next = block + roundUpToLine(count);
    return block;
}

void FFTReal::forward(const double* input, double* output) noexcept
{
    if (length_ >= kMinFastLength)
        kernels_->forward(plan_, input, output);
    else
        directForward(input, output);
}

void FFTReal::inverse(const double* input, double* output) noexcept
{
    if (length_ >= kMinFastLength)
        kernels_->inverse(plan_, input, output);
    else
        directInverse(input, output);
}

void FFTReal::rescale(double* data) const noexcept
{
    const double factor = 1.0 / double(length_);
    for (int i = 0; i < length_; ++i)
        data[i] *= factor;
}

void FFTReal::directForward(const double* input, double* output) noexcept
{
    const int n = length_;
    const int m = half_;
    double* x = directScratch_;
    for (int t = 0; t < n; ++t)
        x[t] = input[t];
    for (int k = 0; k <= m; ++k) {
        double re = 0.0, im = 0.0;
        for (int t = 0; t < n; ++t) {
            const int r = (k * t) % n;
            re += x[t] * directCos_[r];
            im -= x[t] * directSin_[r];
        }
        output[k] = re;
        if (k != 0 && k != m)
            output[m + k] = im;
    }
}

void FFTReal::directInverse(const double* input, double* output) noexcept
{
    const int n = length_;
    const int m = half_;
    double* f = directScratch_;
    for (int k = 0; k < n; ++k)
        f[k] = input[k];
    for (int t = 0; t < n; ++t) {
        double sum = 0.0;
        for (int k = 1; k < m; ++k) {
            const int r = (k * t) % n;
            sum += f[k] * directCos_[r] - f[m + k] * directSin_[r];
        }
        output[t] = f[0] + ((t & 1) != 0 ? -f[m] : f[m]) + 2.0 * sum;
    }
}
