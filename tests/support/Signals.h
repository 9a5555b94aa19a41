#pragma once

// Reproducible test signals and the measures the tests compare them by.

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <limits>
#include <random>
#include <vector>

namespace testing_support {

// n samples uniform in [-1, 1) from a generator seeded with `seed`, sample i
// scaled by exp(-decay · i): white noise, or with a decay a response-like
// shape. The same seed always gives the same samples.
inline std::vector<double> noise(std::size_t n, unsigned seed, double decay = 0.0)
{
    std::mt19937 rng(seed);
    std::uniform_real_distribution<double> dist(-1.0, 1.0);
    std::vector<double> x(n);
    for (std::size_t i = 0; i < n; ++i)
        x[i] = dist(rng) * std::exp(-decay * double(i));
    return x;
}

// The largest magnitude among the samples [from, to) (the end clipped to the signal).
inline double peak(const std::vector<double>& x, std::size_t from = 0,
                   std::size_t to = std::numeric_limits<std::size_t>::max())
{
    double m = 0.0;
    for (std::size_t i = from; i < std::min(to, x.size()); ++i)
        m = std::max(m, std::abs(x[i]));
    return m;
}

// The largest magnitude of a[i] - b[i] over a's samples (b at least as long).
inline double maxDifference(const std::vector<double>& a, const std::vector<double>& b)
{
    double m = 0.0;
    for (std::size_t i = 0; i < a.size(); ++i)
        m = std::max(m, std::abs(a[i] - b[i]));
    return m;
}

} // namespace testing_support
