#pragma once

// The command line of selvarine-bench: which mode runs, which part of the
// measurement matrix (programs x rates x "High Res." x cabinet mode) it
// covers, and how long each measurement runs.

#include <string>
#include <vector>

namespace bench {

enum class Mode {
    Report, // the plain table (and JSON) over the whole matrix; the default
    Digest, // output checksums of fixed renders, for bit-exact comparisons between builds
    Difference, // the digest's renders by two builds, their largest difference per case
    Google, // the block-level cases through Google Benchmark
    Run,    // only processes the first case for a while, for a profiler to watch
    WriterLatency, // setParameter timed while other host threads change programs and process
};

struct BenchOptions {
    Mode mode = Mode::Report;
    std::string pluginPath;                          // plug-in binary; empty: the one built beside the tool
    std::vector<int> programs;                       // program indices 0..23
    std::vector<double> rates{44100.0, 48000.0, 88200.0, 96000.0}; // host sample rates, Hz
    std::vector<bool> highRes{false, true};          // "High Res." disengaged / engaged
    std::vector<int> cabModes{0, 1};                 // "CAB type": 0 mono, 1 stereo
    std::vector<int> blockSizes{32, 64, 512};        // host blocks whose worst cost is measured
    double rtfSeconds = 2.0;                         // audio per real-time-factor measurement
    double blockSeconds = 4.0;                       // audio per block-size run
    int repeats = 5;                                 // timed repetitions of each writer action
    double digestSeconds = 3.0;                      // audio per digest render
    double writerSeconds = 10.0;                     // duration of the writer-latency run
    std::string jsonPath;                            // write the JSON report here when not empty
    std::string digestPath;                          // write the digest here (default: standard output)
    std::string otherPluginPath;                     // --difference: the build compared with
    bool quick = false;                              // CI smoke run: small matrix, short runs
    std::vector<std::string> googleArgs;             // arguments passed on to Google Benchmark
};

// Parses argv. Returns false with a message in `error` for a malformed line;
// `help` is set when the usage text was asked for.
bool parseOptions(int argc, char** argv, BenchOptions& options, std::string& error, bool& help);

// The usage text.
const char* usageText();

// "0,3,7-9" -> {0,3,7,8,9}; false when a piece is not a number or a range.
bool parseIntList(const std::string& text, std::vector<int>& values);

} // namespace bench
