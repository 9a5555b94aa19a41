#pragma once

#include "tools/bankgen/Fft.h"

#include <complex>
#include <vector>

// Minimum-phase spectrum for a magnitude response, by the real cepstrum: the
// log magnitude is transformed to the cepstrum, folded onto positive
// quefrencies and transformed back, giving log magnitude + i·phase of the
// causal, minimum-phase filter with that magnitude.
//
// magnitude: N/2 + 1 values on the FFT grid (bin 0 to Nyquist), all > 0.
// Returns the full complex spectrum of N bins (conjugate-symmetric).
std::vector<std::complex<double>> minimumPhaseSpectrum(const std::vector<double>& magnitude, const Fft& fft);
