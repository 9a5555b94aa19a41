// selvarine-render: an offline VST 2.4 host. It loads a plug-in binary through
// its entry point, configures it from the command line, runs an audio file
// through it and writes the result, or reports what the plug-in exposes.
//
// Host sequence: entry, effOpen, effSetSampleRate, effSetBlockSize, state chunk,
// bank file, program, preset file, parameters, impulse response,
// effMainsChanged(1), process, effMainsChanged(0), effClose. A batch does the
// same with one instance per file.

#include "host/AudioFile.h"
#include "host/PluginInstance.h"
#include "host/PluginLibrary.h"
#include "tools/BatchRunner.h"
#include "tools/OutputCheck.h"
#include "tools/PluginFileCommands.h"
#include "tools/ProgressDisplay.h"
#include "tools/RenderOptions.h"
#include "tools/RenderSession.h"

#include <algorithm>
#include <cmath>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>

// The plug-in's location relative to this tool in the build tree, recorded by
// the build; empty when the tool was built without the plug-in.
#ifndef SELVARINE_DEFAULT_PLUGIN
#define SELVARINE_DEFAULT_PLUGIN ""
#endif

namespace {

#ifdef _WIN32
constexpr const char* kPluginFileName = "OrvandelSelvarine.dll";
#else
constexpr const char* kPluginFileName = "OrvandelSelvarine.so";
#endif

constexpr int kExitFailure = 1; // any error: bad options, files, plug-in or names
constexpr int kExitUsage = 2;   // the command line itself is malformed
constexpr int kOutputChannels = 2; // what the output check assumes; the plug-in's outputs decide when writing

// The plug-in that goes with this tool: the one in the same folder (a copied
// or installed pair), else the one of the build tree the tool was built in.
// When neither exists the path beside the tool is returned, for the loader to
// report as missing.
std::string defaultPluginPath()
{
    std::string folder = host::executablePath();
    const std::size_t slash = folder.find_last_of("/\\");
    folder = slash == std::string::npos ? std::string(".") : folder.substr(0, slash);
    const std::filesystem::path beside = std::filesystem::path(folder) / kPluginFileName;
    std::error_code ignored;
    if (std::filesystem::exists(beside, ignored) || SELVARINE_DEFAULT_PLUGIN[0] == '\0')
        return beside.string();
    const std::filesystem::path built =
        (std::filesystem::path(folder) / SELVARINE_DEFAULT_PLUGIN).lexically_normal().make_preferred();
    return std::filesystem::exists(built, ignored) ? built.string() : beside.string();
}

std::string fourCharacters(vst::VstInt32 id)
{
    std::string text;
    for (int shift = 24; shift >= 0; shift -= 8) {
        const auto c = static_cast<unsigned char>((static_cast<std::uint32_t>(id) >> shift) & 0xFF);
        text += (c >= 32 && c < 127) ? static_cast<char>(c) : '?';
    }
    return text;
}

void printInfo(const host::PluginInstance& plugin, const std::string& path, const std::string& entry)
{
    const vst::AEffect& effect = plugin.effect();
    std::string flags;
    auto addFlag = [&](vst::VstInt32 bit, const char* name) {
        if (effect.flags & bit)
            flags += (flags.empty() ? "" : ", ") + std::string(name);
    };
    addFlag(vst::effFlagsHasEditor, "has editor");
    addFlag(vst::effFlagsCanReplacing, "can replacing");
    addFlag(vst::effFlagsCanDoubleReplacing, "can double replacing");
    addFlag(vst::effFlagsProgramChunks, "program chunks");
    addFlag(vst::effFlagsIsSynth, "synth");
    addFlag(vst::effFlagsNoSoundInStop, "no sound in stop");

    char id[16];
    std::snprintf(id, sizeof(id), "0x%08X", static_cast<unsigned>(effect.uniqueID));
    std::printf("%-16s %s (entry %s)\n", "Plug-in:", path.c_str(), entry.c_str());
    std::printf("%-16s %s\n", "Effect name:", plugin.effectName().c_str());
    std::printf("%-16s %s\n", "Vendor:", plugin.vendorString().c_str());
    std::printf("%-16s %s\n", "Product:", plugin.productString().c_str());
    std::printf("%-16s %s (%s)\n", "Unique ID:", fourCharacters(effect.uniqueID).c_str(), id);
    std::printf("%-16s %d\n", "Version:", effect.version);
    std::printf("%-16s %ld\n", "Vendor version:", static_cast<long>(plugin.dispatch(vst::effGetVendorVersion)));
    std::printf("%-16s %ld\n", "VST version:", static_cast<long>(plugin.dispatch(vst::effGetVstVersion)));
    std::printf("%-16s %ld\n", "Category:", static_cast<long>(plugin.dispatch(vst::effGetPlugCategory)));
    std::printf("%-16s %d\n", "Inputs:", effect.numInputs);
    std::printf("%-16s %d\n", "Outputs:", effect.numOutputs);
    std::printf("%-16s %d\n", "Parameters:", effect.numParams);
    std::printf("%-16s %d\n", "Programs:", effect.numPrograms);
    std::printf("%-16s %d\n", "Initial delay:", effect.initialDelay);
    std::printf("%-16s %ld\n", "Tail size:", static_cast<long>(plugin.dispatch(vst::effGetTailSize)));
    std::printf("%-16s %s\n", "Flags:", flags.empty() ? "none" : flags.c_str());
}

void printPrograms(const host::PluginInstance& plugin)
{
    const int current = plugin.currentProgram();
    const int width = static_cast<int>(std::to_string(std::max(plugin.numPrograms() - 1, 0)).size());
    for (int i = 0; i < plugin.numPrograms(); ++i)
        std::printf("%c %*d  %s\n", i == current ? '*' : ' ', width, i, plugin.programName(i).c_str());
}

void printParameters(const host::PluginInstance& plugin)
{
    std::vector<std::string> names;
    std::size_t nameWidth = 4;
    for (int i = 0; i < plugin.numParameters(); ++i) {
        names.push_back(plugin.parameterName(i));
        nameWidth = std::max(nameWidth, names.back().size());
    }
    const int width = static_cast<int>(nameWidth);
    const int indexWidth = static_cast<int>(std::to_string(std::max(plugin.numParameters() - 1, 0)).size());
    std::printf("%*s  %-*s  %-9s  %s\n", indexWidth, "#", width, "Name", "Value", "Display");
    for (int i = 0; i < plugin.numParameters(); ++i) {
        std::string display = plugin.parameterDisplay(i);
        const std::string label = plugin.parameterLabel(i);
        if (!label.empty())
            display += " " + label;
        std::printf("%*d  %-*s  %-9.6f  %s\n", indexWidth, i, width, names[static_cast<std::size_t>(i)].c_str(),
                    static_cast<double>(plugin.getParameter(i)), display.c_str());
    }
}

bool readFile(const std::string& path, std::vector<char>& bytes, std::string& error)
{
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        error = "cannot open chunk file '" + path + "'";
        return false;
    }
    bytes.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    if (file.bad()) {
        error = "cannot read chunk file '" + path + "'";
        return false;
    }
    return true;
}

