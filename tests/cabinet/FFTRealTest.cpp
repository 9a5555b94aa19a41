#include "cabinet/FFTReal.h"
#include "cabinet/FFTRealKernels.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
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

// The direct transforms in long double with a table of the N roots of unity,
// fast enough to check every length up to 8192.
struct DirectDft {
    explicit DirectDft(int length)
        : n(length)
        , cosines(std::size_t(length))
        , sines(std::size_t(length))
    {
        for (int r = 0; r < n; ++r) {
            const long double angle = 2.0L * std::numbers::pi_v<long double> * r / n;
            cosines[std::size_t(r)] = std::cos(angle);
            sines[std::size_t(r)] = std::sin(angle);
        }
    }

    // Packed spectrum of x.
    std::vector<double> forward(const std::vector<double>& x) const
    {
        const int m = n / 2;
        std::vector<double> f(std::size_t(n), 0.0);
        for (int k = 0; k <= m; ++k) {
            long double re = 0, im = 0;
            int r = 0; // k·t mod N
            for (int t = 0; t < n; ++t) {
                re += x[std::size_t(t)] * cosines[std::size_t(r)];
                im -= x[std::size_t(t)] * sines[std::size_t(r)];
                r = (r + k) % n;
            }
            f[std::size_t(k)] = double(re);
            if (k != 0 && k != m)
                f[std::size_t(m + k)] = double(im);
        }
        return f;
    }

    // N times the real signal whose packed spectrum is f.
    std::vector<double> inverse(const std::vector<double>& f) const
    {
        const int m = n / 2;
        std::vector<double> x(std::size_t(n), 0.0);
        for (int t = 0; t < n; ++t) {
            long double sum = 0;
            int r = t; // k·t mod N
            for (int k = 1; k < m; ++k) {
                sum += f[std::size_t(k)] * cosines[std::size_t(r)] - f[std::size_t(m + k)] * sines[std::size_t(r)];
                r = (r + t) % n;
            }
            x[std::size_t(t)] = double(f[0] + ((t & 1) != 0 ? -f[std::size_t(m)] : f[std::size_t(m)]) + 2 * sum);
        }
        return x;
    }

    int n;
    std::vector<long double> cosines; // cos(2πr/N)
    std::vector<long double> sines;   // sin(2πr/N)
};

double maxDifference(const std::vector<double>& a, const std::vector<double>& b)
{
    double worst = 0.0;
    for (std::size_t i = 0; i < a.size(); ++i)
        worst = std::max(worst, std::abs(a[i] - b[i]));
    return worst;
}

// Every copy of the loops this processor can run: the plain one-lane copy
// and the baseline always, the AVX2 one when it was built and the processor
// supports it.
std::vector<const FFTRealKernels*> runnableKernels()
{
    std::vector<const FFTRealKernels*> kernels{&kPlainFFTKernels, &kBaselineFFTKernels};
    if (&FFTReal::bestKernels() != &kBaselineFFTKernels)
        kernels.push_back(&FFTReal::bestKernels());
    return kernels;
}

std::vector<int> everyLength(int longest)
{
    std::vector<int> lengths;
    for (int n = 2; n <= longest; n *= 2)
        lengths.push_back(n);
    return lengths;
}

} // namespace

TEST(FFTReal, ForwardMatchesDirectDftForSmallLengths)
{
    for (const FFTRealKernels* kernels : runnableKernels())
    for (int n : {2, 4, 8, 16, 32, 64, 128, 256}) {
        SCOPED_TRACE(n);
        SCOPED_TRACE(kernels->name);
        FFTReal fft(n, kernels);
        const std::vector<double> x = randomSignal(n, unsigned(n));
        std::vector<double> f(static_cast<std::size_t>(n));
        fft.forward(x.data(), f.data());
        const std::vector<double> expected = naivePackedDft(x);
        for (int i = 0; i < n; ++i)
            EXPECT_NEAR(f[std::size_t(i)], expected[std::size_t(i)], 1e-12 * n) << "index " << i;
    }
}

