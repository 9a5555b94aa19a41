#include "cabinet/CabinetEngine.h"
#include "cabinet/Convolver.h"
#include "cabinet/FFTReal.h"
#include "cabinet/IrBank.h"
#include "bench/support/Noise.h"

#include <benchmark/benchmark.h>

#if defined(SELVARINE_BENCH_FFTW)
#include <fftw3.h>
#endif

#include <chrono>
#include <vector>

namespace {

using bench_support::noise;

void fftSizes(benchmark::internal::Benchmark* b)
{
    for (int n = 128; n <= 2048; n *= 2)
        b->Arg(n);
}

// --- Real FFT ----------------------------------------------------------------

enum class Direction { Forward, Inverse };

// One transform of n noise samples, with the loops FFTReal picks on this
// processor (kernels null) or with the baseline copy that runs on processors
// without AVX2.
template <Direction direction>
void runTransform(benchmark::State& state, const FFTRealKernels* kernels)
{
    const int n = int(state.range(0));
    FFTReal fft(n, kernels);
    const std::vector<double> in = noise(std::size_t(n), direction == Direction::Forward ? 1 : 2);
    std::vector<double> out(static_cast<std::size_t>(n));
    for (auto _ : state) {
        if constexpr (direction == Direction::Forward)
            fft.forward(in.data(), out.data());
        else
            fft.inverse(in.data(), out.data());
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations());
    state.SetLabel(fft.kernels().name);
}
void BM_FFTRealForward(benchmark::State& state) { runTransform<Direction::Forward>(state, nullptr); }
BENCHMARK(BM_FFTRealForward)->Apply(fftSizes);
void BM_FFTRealForwardBaseline(benchmark::State& state)
{
    runTransform<Direction::Forward>(state, &kBaselineFFTKernels);
}
BENCHMARK(BM_FFTRealForwardBaseline)->Apply(fftSizes);
void BM_FFTRealInverse(benchmark::State& state) { runTransform<Direction::Inverse>(state, nullptr); }
BENCHMARK(BM_FFTRealInverse)->Apply(fftSizes);
void BM_FFTRealInverseBaseline(benchmark::State& state)
{
    runTransform<Direction::Inverse>(state, &kBaselineFFTKernels);
}
BENCHMARK(BM_FFTRealInverseBaseline)->Apply(fftSizes);

#if defined(SELVARINE_BENCH_FFTW)
// FFTW's real transforms with a measured plan, as the reference.

// Times the plan's runs, then destroys the plan and frees its buffers.
void timePlan(benchmark::State& state, fftw_plan plan, void* in, void* out)
{
    for (auto _ : state) {
        fftw_execute(plan);
        benchmark::DoNotOptimize(out);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations());
    fftw_destroy_plan(plan);
    fftw_free(out);
    fftw_free(in);
}

void BM_FFTWForward(benchmark::State& state)
{
    const int n = int(state.range(0));
    double* in = fftw_alloc_real(std::size_t(n));
    fftw_complex* out = fftw_alloc_complex(std::size_t(n / 2 + 1));
    fftw_plan plan = fftw_plan_dft_r2c_1d(n, in, out, FFTW_MEASURE);
    const std::vector<double> x = noise(std::size_t(n), 1);
    std::copy(x.begin(), x.end(), in);
    timePlan(state, plan, in, out);
}
BENCHMARK(BM_FFTWForward)->Apply(fftSizes);

void BM_FFTWInverse(benchmark::State& state)
{
    const int n = int(state.range(0));
    fftw_complex* in = fftw_alloc_complex(std::size_t(n / 2 + 1));
    double* out = fftw_alloc_real(std::size_t(n));
    fftw_plan plan = fftw_plan_dft_c2r_1d(n, in, out, FFTW_MEASURE);
    const std::vector<double> x = noise(std::size_t(n + 2), 2);
    for (int k = 0; k <= n / 2; ++k) {
        in[k][0] = x[std::size_t(2 * k)];
        in[k][1] = x[std::size_t(2 * k + 1)];
    }
    // c2r destroys its input, which turns to inf/NaN after a few runs; the
    // time is what matters, not the values (a fresh copy per run measured
    // the same, copy excluded).
    timePlan(state, plan, in, out);
}
BENCHMARK(BM_FFTWInverse)->Apply(fftSizes);
#endif

// --- Convolver ---------------------------------------------------------------

// Average cost of one sample, transform bursts included.
void BM_ConvolverPerSample(benchmark::State& state)
{
    const int head = int(state.range(0));
    Convolver conv(head);
    conv.clear();
    const std::vector<double> h = noise(std::size_t(conv.responseLength()), 3, 1e-3);
    conv.loadResponse(h.data());
    const std::vector<double> x = noise(1 << 16, 4);
    std::size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(conv.processSample(x[i]));
        i = (i + 1) & (x.size() - 1);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ConvolverPerSample)->Arg(Convolver::kSmallHead)->Arg(Convolver::kLargeHead);

// The worst host block: one that contains the sample on which both stages
// transform (every 8·B samples). Only that block is timed; the counters give
// its real-time budget at the rate the size is used for (48 kHz for B = 64,
// 96 kHz for B = 128) and the fraction of it one convolver takes.
void BM_ConvolverWorstBlock(benchmark::State& state)
{
    const int head = int(state.range(0));
    const int block = int(state.range(1));
    const double rate = head == Convolver::kSmallHead ? 48000.0 : 96000.0;
    Convolver conv(head);
    conv.clear();
    const std::vector<double> h = noise(std::size_t(conv.responseLength()), 5, 1e-3);
    conv.loadResponse(h.data());
    const std::vector<double> x = noise(1 << 16, 6);
    const std::size_t period = std::size_t(8 * head);
    std::size_t count = 0;
    double total = 0.0;
    for (auto _ : state) {
        // Untimed: up to half a block before the next common burst.
        while (count % period != period - std::size_t(block / 2)) {
            benchmark::DoNotOptimize(conv.processSample(x[count & (x.size() - 1)]));
            ++count;
        }
        const auto start = std::chrono::steady_clock::now();
        for (int i = 0; i < block; ++i) {
            benchmark::DoNotOptimize(conv.processSample(x[count & (x.size() - 1)]));
            ++count;
        }
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        state.SetIterationTime(seconds);
        total += seconds;
    }
    const double budget = double(block) / rate;
    state.counters["budget_us"] = budget * 1e6;
    state.counters["budget_used"] = total / double(state.iterations()) / budget;
}
BENCHMARK(BM_ConvolverWorstBlock)
    ->Args({Convolver::kSmallHead, 32})
    ->Args({Convolver::kSmallHead, 64})
    ->Args({Convolver::kLargeHead, 32})
    ->Args({Convolver::kLargeHead, 64})
    ->UseManualTime();

// --- Cabinet engine ----------------------------------------------------------

// One rebuild with both cabinets in stereo: two interpolations, the channel
// mix, decimation (at 44.1 kHz) and four partition sets.
void BM_CabinetRebuild(benchmark::State& state)
{
    const float rate = float(state.range(0));
    static const std::vector<double> bank = noise(std::size_t(IrBank::kTableCount) * IrBank::kTableLength, 7);
    CabinetEngine engine(bank.data());
    engine.setStereo(true);
    engine.setSampleRate(rate);
    float position = 0.0f;
    for (auto _ : state) {
        position = position > 0.9f ? 0.0f : position + 0.1f;
        engine.setSlot(0, SlotSetting::Position, position);
        engine.rebuild();
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_CabinetRebuild)->Arg(44100)->Arg(96000)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
