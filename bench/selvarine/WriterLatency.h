#pragma once

// How long the host's parameter path takes while other host threads are
// busy: one thread calls setParameter the way automation does, a second
// switches programs and restores a chunk naming a long stereo WAV response
// every 20 ms (a user stepping through responses), and a third processes
// audio. Each setParameter call is timed on the wall clock.

#include "bench/selvarine/BenchOptions.h"
#include "host/PluginLibrary.h"

#include <ostream>
#include <string>

namespace bench {

struct WriterLatency {
    long calls = 0;      // timed setParameter calls
    double p50 = 0.0;    // median, seconds
    double p999 = 0.0;   // 99.9th percentile, seconds
    double worst = 0.0;  // largest single call, seconds
    long programs = 0;   // program changes and chunk restores made meanwhile
    long blocks = 0;     // audio blocks processed meanwhile
};

// Runs the race for `seconds`; `responsePath` is where the long response is
// written. False with `error` filled when the plug-in or the file fails.
bool measureWriterLatency(const host::PluginLibrary& library, double seconds, const std::string& responsePath,
                          WriterLatency& result, std::string& error);

// One line per figure, in microseconds.
void printWriterLatency(std::ostream& out, const WriterLatency& result);

} // namespace bench
