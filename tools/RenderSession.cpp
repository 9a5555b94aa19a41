#include "tools/RenderSession.h"

#include "host/BlockRenderer.h"
#include "tools/OutputShaping.h"
#include "tools/PluginFileCommands.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <filesystem>

namespace host {

bool resolveProgram(const PluginInstance& plugin, const std::string& text, int& index, std::string& error)
{
    if (std::all_of(text.begin(), text.end(), [](unsigned char c) { return std::isdigit(c); })) {
        if (text.size() > 9 || std::stoi(text) >= plugin.numPrograms()) {
            error = "program " + text + " does not exist (the plug-in has " + std::to_string(plugin.numPrograms()) +
                    " programs, 0 to " + std::to_string(plugin.numPrograms() - 1) + ")";
            return false;
        }
        index = std::stoi(text);
        return true;
    }
    index = plugin.findProgram(text);
    if (index < 0) {
        error = "no program is named \"" + text + "\" (see --list-programs)";
        return false;
    }
    return true;
}

std::unique_ptr<PluginInstance> createConfiguredInstance(const PluginLibrary& library, const RenderOptions& options,
                                                         const std::vector<char>& chunk, double sampleRate,
                                                         std::string& error)
{
    HostSettings settings;
    settings.tempo = options.tempo;
    settings.sampleRate = sampleRate;
    auto plugin = PluginInstance::create(library, settings, error);
    if (!plugin)
        return nullptr;

    plugin->dispatch(vst::effOpen);
    plugin->setSampleRate(sampleRate);
    plugin->setBlockSize(options.blockSize);

    if (!options.chunkIn.empty()) {
        if (!(plugin->effect().flags & vst::effFlagsProgramChunks)) {
            error = "the plug-in does not take state chunks";
            return nullptr;
        }
        if (!plugin->setChunk(chunk, options.singleProgramChunk)) {
            error = "the plug-in rejected the chunk in '" + options.chunkIn + "' (" + std::to_string(chunk.size()) +
                    " bytes" + (options.singleProgramChunk ? ", single program" : ", whole bank") + ")";
            return nullptr;
        }
    }
    if (!options.bankIn.empty() && !sendFileCommand(*plugin, filecmd::LoadBank, options.bankIn, error))
        return nullptr;
    if (options.program) {
        int index = 0;
        if (!resolveProgram(*plugin, *options.program, index, error))
            return nullptr;
        plugin->setProgram(index);
    }
    if (!options.presetIn.empty() && !sendFileCommand(*plugin, filecmd::LoadPreset, options.presetIn, error))
        return nullptr;
    for (const ParameterSetting& setting : options.settings) {
        const int index = plugin->findParameter(setting.name);
        if (index < 0) {
            error = "no parameter is named \"" + setting.name + "\" (see --list-params)";
            return nullptr;
        }
        plugin->setParameter(index, setting.value);
    }
    if (!options.responsePath.empty() &&
        !sendFileCommand(*plugin, filecmd::SetResponsePath, options.responsePath, error))
        return nullptr;
    return plugin;
}

bool renderToFile(PluginInstance& plugin, const AudioBuffer& input, const RenderOptions& options,
                  const std::string& output, const std::string& name, ProgressDisplay& display, std::string& error)
{
    if (plugin.numOutputs() < 1) {
        error = "the plug-in has no audio outputs";
        return false;
    }
    const vst::AEffect& effect = plugin.effect();
    if (options.doublePrecision ? !plugin.canDouble() || !effect.processDoubleReplacing
                                : !plugin.canReplacing() || !effect.processReplacing) {
        error = options.doublePrecision ? "the plug-in cannot process 64-bit audio"
                                        : "the plug-in cannot process 32-bit audio in replacing mode";
        return false;
    }

    RenderSettings render;
    render.blockSizes = {options.blockSize};
    render.doublePrecision = options.doublePrecision;
    render.tailFrames = static_cast<std::size_t>(std::llround(options.tailSeconds * input.sampleRate));
    const double totalFrames = static_cast<double>(input.numFrames() + render.tailFrames);
    const int slot = display.begin(name, totalFrames / input.sampleRate);
    render.progress = [&](std::size_t done, std::size_t total) {
        display.update(slot, total > 0 ? static_cast<double>(done) / static_cast<double>(total) : 1.0);
    };

    plugin.setMains(true);
    AudioBuffer result = renderThrough(plugin, input, render);
    plugin.setMains(false);
    plugin.close();

    std::size_t nonFinite = 0;
    for (const auto& channel : result.channels)
        nonFinite += static_cast<std::size_t>(
            std::count_if(channel.begin(), channel.end(), [](double x) { return !std::isfinite(x); }));
    if (nonFinite > 0)
        display.message("selvarine-render: warning: " + name + ": the plug-in produced " + std::to_string(nonFinite) +
                        " non-finite samples");

    if (options.normalizeDb && !normalizePeak(result, *options.normalizeDb))
        display.message("selvarine-render: note: " + name + ": the output is silent; nothing to normalise");
    if (options.trimTail)
        trimTail(result, kTrimThresholdDb);

    std::string note;
    const bool written = writeAudioFile(output, result, options.encoding, error, &note);
    display.finish(slot, written);
    if (!written)
        return false;
    if (!note.empty())
        display.message("selvarine-render: note: " + name + ": " + note);
    return true;
}

bool renderBatchFile(const PluginLibrary& library, const RenderOptions& options, const std::vector<char>& chunk,
                     const std::string& input, const std::string& output, ProgressDisplay& display,
                     std::string& error)
{
    AudioBuffer audio;
    if (!readAudioFile(input, audio, error))
        return false;
    if (audio.numChannels() > 2) {
        error = "'" + input + "' has " + std::to_string(audio.numChannels()) +
                " channels; only mono and stereo files can be processed";
        return false;
    }
    audio.sampleRate = options.sampleRate.value_or(audio.sampleRate);
    auto plugin = createConfiguredInstance(library, options, chunk, audio.sampleRate, error);
    if (!plugin)
        return false;
    return renderToFile(*plugin, audio, options, output, std::filesystem::path(input).filename().string(), display,
                        error);
}

} // namespace host
