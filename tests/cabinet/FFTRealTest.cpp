#include "cabinet/FFTReal.h"
#include "cabinet/FFTRealKernels.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <random>
#include <vector>

namespace {

std::vector<double> randomSignal(int n, unsigned seed)
{
    std::mt19937 rng(seed);
    std::uniform_real_distribution<double> dist(-1.0, 1.0);
    std::vector<double> x(static_cast<std::size_t>(n));
    for (double& v : x)
        v = dist(rng);
    return x;
}

// Direct evaluation of bin k = sum x[n]·exp(-2πi·k·n/N) in long double,
// written into the packed layout.
std::vector<double> naivePackedDft(const std::vector<double>& x)
{
    const int n = int(x.size());
    const int m = n / 2;
    std::vector<double> f(std::size_t(n), 0.0);
    for (int k = 0; k <= m; ++k) {
        long double re = 0, im = 0;
        for (int t = 0; t < n; ++t) {
            const long double angle = 2.0L * std::numbers::pi_v<long double> * (long double)((long(k) * t) % n) / n;
            re += x[std::size_t(t)] * std::cos(angle);
            im -= x[std::size_t(t)] * std::sin(angle);
        }
        if (k == 0 || k == m) {
            f[std::size_t(k)] = double(re);
        } else {
            f[std::size_t(k)] = double(re);
            f[std::size_t(m + k)] = double(im);
        }
    }
    return f;
}

// Every copy of the loops this processor can run: the baseline one always,
// the AVX2 one when it was built and the processor supports it.
std::vector<const FFTRealKernels*> runnableKernels()
{
    std::vector<const FFTRealKernels*> kernels{&kBaselineFFTKernels};
#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
    if (kAvx2FFTKernels != nullptr && __builtin_cpu_supports("avx2"))
        kernels.push_back(kAvx2FFTKernels);
#endif
    return kernels;
}

} // namespace

TEST(FFTReal, ForwardMatchesDirectDftForSmallLengths)
{
    for (const FFTRealKernels* kernels : runnableKernels())
    for (int n : {2, 4, 8, 16, 32, 64, 128, 256}) {
        SCOPED_TRACE(n);
        SCOPED_TRACE(kernels == &kBaselineFFTKernels ? "baseline loops" : "AVX2 loops");
        FFTReal fft(n, kernels);
        const std::vector<double> x = randomSignal(n, unsigned(n));
        std::vector<double> f(static_cast<std::size_t>(n));
        fft.forward(x.data(), f.data());
        const std::vector<double> expected = naivePackedDft(x);
        for (int i = 0; i < n; ++i)
            EXPECT_NEAR(f[std::size_t(i)], expected[std::size_t(i)], 1e-12 * n) << "index " << i;
    }
}

TEST(FFTReal, InverseIsUnscaledAndRescaleRestoresTheSignal)
{
    for (const FFTRealKernels* kernels : runnableKernels())
    for (int n : {2, 4, 8, 32, 128, 256, 512, 1024, 2048, 4096}) {
        SCOPED_TRACE(n);
        SCOPED_TRACE(kernels == &kBaselineFFTKernels ? "baseline loops" : "AVX2 loops");
        FFTReal fft(n, kernels);
        const std::vector<double> x = randomSignal(n, 7u + unsigned(n));
        std::vector<double> f(static_cast<std::size_t>(n)), y(static_cast<std::size_t>(n));
        fft.forward(x.data(), f.data());
        fft.inverse(f.data(), y.data());
        for (int i = 0; i < n; ++i)
            EXPECT_NEAR(y[std::size_t(i)], n * x[std::size_t(i)], 1e-12 * n) << "unscaled, index " << i;
        fft.rescale(y.data());
        for (int i = 0; i < n; ++i)
            EXPECT_NEAR(y[std::size_t(i)], x[std::size_t(i)], 1e-13 * std::log2(double(n))) << "index " << i;
    }
}

TEST(FFTReal, InPlaceGivesTheSameResultAsOutOfPlace)
{
    const int n = 512;
    FFTReal fft(n);
    const std::vector<double> x = randomSignal(n, 3);
    std::vector<double> outOfPlace(static_cast<std::size_t>(n));
    fft.forward(x.data(), outOfPlace.data());
    std::vector<double> inPlace = x;
    fft.forward(inPlace.data(), inPlace.data());
    EXPECT_EQ(inPlace, outOfPlace);

    std::vector<double> back(static_cast<std::size_t>(n));
    fft.inverse(outOfPlace.data(), back.data());
    fft.inverse(inPlace.data(), inPlace.data());
    EXPECT_EQ(inPlace, back);
}

// Where single tones land in the packed layout: bin 0 and bin N/2 are the
// real values at f[0] and f[N/2]; a cosine puts its energy in the real part
// f[k], a sine in the imaginary part f[N/2 + k] with the exp(-i·...) sign.
TEST(FFTReal, PackedLayoutPlacesTonesInTheirSlots)
{
    const int n = 256;
    const int m = n / 2;
    FFTReal fft(n);
    struct Case {
        const char* name;
        int bin;
        bool sine;
        int slot;
        double value;
    };
    const Case cases[] = {
        {"dc", 0, false, 0, double(n)},
        {"nyquist", m, false, m, double(n)},
        {"cosine bin 5", 5, false, 5, n / 2.0},
        {"sine bin 5", 5, true, m + 5, -n / 2.0},
        {"cosine bin 127", 127, false, 127, n / 2.0},
        {"sine bin 1", 1, true, m + 1, -n / 2.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<double> x(static_cast<std::size_t>(n));
        for (int t = 0; t < n; ++t) {
            const double angle = 2.0 * std::numbers::pi * double((long(c.bin) * t) % n) / n;
            x[std::size_t(t)] = c.sine ? std::sin(angle) : std::cos(angle);
        }
        std::vector<double> f(static_cast<std::size_t>(n));
        fft.forward(x.data(), f.data());
        for (int i = 0; i < n; ++i)
            EXPECT_NEAR(f[std::size_t(i)], i == c.slot ? c.value : 0.0, 1e-10) << "slot " << i;
    }
}
