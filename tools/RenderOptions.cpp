#include "tools/RenderOptions.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>

namespace host {

namespace {

// A whole-string decimal number; no trailing characters, finite.
bool parseNumber(const std::string& text, double& value)
{
    if (text.empty())
        return false;
    char* end = nullptr;
    errno = 0;
    value = std::strtod(text.c_str(), &end);
    return errno == 0 && end == text.c_str() + text.size() && std::isfinite(value);
}

bool parseInteger(const std::string& text, long long& value)
{
    if (text.empty())
        return false;
    char* end = nullptr;
    errno = 0;
    value = std::strtoll(text.c_str(), &end, 10);
    return errno == 0 && end == text.c_str() + text.size();
}

} // namespace

const char* renderUsage()
{
    return "usage: selvarine-render [options] IN OUT\n"
           "       selvarine-render [options] IN... --out-dir DIR\n"
           "       selvarine-render [options] --info | --list-programs | --list-params | --chunk-out FILE\n"
           "                        | --save-preset FILE | --save-bank FILE\n"
           "\n"
           "Runs audio files through a VST 2.4 plug-in (by default the OrvandelSelvarine\n"
           "plug-in beside this tool or built with it). Mono input feeds both plug-in inputs;\n"
           "the output is written as 32-bit float in the container named by OUT's extension\n"
#if SELVARINE_HAVE_SNDFILE
           "(wav, aiff, flac, ogg, ...).\n"
#else
           "(this build reads and writes WAV files only).\n"
#endif
           "\n"
           "Plug-in state, applied in this order:\n"
           "  --chunk-in FILE     restore a state chunk (the whole bank; one program with --single)\n"
           "  --bank FILE.sxb     load a bank file (names, values and flags of all programs)\n"
           "  --program N|NAME    select a program by index or exact name\n"
           "  --preset FILE.sxp   load a preset file into the current program\n"
           "  --set \"NAME=V\"      set a parameter (exact name, 0 <= V <= 1); repeatable\n"
           "  --ir FILE.wav       the current program's impulse response (\"empty\" for none)\n"
           "Files written once all of the above is applied:\n"
           "  --chunk-out FILE    save the state chunk (the whole bank; one program with --single)\n"
           "  --save-preset FILE.sxp  save the current program (it takes the file's name)\n"
           "  --save-bank FILE.sxb    save all programs\n"
           "  --single            chunks hold the current program only (default: whole bank)\n"
           "\n"
           "Processing:\n"
           "  --plugin PATH       plug-in binary to load\n"
           "  --rate HZ           processing sample rate (default: the input's rate; no resampling)\n"
           "  --block N           frames per process call (default 512)\n"
           "  --double            process in 64-bit floating point\n"
           "  --tempo BPM         tempo reported to the plug-in (default 120)\n"
           "  --tail SECONDS      silence appended to the input to let reverb ring out\n"
           "Output:\n"
           "  --pcm16, --pcm24    write 16- or 24-bit integer samples instead of float\n"
           "  --normalize DB      scale the output so that its peak is DB dBFS (-120 to 0)\n"
           "  --trim-tail         cut the end of the output once it stays below -90 dBFS\n"
           "Batch:\n"
           "  -o, --out-dir DIR   process every IN into DIR, each output named after its input\n"
           "  --jobs N            files processed at once, one plug-in instance each\n"
           "                      (default: the number of processor cores)\n"
           "  --quiet             no progress display (it is shown only when standard error\n"
           "                      is a terminal)\n"
           "Queries:\n"
           "  --info              show the plug-in's identity, counts and flags\n"
           "  --list-programs     list the programs\n"
           "  --list-params       list the parameters with value and display text\n"
           "  --help              show this text\n"
           "\n"
           "Every output file and folder is checked before the first file is processed. In a\n"
           "batch a file that fails is reported and the others go on; the exit status is 0\n"
           "when everything succeeded, 1 when anything failed and 2 for a malformed command line.\n";
}

bool parseRenderOptions(int argc, const char* const* argv, RenderOptions& options, std::string& error)
{
    options = RenderOptions{};
    std::vector<std::string> positional;

    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        std::string inlineValue;
        bool hasInlineValue = false;
        if (arg.rfind("--", 0) == 0) {
            const std::size_t equals = arg.find('=');
            if (equals != std::string::npos) {
                inlineValue = arg.substr(equals + 1);
                arg.resize(equals);
                hasInlineValue = true;
            }
        }

        // Fetches the value of an option that takes one.
        auto value = [&](std::string& out) {
            if (hasInlineValue) {
                out = inlineValue;
                return true;
            }
            if (i + 1 >= argc) {
                error = "option " + arg + " needs a value";
                return false;
            }
            out = argv[++i];
            return true;
        };
        auto flag = [&](bool& out) {
            if (hasInlineValue) {
                error = "option " + arg + " takes no value";
                return false;
            }
            out = true;
            return true;
        };

        std::string text;
        if (arg == "--help" || arg == "-h") {
            if (!flag(options.showHelp))
                return false;
        } else if (arg == "--plugin") {
            if (!value(options.pluginPath))
                return false;
            if (options.pluginPath.empty()) {
                error = "--plugin needs a path";
                return false;
            }
        } else if (arg == "--program") {
            if (!value(text))
                return false;
            if (text.empty()) {
                error = "--program needs an index or a name";
                return false;
            }
            options.program = text;
        } else if (arg == "--set") {
            if (!value(text))
                return false;
            // The last '=' separates name and value, so a name may itself hold '='.
            const std::size_t equals = text.rfind('=');
            if (equals == std::string::npos || equals == 0) {
                error = "--set expects \"Parameter Name=value\", got \"" + text + "\"";
                return false;
            }
            double number = 0.0;
            const std::string valueText = text.substr(equals + 1);
            if (!parseNumber(valueText, number)) {
                error = "--set " + text.substr(0, equals) + ": \"" + valueText + "\" is not a number";
                return false;
            }
            if (number < 0.0 || number > 1.0) {
                error = "--set " + text.substr(0, equals) + ": value " + valueText + " is outside 0..1";
                return false;
            }
            options.settings.push_back({text.substr(0, equals), static_cast<float>(number)});
        } else if (arg == "--rate") {
            double rate = 0.0;
            if (!value(text))
                return false;
            if (!parseNumber(text, rate) || rate < kMinSampleRate || rate > kMaxSampleRate) {
                error = "--rate expects a sample rate from 1000 to 768000 Hz, got \"" + text + "\"";
                return false;
            }
            options.sampleRate = rate;
        } else if (arg == "--block") {
            long long frames = 0;
            if (!value(text))
                return false;
            if (!parseInteger(text, frames) || frames < 1 || frames > kMaxBlockSize) {
                error = "--block expects a whole number of frames from 1 to " + std::to_string(kMaxBlockSize) +
                        ", got \"" + text + "\"";
                return false;
            }
            options.blockSize = static_cast<int>(frames);
        } else if (arg == "--double") {
            if (!flag(options.doublePrecision))
                return false;
        } else if (arg == "--tempo") {
            if (!value(text))
                return false;
            if (!parseNumber(text, options.tempo) || options.tempo <= 0.0 || options.tempo > kMaxTempo) {
                error = "--tempo expects beats per minute above 0 and up to 999, got \"" + text + "\"";
                return false;
            }
        } else if (arg == "--tail") {
            if (!value(text))
                return false;
            if (!parseNumber(text, options.tailSeconds) || options.tailSeconds < 0.0 ||
                options.tailSeconds > kMaxTailSeconds) {
                error = "--tail expects seconds from 0 to 3600, got \"" + text + "\"";
                return false;
            }
        } else if (arg == "--pcm16" || arg == "--pcm24") {
            bool set = false;
            if (!flag(set))
                return false;
            options.encoding = arg == "--pcm16" ? SampleEncoding::Pcm16 : SampleEncoding::Pcm24;
        } else if (arg == "--info") {
            if (!flag(options.showInfo))
                return false;
        } else if (arg == "--list-programs") {
            if (!flag(options.listPrograms))
                return false;
        } else if (arg == "--list-params") {
            if (!flag(options.listParameters))
                return false;
        } else if (arg == "--chunk-out" || arg == "--chunk-in") {
            std::string& target = arg == "--chunk-out" ? options.chunkOut : options.chunkIn;
            if (!value(target))
                return false;
            if (target.empty()) {
                error = arg + " needs a file name";
                return false;
            }
        } else if (arg == "--preset" || arg == "--bank" || arg == "--save-preset" || arg == "--save-bank" ||
                   arg == "--ir") {
            std::string& target = arg == "--preset"        ? options.presetIn
                                  : arg == "--bank"        ? options.bankIn
                                  : arg == "--save-preset" ? options.presetOut
                                  : arg == "--save-bank"   ? options.bankOut
                                                           : options.responsePath;
            if (!value(target))
                return false;
            if (target.empty()) {
                error = arg + " needs a file name";
                return false;
            }
        } else if (arg == "--out-dir" || arg == "-o") {
            if (!value(options.outDir))
                return false;
            if (options.outDir.empty()) {
                error = arg + " needs a folder";
                return false;
            }
        } else if (arg == "--jobs") {
            long long jobs = 0;
            if (!value(text))
                return false;
            if (!parseInteger(text, jobs) || jobs < 1 || jobs > kMaxJobs) {
                error = "--jobs expects a whole number from 1 to " + std::to_string(kMaxJobs) + ", got \"" + text +
                        "\"";
                return false;
            }
            options.jobs = static_cast<int>(jobs);
        } else if (arg == "--quiet" || arg == "-q") {
            if (!flag(options.quiet))
                return false;
        } else if (arg == "--normalize") {
            double db = 0.0;
            if (!value(text))
                return false;
            if (!parseNumber(text, db) || db < kMinNormalizeDb || db > kMaxNormalizeDb) {
                error = "--normalize expects a peak level from -120 to 0 dBFS, got \"" + text + "\"";
                return false;
            }
            options.normalizeDb = db;
        } else if (arg == "--trim-tail") {
            if (!flag(options.trimTail))
                return false;
        } else if (arg == "--single") {
            if (!flag(options.singleProgramChunk))
                return false;
        } else if (arg == "--") {
            for (++i; i < argc; ++i)
                positional.emplace_back(argv[i]);
        } else if (arg.size() > 1 && arg[0] == '-') {
            error = "unknown option " + arg + " (see --help)";
            return false;
        } else {
            positional.push_back(arg);
        }
    }

    if (options.showHelp)
        return true;

    const bool queryOnly = options.showInfo || options.listPrograms || options.listParameters ||
                           !options.chunkOut.empty() || !options.presetOut.empty() || !options.bankOut.empty();
    if (options.batch()) {
        if (positional.empty()) {
            error = "--out-dir needs at least one input file";
            return false;
        }
        for (const std::string& name : positional)
            if (name.empty()) {
                error = "input file names must not be empty";
                return false;
            }
        options.inputs = positional;
    } else if (positional.size() == 2) {
        if (positional[0].empty() || positional[1].empty()) {
            error = "input and output file names must not be empty";
            return false;
        }
        options.input = positional[0];
        options.output = positional[1];
    } else if (positional.empty()) {
        if (!queryOnly) {
            error = "missing input and output files (see --help)";
            return false;
        }
    } else if (positional.size() == 1) {
        error = "missing output file after \"" + positional[0] + "\"";
        return false;
    } else {
        error = "too many file arguments: expected IN OUT (several inputs need --out-dir DIR)";
        return false;
    }
    return true;
}

} // namespace host