bool writeFile(const std::string& path, const std::vector<char>& bytes, std::string& error)
{
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    if (file)
        file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    file.close();
    if (!file) {
        error = "cannot write chunk file '" + path + "'";
        return false;
    }
    return true;
}

int fail(const std::string& message, int code = kExitFailure)
{
    std::fprintf(stderr, "selvarine-render: %s\n", message.c_str());
    return code;
}

int run(int argc, char** argv)
{
    host::RenderOptions options;
    std::string error;
    if (!host::parseRenderOptions(argc, argv, options, error))
        return fail(error, kExitUsage);
    if (options.showHelp) {
        std::fputs(host::renderUsage(), stdout);
        return 0;
    }

    // Input first: a missing file is reported before the plug-in is loaded.
    host::AudioFileReader input;
    if (!options.input.empty()) {
        if (!input.open(options.input, error))
            return fail(error);
        if (input.channels() > 2)
            return fail("'" + options.input + "' has " + std::to_string(input.channels()) +
                        " channels; only mono and stereo files can be processed");
    }
    const double sampleRate = options.sampleRate.value_or(options.input.empty() ? 44100.0 : input.sampleRate());

    // Every output is checked before anything is processed.
    if (!options.input.empty() &&
        !host::checkOutputFile(options.output, kOutputChannels, sampleRate, options.encoding, error))
        return fail(error);
    if (options.batch() &&
        !host::checkBatchOutputs(options.inputs, options.outDir, kOutputChannels, sampleRate, options.encoding, error))
        return fail(error);

    std::vector<char> chunkIn;
    if (!options.chunkIn.empty() && !readFile(options.chunkIn, chunkIn, error))
        return fail(error);

    const std::string pluginPath = options.pluginPath.empty() ? defaultPluginPath() : options.pluginPath;
    host::PluginLibrary library;
    if (!library.load(pluginPath))
        return fail(library.error());

    // One instance takes the state first, so that a broken chunk, preset,
    // bank or response file is reported before any audio is processed; it
    // answers the queries, writes the state files and renders a single file.
    auto plugin = host::createConfiguredInstance(library, options, chunkIn, sampleRate, error);
    if (!plugin)
        return fail(error);

    if (options.showInfo)
        printInfo(*plugin, pluginPath, library.entryName());
    if (options.listPrograms)
        printPrograms(*plugin);
    if (options.listParameters)
        printParameters(*plugin);
    if (!options.chunkOut.empty()) {
        const std::vector<char> chunk = plugin->getChunk(options.singleProgramChunk);
        if (chunk.empty())
            return fail("the plug-in returned no state chunk");
        if (!writeFile(options.chunkOut, chunk, error))
            return fail(error);
    }
    if (!options.presetOut.empty() &&
        !host::sendFileCommand(*plugin, filecmd::SavePreset, options.presetOut, error))
        return fail(error);
    if (!options.bankOut.empty() && !host::sendFileCommand(*plugin, filecmd::SaveBank, options.bankOut, error))
        return fail(error);
    if (!options.renders())
        return 0;

    const bool showProgress = !options.quiet && host::ProgressDisplay::standardErrorIsTerminal();
    if (!options.batch()) {
        host::ProgressDisplay display(stderr, showProgress, 1);
        const std::string name = std::filesystem::path(options.input).filename().string();
        const bool ok = host::renderToFile(*plugin, input, sampleRate, options, options.output, name, display, error);
        display.close();
        return ok ? 0 : fail(error);
    }

    // A batch: one instance per file, on as many threads as asked for.
    plugin.reset();
    const std::size_t count = options.inputs.size();
    host::ProgressDisplay display(stderr, showProgress, static_cast<int>(count));
    const int workers = options.jobs > 0 ? options.jobs : host::defaultWorkerCount();
    const std::size_t failed = host::runJobs(count, workers, [&](std::size_t index) {
        const std::string& in = options.inputs[index];
        std::string jobError;
        bool ok = false;
        try {
            ok = host::renderBatchFile(library, options, chunkIn, in, host::batchOutputPath(in, options.outDir),
                                       display, jobError);
        } catch (const std::exception& e) {
            jobError = std::string("unexpected error: ") + e.what();
        }
        if (!ok)
            display.message("selvarine-render: " + in + ": " + jobError);
        return ok;
    });
    display.close();
    if (failed > 0) {
        std::fprintf(stderr, "selvarine-render: %zu of %zu files failed\n", failed, count);
        return kExitFailure;
    }
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    try {
        return run(argc, argv);
    } catch (const std::exception& e) {
        return fail(std::string("unexpected error: ") + e.what());
    }
}
