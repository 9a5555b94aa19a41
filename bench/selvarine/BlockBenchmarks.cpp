#include "bench/selvarine/BlockBenchmarks.h"

#include "bench/selvarine/BenchRig.h"

#include <benchmark/benchmark.h>

#include <string>

namespace bench {

void registerBlockBenchmarks(const host::PluginLibrary& library, const BenchOptions& options)
{
    for (int program : options.programs)
        for (double rate : options.rates)
            for (bool highRes : options.highRes)
                for (int cabMode : options.cabModes)
                    for (int blockSize : options.blockSizes) {
                        const BenchCase c{program, rate, highRes, cabMode};
                        std::string name = "process/" + c.label() + "/block:" + std::to_string(blockSize);
                        for (char& ch : name)
                            if (ch == ' ')
                                ch = '/';
                        benchmark::RegisterBenchmark(name.c_str(), [&library, c, blockSize](benchmark::State& state) {
                            std::string error;
                            std::unique_ptr<BenchRig> rig = BenchRig::create(library, error);
                            if (!rig) {
                                state.SkipWithError(error.c_str());
                                return;
                            }
                            rig->configure(c);
                            for (int i = 0; i < 64; ++i)
                                rig->process(blockSize); // warm-up
                            for (auto _ : state)
                                rig->process(blockSize);
                            state.SetItemsProcessed(state.iterations() * blockSize);
                            state.counters["rtf"] = benchmark::Counter(double(state.iterations()) * blockSize / c.rate,
                                                                       benchmark::Counter::kIsRate);
                        });
                    }
}

} // namespace bench
