#pragma once

// What selvarine-bench measures for one case of the matrix, and how.

#include "bench/selvarine/BenchOptions.h"
#include "bench/selvarine/BenchRig.h"

#include <string>
#include <vector>

namespace bench {

// Spread of per-call costs, each a fraction of the block's real-time budget
// (block length / rate): 1.0 means the call took as long as the audio it
// produced lasts.
struct CostSpread {
    double mean = 0.0;   // mean cost
    double p999 = 0.0;   // 99.9th percentile
    double worst = 0.0;  // largest single call
};

// Per-call cost of one host block size over a long run, on the wall clock
// (steady_clock: what the host's deadline sees, including any time the
// thread was preempted on a busy machine) and in thread CPU time (the work
// itself).
struct BlockCost {
    int blockSize = 0;   // frames per process call
    int calls = 0;       // timed calls
    CostSpread wall;     // steady_clock per call
    CostSpread cpu;      // CLOCK_THREAD_CPUTIME_ID per call
};

// Wall-clock cost of one writer action (host thread), over the repetitions.
struct ActionCost {
    double median = 0.0; // seconds
    double worst = 0.0;  // seconds
};

struct CaseResult {
    BenchCase benchCase;
    double realTimeFactor = 0.0;   // seconds of audio per second of thread CPU time
    double nsPerSample = 0.0;      // thread CPU nanoseconds per host sample (per frame)
    std::vector<BlockCost> blocks; // one per block size of the options
    ActionCost programChange;      // effSetProgram into the case's program
    ActionCost cabinetRebuild;     // setParameter("Mic 1 Pos") to a new value
    ActionCost chunkLoad;          // single-program chunk, no user response
    ActionCost responseLoad;       // the same chunk naming a small WAV file as its user response
};

// Runs every measurement of one case on `rig` (already created). `responsePath`
// names a small WAV file that the response-load measurement points at.
CaseResult measureCase(BenchRig& rig, const BenchCase& benchCase, const BenchOptions& options,
                       const std::string& responsePath);

// Writes a short mono impulse response (a decaying noise burst) as a WAV file
// at `path`. False when the file cannot be written.
bool writeTestResponse(const std::string& path, std::string& error);

// A single-program chunk equal to `chunk` but naming `path` as its user
// response (the record's path field), or `chunk` itself when it is not a
// program record.
std::vector<char> withResponsePath(const std::vector<char>& chunk, const std::string& path);

} // namespace bench
