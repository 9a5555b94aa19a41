#include "amps/BKVGAmpClean.h"
#include "amps/BKVGAmpLead.h"
#include "amps/JCAmpClean.h"
#include "amps/JCAmpLead.h"
#include "amps/MVAmpClean.h"
#include "amps/MVAmpLead.h"
#include "dsp/ChebyFilter.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

namespace {

constexpr int kBlock = 512;

std::vector<double> guitarLikeInput(float rate)
{
    std::vector<double> input(kBlock);
    for (int n = 0; n < kBlock; ++n)
        input[n] = 0.3 * std::sin(2.0 * 3.141592653589793 * 196.0 * n / rate) +
                   0.1 * std::sin(2.0 * 3.141592653589793 * 1318.5 * n / rate);
    return input;
}

// Items are samples at the block's rate; per_sample is the time per sample,
// shown with an SI prefix (e.g. "70n" = 70 ns).
void countSamples(benchmark::State& state)
{
    state.SetItemsProcessed(state.iterations() * kBlock);
    state.counters["per_sample"] =
        benchmark::Counter(kBlock, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

// The input through the block one sample at a time.
template <typename Block>
void runPerSample(benchmark::State& state, Block& block, const std::vector<double>& input)
{
    SampleFrame frame;
    for (auto _ : state) {
        for (double x : input) {
            frame.value = x;
            block.process(&frame);
            benchmark::DoNotOptimize(frame.value);
        }
    }
    countSamples(state);
}

// Sets the channel up at the benchmark's rate (44100 = host rate, 88200 =
// "High Res." at 44.1 kHz), switched on, and gives the input for that rate.
template <typename Channel>
std::vector<double> setUpChannel(benchmark::State& state, Channel& channel)
{
    const float rate = float(state.range(0));
    channel.setSampleRate(rate);
    channel.setEnabled(true);
    return guitarLikeInput(rate);
}

// One channel, sample by sample.
template <typename Channel>
void channelProcess(benchmark::State& state)
{
    Channel channel;
    const std::vector<double> input = setUpChannel(state, channel);
    runPerSample(state, channel, input);
}

// The same through processBlock(), the whole input as one block, as the
// signal chain runs the channel without "High Res.".
template <typename Channel>
void channelBlock(benchmark::State& state)
{
    Channel channel;
    const std::vector<double> input = setUpChannel(state, channel);
    std::vector<double> buffer(input.size());
    for (auto _ : state) {
        buffer = input;
        channel.processBlock(buffer.data(), int(buffer.size()));
        benchmark::DoNotOptimize(buffer.data());
    }
    countSamples(state);
}

void chebyFilterProcess(benchmark::State& state)
{
    ChebyFilter filter;
    filter.setSampleRate(88200.0f);
    filter.selectCoefficients();
    const std::vector<double> input = guitarLikeInput(88200.0f);
    runPerSample(state, filter, input);
}

} // namespace

BENCHMARK(channelProcess<MVAmpClean>)->Arg(44100)->Arg(88200);
BENCHMARK(channelProcess<MVAmpLead>)->Arg(44100)->Arg(88200);
BENCHMARK(channelProcess<BKVGAmpClean>)->Arg(44100)->Arg(88200);
BENCHMARK(channelProcess<BKVGAmpLead>)->Arg(44100)->Arg(88200);
BENCHMARK(channelProcess<JCAmpClean>)->Arg(44100)->Arg(88200);
BENCHMARK(channelProcess<JCAmpLead>)->Arg(44100)->Arg(88200);
BENCHMARK(channelBlock<MVAmpClean>)->Arg(44100);
BENCHMARK(channelBlock<MVAmpLead>)->Arg(44100);
BENCHMARK(channelBlock<BKVGAmpClean>)->Arg(44100);
BENCHMARK(channelBlock<BKVGAmpLead>)->Arg(44100);
BENCHMARK(channelBlock<JCAmpClean>)->Arg(44100);
BENCHMARK(channelBlock<JCAmpLead>)->Arg(44100);
BENCHMARK(chebyFilterProcess);
