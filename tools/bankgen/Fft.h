#pragma once

#include <complex>
#include <vector>

// In-place radix-2 complex FFT of one fixed power-of-two size. The generator
// carries its own transform so that the product depends on no FFT library.
class Fft {
public:
    explicit Fft(int size);

    int size() const { return n; }

    // Forward transform X[k] = sum x[t]·e^(−2πikt/N).
    void forward(std::vector<std::complex<double>>& data) const;
    // Inverse transform including the 1/N factor.
    void inverse(std::vector<std::complex<double>>& data) const;

private:
    void transform(std::vector<std::complex<double>>& data, bool inverse) const;

    int n;                                    // transform size, a power of two
    std::vector<std::complex<double>> twiddle; // e^(−2πik/N), k = 0..N/2−1
    std::vector<int> reversed;                // bit-reversed index of each position
};
