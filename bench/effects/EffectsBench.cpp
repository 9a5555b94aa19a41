// Cost of the spring reverb and the limiter per sample, at 44.1 and 96 kHz.
// The "time_per_sample" counter (CPU time per processed sample) is the figure
// to compare.
#include "effects/Limiter.h"
#include "effects/Spring.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

namespace {

constexpr int kBlock = 4096;

// A guitar-like test signal: decaying plucks with some noise on top.
std::vector<double> testSignal()
{
    std::vector<double> x(kBlock);
    unsigned state = 12345u;
    for (int n = 0; n < kBlock; ++n) {
        state = state * 1664525u + 1013904223u;
        const double noise = (double(state >> 8) / double(1u << 24) - 0.5) * 0.01;
        const double pluck = std::exp(-double(n % 1024) / 300.0) * std::sin(0.07 * n);
        x[std::size_t(n)] = 1.4 * pluck + noise;
    }
    return x;
}

void reportPerSample(benchmark::State& state)
{
    state.counters["time_per_sample"] = benchmark::Counter(
        kBlock, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void BM_Spring(benchmark::State& state)
{
    auto spring = std::make_unique<Spring>();
    spring->setSampleRate(float(state.range(0)));
    spring->setEnabled(true);
    spring->setAmount(0.6f);
    const std::vector<double> x = testSignal();
    for (auto _ : state) {
        for (const double v : x) {
            SampleFrame frame{v};
            spring->process(&frame);
            benchmark::DoNotOptimize(frame.value);
        }
    }
    reportPerSample(state);
}
BENCHMARK(BM_Spring)->Arg(44100)->Arg(96000);

// The block path as the signal chain drives it: 256-sample chunks in place.
void BM_SpringBlock(benchmark::State& state)
{
    auto spring = std::make_unique<Spring>();
    spring->setSampleRate(float(state.range(0)));
    spring->setEnabled(true);
    spring->setAmount(0.6f);
    const std::vector<double> x = testSignal();
    std::vector<double> buffer(x.size());
    constexpr int kChunk = 256;
    for (auto _ : state) {
        buffer = x;
        for (std::size_t start = 0; start < buffer.size(); start += kChunk)
            spring->processBlock(buffer.data() + start, int(std::min<std::size_t>(kChunk, buffer.size() - start)));
        benchmark::DoNotOptimize(buffer.data());
    }
    reportPerSample(state);
}
BENCHMARK(BM_SpringBlock)->Arg(44100)->Arg(96000);

void BM_LimiterMono(benchmark::State& state)
{
    Limiter limiter;
    limiter.reset();
    limiter.setSampleRate(float(state.range(0)));
    limiter.setEnabled(true);
    const std::vector<double> x = testSignal();
    for (auto _ : state) {
        for (const double v : x) {
            SampleFrame frame{v};
            limiter.process(&frame);
            benchmark::DoNotOptimize(frame.value);
        }
    }
    reportPerSample(state);
}
BENCHMARK(BM_LimiterMono)->Arg(44100)->Arg(96000);

void BM_LimiterStereo(benchmark::State& state)
{
    Limiter limiter;
    limiter.reset();
    limiter.setSampleRate(float(state.range(0)));
    const std::vector<double> x = testSignal();
    for (auto _ : state) {
        for (std::size_t n = 0; n < x.size(); ++n) {
            double left = x[n];
            double right = -0.7 * x[kBlock - 1 - n];
            limiter.processStereo(left, right);
            benchmark::DoNotOptimize(left);
            benchmark::DoNotOptimize(right);
        }
    }
    reportPerSample(state);
}
BENCHMARK(BM_LimiterStereo)->Arg(44100)->Arg(96000);

} // namespace
