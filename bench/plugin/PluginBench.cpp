#include <benchmark/benchmark.h>

#include <memory>
#include <random>
#include <vector>

#include "plugin/Doxaro.h"

namespace {

constexpr int kBlock = 512;

// A plug-in at 44100 Hz running one program, with a noisy guitar-level input.
struct Rig {
    explicit Rig(int program, bool highRes)
        : plugin(std::make_unique<Doxaro>(nullptr)), left(kBlock), right(kBlock)
    {
        plugin->setProgram(program);
        if (highRes)
            plugin->setParameter(param::HighRes, 0.0f);
        std::mt19937 rng(1);
        std::uniform_real_distribution<double> dist(-0.3, 0.3);
        for (int i = 0; i < kBlock; ++i)
            left[i] = right[i] = dist(rng);
    }
    std::unique_ptr<Doxaro> plugin;
    std::vector<double> left;
    std::vector<double> right;
};

// Host samples per second through the whole chain; range(0) is the program,
// range(1) = 1 engages "High Res.".
void processBlock(benchmark::State& state)
{
    Rig rig(static_cast<int>(state.range(0)), state.range(1) != 0);
    std::vector<float> left(rig.left.begin(), rig.left.end()), right(rig.right.begin(), rig.right.end());
    float* io[2] = {left.data(), right.data()};
    for (auto _ : state) {
        rig.plugin->processReplacing(io, io, kBlock);
        benchmark::DoNotOptimize(left.data());
    }
    state.SetItemsProcessed(state.iterations() * kBlock);
}
// Program 0 (mono cabinets), 17 (stereo cabinets), 20 (JC lead, mono).
BENCHMARK(processBlock)->Args({0, 0})->Args({0, 1})->Args({17, 0})->Args({20, 0})->Args({20, 1});

void processDoubleBlock(benchmark::State& state)
{
    Rig rig(0, false);
    double* io[2] = {rig.left.data(), rig.right.data()};
    for (auto _ : state) {
        rig.plugin->processDoubleReplacing(io, io, kBlock);
        benchmark::DoNotOptimize(rig.left.data());
    }
    state.SetItemsProcessed(state.iterations() * kBlock);
}
BENCHMARK(processDoubleBlock);

// Writer side: a knob change on the amplifier, and one that rebuilds the cabinets.
void setParameter(benchmark::State& state)
{
    Rig rig(0, false);
    const int index = static_cast<int>(state.range(0));
    float value = 0.25f;
    for (auto _ : state) {
        rig.plugin->setParameter(index, value);
        value = value == 0.25f ? 0.75f : 0.25f;
    }
}
BENCHMARK(setParameter)->Arg(param::AmpGain)->Arg(param::Mic1Pos)->Unit(benchmark::kMicrosecond);

void setProgram(benchmark::State& state)
{
    Rig rig(0, false);
    int program = 0;
    for (auto _ : state) {
        rig.plugin->setProgram(program);
        program = (program + 7) % 24;
    }
}
BENCHMARK(setProgram)->Unit(benchmark::kMillisecond);

} // namespace
