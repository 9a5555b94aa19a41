#include "bench/selvarine/BenchOptions.h"

#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <sstream>

namespace bench {

namespace {

std::vector<std::string> splitCommas(const std::string& text)
{
    std::vector<std::string> pieces;
    std::stringstream stream(text);
    std::string piece;
    while (std::getline(stream, piece, ','))
        pieces.push_back(piece);
    return pieces;
}

bool parseInt(const std::string& text, int& value)
{
    const char* end = text.data() + text.size();
    const auto result = std::from_chars(text.data(), end, value);
    return result.ec == std::errc() && result.ptr == end;
}

bool parsePositive(const std::string& text, double& value)
{
    char* end = nullptr;
    value = std::strtod(text.c_str(), &end);
    return !text.empty() && end == text.c_str() + text.size() && value > 0.0;
}

// "off,on" or "0,1" style lists of two-way switches.
bool parseSwitchList(const std::string& text, std::vector<bool>& values)
{
    values.clear();
    for (const std::string& piece : splitCommas(text)) {
        if (piece == "off" || piece == "0")
            values.push_back(false);
        else if (piece == "on" || piece == "1")
            values.push_back(true);
        else
            return false;
    }
    return !values.empty();
}

} // namespace

bool parseIntList(const std::string& text, std::vector<int>& values)
{
    values.clear();
    for (const std::string& piece : splitCommas(text)) {
        const std::size_t dash = piece.find('-', 1);
        int first = 0, last = 0;
        if (dash == std::string::npos) {
            if (!parseInt(piece, first))
                return false;
            last = first;
        } else if (!parseInt(piece.substr(0, dash), first) || !parseInt(piece.substr(dash + 1), last) || last < first) {
            return false;
        }
        for (int v = first; v <= last; ++v)
            values.push_back(v);
    }
    return !values.empty();
}

const char* usageText()
{
    return "usage: selvarine-bench [options]\n"
           "       selvarine-bench --digest [options]\n"
           "       selvarine-bench --gbench [options] [-- google-benchmark options]\n"
           "\n"
           "Loads the plug-in through VSTPluginMain like a host and measures it for every\n"
           "program, sample rate, \"High Res.\" setting and cabinet mode of the matrix:\n"
           "real-time factor and ns per sample (thread CPU time, one thread), the worst and\n"
           "99.9th-percentile cost of 32-, 64- and 512-sample host blocks as a fraction of\n"
           "their real-time budget (wall clock per block), and the cost of a program change,\n"
           "a cabinet rebuild (\"Mic 1 Pos\") and a state chunk load with and without a\n"
           "user impulse response.\n"
           "\n"
           "  --plugin PATH         plug-in binary (default: the one built beside the tool)\n"
           "  --programs LIST       programs, e.g. 0,5,10-12 (default: all 24)\n"
           "  --rates LIST          host rates in Hz (default: 44100,48000,88200,96000)\n"
           "  --highres LIST        off,on (default: both)\n"
           "  --cab LIST            CAB type 0 (mono), 1 (stereo) (default: both)\n"
           "  --seconds S           audio per real-time-factor run (default 2)\n"
           "  --block-seconds S     audio per block-size run (default 4)\n"
           "  --repeats N           timed repetitions of each writer action (default 5)\n"
           "  --quick               CI smoke run: programs 0 and 20, 44100 and 96000 Hz,\n"
           "                        short runs (a few seconds in all)\n"
           "  --json FILE           also write the results as JSON\n"
           "  --digest              instead of timing, print a checksum of a fixed render\n"
           "                        per case (double and float processing, with a cabinet\n"
           "                        rebuild and a user response load during the render)\n"
           "  --digest-seconds S    audio per digest render (default 3)\n"
           "  --out FILE            write the digest to FILE instead of standard output\n"
           "  --difference OTHER    render the digest's cases (64-bit processing) with the\n"
           "                        plug-in and with OTHER and print the largest difference\n"
           "                        between their outputs per case and over all (dBFS)\n"
           "  --gbench              run the block-level cases through Google Benchmark\n"
           "                        (default matrix: the quick one); arguments after -- go\n"
           "                        to Google Benchmark (e.g. --benchmark_filter=...)\n"
           "  --writer-latency      time setParameter on the audio thread (50th, 99th, 99.9th\n"
           "                        percentile, worst) while a user thread moves a microphone,\n"
           "                        changes programs and restores a chunk naming a long WAV\n"
           "                        response every 20 ms; then the time until a cabinet change\n"
           "                        set on the audio thread is heard\n"
           "  --writer-seconds S    duration of the writer-latency run (default 10)\n"
           "  --run                 only process the first case of the matrix for --seconds of\n"
           "                        audio in 512-frame calls (for profilers: callgrind, perf)\n"
           "  --help                show this text\n";
}

bool parseOptions(int argc, char** argv, BenchOptions& options, std::string& error, bool& help)
{
    help = false;
    bool programsGiven = false, ratesGiven = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        auto value = [&](std::string& out) {
            if (i + 1 >= argc) {
                error = "missing value after " + arg;
                return false;
            }
            out = argv[++i];
            return true;
        };
        std::string text;
        if (arg == "--help" || arg == "-h") {
            help = true;
            return true;
        } else if (arg == "--") {
            for (++i; i < argc; ++i)
                options.googleArgs.emplace_back(argv[i]);
        } else if (arg == "--quick") {
            options.quick = true;
        } else if (arg == "--digest") {
            options.mode = Mode::Digest;
        } else if (arg == "--difference") {
            options.mode = Mode::Difference;
            if (!value(options.otherPluginPath))
                return false;
        } else if (arg == "--writer-latency") {
            options.mode = Mode::WriterLatency;
        } else if (arg == "--run") {
            options.mode = Mode::Run;
        } else if (arg == "--gbench") {
            options.mode = Mode::Google;
        } else if (arg == "--plugin") {
            if (!value(options.pluginPath))
                return false;
        } else if (arg == "--json") {
            if (!value(options.jsonPath))
                return false;
        } else if (arg == "--out") {
            if (!value(options.digestPath))
                return false;
        } else if (arg == "--programs") {
            if (!value(text))
                return false;
            if (!parseIntList(text, options.programs) ||
                std::any_of(options.programs.begin(), options.programs.end(), [](int p) { return p < 0 || p > 23; })) {
                error = "--programs wants indices 0..23, e.g. 0,5,10-12";
                return false;
            }
            programsGiven = true;
        } else if (arg == "--rates") {
            if (!value(text))
                return false;
            options.rates.clear();
            for (const std::string& piece : splitCommas(text)) {
                double rate = 0.0;
                if (!parsePositive(piece, rate) || rate < 8000.0 || rate > 384000.0) {
                    error = "--rates wants rates in Hz between 8000 and 384000";
                    return false;
                }
                options.rates.push_back(rate);
            }
            ratesGiven = !options.rates.empty();
        } else if (arg == "--highres") {
            if (!value(text))
                return false;
            if (!parseSwitchList(text, options.highRes)) {
                error = "--highres wants off, on or off,on";
                return false;
            }
        } else if (arg == "--cab") {
            if (!value(text))
                return false;
            if (!parseIntList(text, options.cabModes) ||
                std::any_of(options.cabModes.begin(), options.cabModes.end(), [](int c) { return c != 0 && c != 1; })) {
                error = "--cab wants 0, 1 or 0,1";
                return false;
            }
        } else if (arg == "--seconds" || arg == "--block-seconds" || arg == "--digest-seconds" ||
                   arg == "--writer-seconds") {
            double seconds = 0.0;
            if (!value(text))
                return false;
            if (!parsePositive(text, seconds) || seconds > 600.0) {
                error = arg + " wants a duration in seconds (0 < S <= 600)";
                return false;
            }
            (arg == "--seconds"          ? options.rtfSeconds
             : arg == "--block-seconds" ? options.blockSeconds
             : arg == "--writer-seconds" ? options.writerSeconds
                                         : options.digestSeconds) = seconds;
        } else if (arg == "--repeats") {
            if (!value(text))
                return false;
            if (!parseInt(text, options.repeats) || options.repeats < 1 || options.repeats > 1000) {
                error = "--repeats wants a count 1..1000";
                return false;
            }
        } else if (arg.rfind("--benchmark_", 0) == 0) {
            options.googleArgs.push_back(arg); // Google Benchmark's own flags pass through
        } else {
            error = "unknown option " + arg;
            return false;
        }
    }

    // The smaller default matrix of the quick run and of Google Benchmark.
    if (options.quick || options.mode == Mode::Google) {
        if (!programsGiven)
            options.programs = {0, 20};
        if (!ratesGiven)
            options.rates = {44100.0, 96000.0};
    }
    if (options.quick) {
        options.rtfSeconds = std::min(options.rtfSeconds, 0.5);
        options.blockSeconds = std::min(options.blockSeconds, 0.5);
        options.repeats = std::min(options.repeats, 1);
        options.digestSeconds = std::min(options.digestSeconds, 0.5);
        options.writerSeconds = std::min(options.writerSeconds, 1.0);
    }
    if (options.programs.empty())
        for (int p = 0; p < 24; ++p)
            options.programs.push_back(p);
    return true;
}

} // namespace bench
