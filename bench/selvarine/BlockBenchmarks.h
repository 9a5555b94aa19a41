#pragma once

// The block-level cases as Google Benchmark benchmarks: one process call of
// each block size per iteration, per case of the matrix, through the loaded
// plug-in.

#include "bench/selvarine/BenchOptions.h"
#include "host/PluginLibrary.h"

namespace bench {

// Registers "process/<case>/block:<n>" for every case and block size; the
// counter "rtf" is seconds of audio per second of CPU time. The library must
// outlive the benchmark run.
void registerBlockBenchmarks(const host::PluginLibrary& library, const BenchOptions& options);

} // namespace bench
