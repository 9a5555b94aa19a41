#include "tools/bankgen/Fft.h"

#include <cmath>
#include <numbers>
#include <stdexcept>
#include <utility>

Fft::Fft(int size) : n(size), twiddle(size / 2), reversed(size)
{
    if (size < 2 || (size & (size - 1)) != 0)
        throw std::invalid_argument("FFT size must be a power of two");
    for (int k = 0; k < n / 2; ++k) {
        const double angle = -2.0 * std::numbers::pi * k / n;
        twiddle[k] = {std::cos(angle), std::sin(angle)};
    }
    int bits = 0;
    while ((1 << bits) < n)
        ++bits;
    for (int i = 0; i < n; ++i) {
        int r = 0;
        for (int b = 0; b < bits; ++b)
            r |= ((i >> b) & 1) << (bits - 1 - b);
        reversed[i] = r;
    }
}

void Fft::forward(std::vector<std::complex<double>>& data) const
{
    transform(data, false);
}

void Fft::inverse(std::vector<std::complex<double>>& data) const
{
    transform(data, true);
    const double scale = 1.0 / n;
    for (auto& x : data)
        x *= scale;
}

void Fft::transform(std::vector<std::complex<double>>& data, bool inverse) const
{
    if (static_cast<int>(data.size()) != n)
        throw std::invalid_argument("FFT data has the wrong size");
    for (int i = 0; i < n; ++i)
        if (i < reversed[i])
            std::swap(data[i], data[reversed[i]]);
    for (int half = 1; half < n; half *= 2) {
        const int stride = n / (2 * half);
        for (int start = 0; start < n; start += 2 * half) {
            for (int j = 0; j < half; ++j) {
                std::complex<double> w = twiddle[j * stride];
                if (inverse)
                    w = std::conj(w);
                const std::complex<double> a = data[start + j];
                const std::complex<double> b = data[start + j + half] * w;
                data[start + j] = a + b;
                data[start + j + half] = a - b;
            }
        }
    }
}
