#pragma once

// The fixed signals the benchmarks feed through the blocks: reproducible
// white noise, optionally with an exponential decay that makes it a
// response-like shape.

#include <cmath>
#include <cstddef>
#include <random>
#include <vector>

namespace bench_support {

// n samples uniform in [-1, 1) from a generator seeded with `seed`, sample i
// scaled by exp(-decay · i). The same seed always gives the same samples.
inline std::vector<double> noise(std::size_t n, unsigned seed, double decay = 0.0)
{
    std::mt19937 rng(seed);
    std::uniform_real_distribution<double> dist(-1.0, 1.0);
    std::vector<double> x(n);
    for (std::size_t i = 0; i < n; ++i)
        x[i] = dist(rng) * std::exp(-decay * double(i));
    return x;
}

} // namespace bench_support
