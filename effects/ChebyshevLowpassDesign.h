#pragma once

#include <array>

// Coefficients of one tenth-order low-pass with all ten zeros at z = -1:
//   y[n] = sum(k=0..10) b_k x[n-k] + sum(k=1..10) c_k y[n-k]
// The numerator is symmetric (b_{10-k} = b_k), so only b0..b5 are kept.
struct TenthOrderCoefficients {
    std::array<double, 6> b{};  // numerator b0..b5, binomial pattern times b0
    std::array<double, 10> c{}; // feedback c1..c10, stored with the sign they are added with
};

// Designs the Chebyshev type I low-pass that the spring reverb resamples and
// smooths with: tenth order, equiripple passband between amplitudes 0.995
// and 1 (about 0.0435 dB), half-power point at `cornerHz` for the design
// rate `designRate`. Bilinear transform with the corner pre-warped, all zeros
// at z = -1. The gain is then scaled to exactly 1 at DC, which for an even
// order is a ripple trough: the scaled passband swings between 1 and 1/0.995
// and the corner sits at 1/(0.995 sqrt 2).
//
// Runs on the loading thread (it uses transcendental functions); the filters
// call it through their cached sets, never on the audio thread.
TenthOrderCoefficients designChebyshevLowpass(double designRate, double cornerHz);

// The design rates at which the spring's 5 kHz low-passes are stored.
enum class LowpassDesignRate { Hz44100, Hz48000, Hz88200, Hz96000 };

// The 5 kHz set for one design rate. All four sets are designed together on
// the first call (a thread-safe static) and never change afterwards; the
// filters' constructors make that first call, so it never happens on the
// audio thread.
const TenthOrderCoefficients& springLowpassSet(LowpassDesignRate rate);
