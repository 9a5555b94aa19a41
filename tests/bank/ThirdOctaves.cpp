#include "tests/bank/ThirdOctaves.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <numbers>
#include <stdexcept>
#include <utility>

namespace bank_test {
namespace {

constexpr int kFftSize = 32768; // zero-padded analysis length (2.7 Hz bins at 88.2 kHz)

void fft(std::vector<std::complex<double>>& x)
{
    const int n = static_cast<int>(x.size());
    for (int i = 1, j = 0; i < n; ++i) {
        int bit = n >> 1;
        for (; j & bit; bit >>= 1)
            j ^= bit;
        j ^= bit;
        if (i < j)
            std::swap(x[i], x[j]);
    }
    for (int len = 2; len <= n; len <<= 1) {
        const std::complex<double> root = std::polar(1.0, -2.0 * std::numbers::pi / len);
        for (int start = 0; start < n; start += len) {
            std::complex<double> w = 1.0;
            for (int j = 0; j < len / 2; ++j) {
                const std::complex<double> a = x[start + j];
                const std::complex<double> b = x[start + j + len / 2] * w;
                x[start + j] = a + b;
                x[start + j + len / 2] = a - b;
                w *= root;
            }
        }
    }
}

std::vector<std::complex<double>> spectrum(const double* samples, int length)
{
    if (length > kFftSize)
        throw std::invalid_argument("table longer than the analysis");
    std::vector<std::complex<double>> x(kFftSize, 0.0);
    for (int i = 0; i < length; ++i)
        x[i] = samples[i];
    fft(x);
    return x;
}

// Mean power of the bins from loHz up to (not including) hiHz, dB.
double bandPower(const std::vector<std::complex<double>>& x, double rate, double loHz, double hiHz)
{
    double sum = 0.0;
    int count = 0;
    for (int k = static_cast<int>(std::ceil(loHz * kFftSize / rate)); k * rate / kFftSize < hiHz; ++k) {
        sum += std::norm(x[k]);
        ++count;
    }
    if (count == 0)
        throw std::invalid_argument("band narrower than a bin");
    return 10.0 * std::log10(sum / count + 1e-300);
}

bool inRange(int band, double loHz, double hiHz)
{
    const double c = bandCentre(band);
    return c >= loHz * 0.99 && c <= hiHz * 1.01;
}

} // namespace

double bandCentre(int band)
{
    return 1000.0 * std::pow(2.0, (band - 17) / 3.0);
}

double familyRate(int family)
{
    return family == 0 ? 88200.0 : 96000.0;
}

double Bands::level(double loHz, double hiHz) const
{
    double sum = 0.0;
    int count = 0;
    for (int b = 0; b < kBandCount; ++b)
        if (inRange(b, loHz, hiHz)) {
            sum += std::pow(10.0, db[b] / 10.0);
            ++count;
        }
    if (count == 0)
        throw std::invalid_argument("no band in range");
    return 10.0 * std::log10(sum / count);
}

double Bands::highest(double loHz, double hiHz) const
{
    double top = -1e300;
    for (int b = 0; b < kBandCount; ++b)
        if (inRange(b, loHz, hiHz))
            top = std::max(top, db[b]);
    return top;
}

Bands analyse(const double* samples, int length, double rate)
{
    const std::vector<std::complex<double>> x = spectrum(samples, length);
    Bands bands{};
    for (int b = 0; b < kBandCount; ++b)
        bands.db[b] = bandPower(x, rate, bandCentre(b) * std::pow(2.0, -1.0 / 6.0),
                                bandCentre(b) * std::pow(2.0, 1.0 / 6.0));
    return bands;
}

FineBands analyseSixths(const double* samples, int length, double rate, double loHz, double hiHz)
{
    const std::vector<std::complex<double>> x = spectrum(samples, length);
    FineBands bands;
    const int first = static_cast<int>(std::lround(6.0 * std::log2(loHz / 1000.0)));
    const int last = static_cast<int>(std::lround(6.0 * std::log2(hiHz / 1000.0)));
    for (int n = first; n <= last; ++n) {
        const double centre = 1000.0 * std::pow(2.0, n / 6.0);
        bands.centre.push_back(centre);
        bands.db.push_back(bandPower(x, rate, centre * std::pow(2.0, -1.0 / 12.0), centre * std::pow(2.0, 1.0 / 12.0)));
    }
    return bands;
}

FineBands analyseSixths(const std::vector<double>& samples, double rate, double loHz, double hiHz)
{
    return analyseSixths(samples.data(), static_cast<int>(samples.size()), rate, loHz, hiHz);
}

Bands analyse(const std::vector<double>& samples, double rate)
{
    return analyse(samples.data(), static_cast<int>(samples.size()), rate);
}

} // namespace bank_test
