#pragma once

// The command line of selvarine-render, parsed into plain settings. Parsing
// checks the form and range of every value; names of programs and parameters
// are checked later against the loaded plug-in.

#include "host/AudioFile.h"

#include <optional>
#include <string>
#include <vector>

namespace host {

// One --set "Name=value" request.
struct ParameterSetting {
    std::string name; // exact parameter name as the plug-in reports it
    float value;      // normalised, 0..1
};

struct RenderOptions {
    std::string input;                       // audio file to process (empty in query-only and batch runs)
    std::string output;                      // audio file to write
    std::vector<std::string> inputs;         // batch: the files to process (with --out-dir)
    std::string outDir;                      // --out-dir / -o: batch output folder
    int jobs = 0;                            // --jobs: files processed at once; 0 = one per processor core
    bool quiet = false;                      // --quiet: no progress display
    std::string pluginPath;                  // --plugin; empty = the plug-in built beside the tool
    std::optional<std::string> program;      // --program: an index or an exact program name
    std::vector<ParameterSetting> settings;  // --set, applied in order after the program
    std::optional<double> sampleRate;        // --rate in Hz; default = the input file's rate
    int blockSize = 512;                     // --block, frames per process call
    bool doublePrecision = false;            // --double: processDoubleReplacing
    double tempo = 120.0;                    // --tempo in BPM, reported to the plug-in
    double tailSeconds = 0.0;                // --tail: silence appended to the input
    SampleEncoding encoding = SampleEncoding::Float32; // --pcm16 / --pcm24
    bool showInfo = false;                   // --info
    bool listPrograms = false;               // --list-programs
    bool listParameters = false;             // --list-params
    std::string chunkOut;                    // --chunk-out FILE
    std::string chunkIn;                     // --chunk-in FILE
    bool singleProgramChunk = false;         // --single: chunks hold one program
    std::string presetIn;                    // --preset FILE.sxp: loaded into the current program
    std::string bankIn;                      // --bank FILE.sxb: loaded as the whole bank
    std::string presetOut;                   // --save-preset FILE.sxp
    std::string bankOut;                     // --save-bank FILE.sxb
    std::string responsePath;                // --ir FILE.wav: the current program's impulse response
    std::optional<double> normalizeDb;       // --normalize DB: peak level of the written file, dBFS
    bool trimTail = false;                   // --trim-tail: cut the end once it stays below kTrimThresholdDb
    bool showHelp = false;                   // --help

    // Whether the run processes audio (IN and OUT, or inputs and --out-dir, were given).
    bool renders() const { return !input.empty() || batch(); }
    // Whether the run is a batch: every input into --out-dir.
    bool batch() const { return !outDir.empty(); }
};

// Parses argv[1..argc-1]. Returns false with a one-line `error` for unknown
// options, missing or malformed values and values out of range.
bool parseRenderOptions(int argc, const char* const* argv, RenderOptions& options, std::string& error);

// The --help text.
const char* renderUsage();

// Limits of the numeric options.
constexpr int kMaxBlockSize = 1 << 20;      // frames per call
constexpr double kMinSampleRate = 1000.0;   // Hz
constexpr double kMaxSampleRate = 768000.0; // Hz
constexpr double kMaxTempo = 999.0;         // BPM
constexpr double kMaxTailSeconds = 3600.0;
constexpr int kMaxJobs = 256;               // --jobs
constexpr double kMinNormalizeDb = -120.0;  // --normalize range, dBFS
constexpr double kMaxNormalizeDb = 0.0;
constexpr double kTrimThresholdDb = -90.0;  // --trim-tail: level below which the end is silence, dBFS

} // namespace host