// Every power of two up to 8192 goes through a different plan (direct
// evaluation, radix-4 or radix-8 closing pass, one to six twiddled passes);
// each is checked in both directions against the direct transforms, the
// inverse on a spectrum that did not come from forward(). Values on both
// sides are about √N in size here; the bound allows two units of rounding
// of that size per halving of the length (the transforms stay below a
// quarter of it).
TEST(FFTReal, EveryLengthMatchesDirectTransformsBothWays)
{
    const std::vector<const FFTRealKernels*> kernelsList = runnableKernels();
    for (int n : everyLength(8192)) {
        SCOPED_TRACE(n);
        const DirectDft direct(n);
        const std::vector<double> x = randomSignal(n, 11u + unsigned(n));
        const std::vector<double> spectrum = randomSignal(n, 23u + unsigned(n));
        const std::vector<double> expectedSpectrum = direct.forward(x);
        const std::vector<double> expectedSignal = direct.inverse(spectrum);
        const double bound = 2.0 * std::numeric_limits<double>::epsilon() * std::sqrt(double(n)) * std::log2(double(n));
        for (const FFTRealKernels* kernels : kernelsList) {
            SCOPED_TRACE(kernels->name);
            FFTReal fft(n, kernels);
            std::vector<double> f(static_cast<std::size_t>(n)), y(static_cast<std::size_t>(n));
            fft.forward(x.data(), f.data());
            fft.inverse(spectrum.data(), y.data());
            EXPECT_LE(maxDifference(f, expectedSpectrum), bound) << "forward";
            EXPECT_LE(maxDifference(y, expectedSignal), bound) << "inverse";
        }
    }
}

TEST(FFTReal, InverseIsUnscaledAndRescaleRestoresTheSignal)
{
    for (const FFTRealKernels* kernels : runnableKernels())
    for (int n : everyLength(8192)) {
        SCOPED_TRACE(n);
        SCOPED_TRACE(kernels->name);
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

// The transforms keep their intermediate results in the object's own
// buffers, so the caller's arrays may coincide and need no alignment: a
// spectrum slot of the convolver's product ring, for one, starts wherever
// the ring puts it. Every way of passing the arrays gives bit-identical
// results, and a second call on the same object repeats the first.
TEST(FFTReal, InPlaceAndMisalignedArraysGiveTheSameResult)
{
    for (const FFTRealKernels* kernels : runnableKernels())
    for (int n : {2, 16, 32, 64, 512, 2048}) {
        SCOPED_TRACE(n);
        SCOPED_TRACE(kernels->name);
        const std::size_t size = std::size_t(n);
        FFTReal fft(n, kernels);
        const std::vector<double> x = randomSignal(n, 3);
        std::vector<double> outOfPlace(size);
        fft.forward(x.data(), outOfPlace.data());

        std::vector<double> inPlace = x;
        fft.forward(inPlace.data(), inPlace.data());
        EXPECT_EQ(inPlace, outOfPlace);

        // One double past an aligned start, for both input and output.
        std::vector<double> shiftedIn(size + 1), shiftedOut(size + 1);
        std::copy(x.begin(), x.end(), shiftedIn.begin() + 1);
        fft.forward(shiftedIn.data() + 1, shiftedOut.data() + 1);
        EXPECT_TRUE(std::equal(outOfPlace.begin(), outOfPlace.end(), shiftedOut.begin() + 1));

        std::vector<double> back(size);
        fft.inverse(outOfPlace.data(), back.data());
        fft.inverse(inPlace.data(), inPlace.data());
        EXPECT_EQ(inPlace, back);
        std::copy(outOfPlace.begin(), outOfPlace.end(), shiftedIn.begin() + 1);
        fft.inverse(shiftedIn.data() + 1, shiftedOut.data() + 1);
        EXPECT_TRUE(std::equal(back.begin(), back.end(), shiftedOut.begin() + 1));

        std::vector<double> again(size);
        fft.forward(x.data(), again.data());
        EXPECT_EQ(again, outOfPlace) << "second forward call";
    }
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
