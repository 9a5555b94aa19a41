#include "tools/bankgen/MinimumPhase.h"

#include <cmath>
#include <stdexcept>

std::vector<std::complex<double>> minimumPhaseSpectrum(const std::vector<double>& magnitude, const Fft& fft)
{
    const int n = fft.size();
    const int half = n / 2;
    if (static_cast<int>(magnitude.size()) != half + 1)
        throw std::invalid_argument("magnitude must hold N/2 + 1 bins");

    // Real cepstrum of the (even) log magnitude.
    std::vector<std::complex<double>> work(n);
    for (int k = 0; k <= half; ++k) {
        if (!(magnitude[k] > 0.0))
            throw std::invalid_argument("magnitude must be positive");
        work[k] = std::log(magnitude[k]);
    }
    for (int k = 1; k < half; ++k)
        work[n - k] = work[k];
    fft.inverse(work);

    // Fold: keep c[0] and c[N/2], double the positive quefrencies, drop the
    // negative ones. The result's transform is the minimum-phase log spectrum.
    for (int t = 1; t < half; ++t) {
        work[t] = 2.0 * work[t].real();
        work[n - t] = 0.0;
    }
    work[0] = work[0].real();
    work[half] = work[half].real();
    fft.forward(work);

    for (auto& x : work)
        x = std::exp(x);
    return work;
}
