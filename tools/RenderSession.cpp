#include "tools/RenderSession.h"

#include "host/BlockRenderer.h"
#include "tools/PluginFileCommands.h"
#include "tools/SpoolFile.h"

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

namespace {

constexpr std::size_t kShapeBlockFrames = 8192; // frames per step of the passes over a spooled render

// Writes a spooled render, shaped as normalizePeak() and trimTail() shape a
// whole buffer when the options ask for it, with the same arithmetic. `peak` is the largest
// finite magnitude of the render.
bool writeShaped(SpoolFile& spool, int channels, double peak, const RenderOptions& options, AudioFileWriter& writer,
                 const std::string& name, ProgressDisplay& display, std::string& error)
{
    const auto width = static_cast<std::size_t>(channels);
    std::vector<double> block(kShapeBlockFrames * width);
    auto readBlock = [&](std::uint64_t start, std::size_t frames) {
        if (!spool.read(start, block.data(), frames)) {
            error = "cannot read back the render's temporary file";
            return false;
        }
        return true;
    };

    bool scale = false;
    double gain = 1.0;
    if (options.normalizeDb) {
        if (peak > 0.0) {
            gain = std::pow(10.0, *options.normalizeDb / 20.0) / peak;
            scale = true;
        } else {
            display.message("selvarine-render: note: " + name + ": the output is silent; nothing to normalise");
        }
    }

    // The frames kept: up to the last in which a channel reaches the threshold
    // after scaling (a non-finite sample is not silence), found from the end.
    std::uint64_t keep = spool.frames();
    if (options.trimTail) {
        const double threshold = std::pow(10.0, kTrimThresholdDb / 20.0);
        std::uint64_t end = spool.frames();
        keep = 0;
        while (end > 0 && keep == 0) {
            const auto frames = static_cast<std::size_t>(std::min<std::uint64_t>(kShapeBlockFrames, end));
            const std::uint64_t start = end - frames;
            if (!readBlock(start, frames))
                return false;
            for (std::size_t f = frames; f > 0 && keep == 0; --f)
                for (std::size_t c = 0; c < width; ++c) {
                    double x = block[(f - 1) * width + c];
                    if (scale)
                        x *= gain;
                    if (!(std::fabs(x) < threshold)) {
                        keep = start + f;
                        break;
                    }
                }
            end = start;
        }
    }

    for (std::uint64_t start = 0; start < keep; start += kShapeBlockFrames) {
        const auto frames = static_cast<std::size_t>(std::min<std::uint64_t>(kShapeBlockFrames, keep - start));
        if (!readBlock(start, frames))
            return false;
        if (scale)
            for (std::size_t i = 0; i < frames * width; ++i)
                block[i] *= gain;
        if (!writer.write(block.data(), frames, error))
            return false;
    }
    return true;
}

} // namespace

bool renderToFile(PluginInstance& plugin, AudioFileReader& input, double sampleRate, const RenderOptions& options,
                  const std::string& output, const std::string& name, ProgressDisplay& display, std::string& error)
{
    const int outputs = plugin.numOutputs();
    if (outputs < 1) {
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

    // The output goes straight into the file unless shaping it needs all of
    // it first, or the output replaces the input; then it waits in a
    // temporary file, not in memory, and the file is written at the end.
    std::error_code ignored;
    const bool replacesInput = std::filesystem::equivalent(input.path(), output, ignored);
    const bool shaped = options.normalizeDb || options.trimTail;
    const bool spooled = shaped || replacesInput;
    std::string note;
    AudioFileWriter writer;
    if (!spooled && !writer.open(output, outputs, sampleRate, options.encoding, error, &note))
        return false;
    SpoolFile spool(outputs);
    if (spooled && !spool.open(error))
        return false;

    RenderSettings render;
    render.blockSizes = {options.blockSize};
    render.doublePrecision = options.doublePrecision;
    render.tailFrames = static_cast<std::size_t>(std::llround(options.tailSeconds * sampleRate));
    const auto inputFrames = static_cast<std::size_t>(input.frames());
    const double totalFrames = static_cast<double>(inputFrames + render.tailFrames);
    const int slot = display.begin(name, totalFrames / sampleRate);
    render.progress = [&](std::size_t done, std::size_t total) {
        display.update(slot, total > 0 ? static_cast<double>(done) / static_cast<double>(total) : 1.0);
    };

    const int inputChannels = input.channels();
    const auto inWidth = static_cast<std::size_t>(inputChannels);
    const auto outWidth = static_cast<std::size_t>(outputs);
    std::vector<double> interleaved(static_cast<std::size_t>(std::max(options.blockSize, 1)) *
                                    std::max(inWidth, outWidth));
    bool readFailed = false;
    const StreamInput fromFile = [&](std::vector<std::vector<double>>& block, std::size_t frames, std::size_t& got) {
        if (interleaved.size() < frames * inWidth)
            interleaved.resize(frames * inWidth);
        got = input.read(interleaved.data(), frames, readFailed);
        for (std::size_t f = 0; f < got; ++f)
            for (std::size_t c = 0; c < inWidth; ++c)
                block[c][f] = interleaved[f * inWidth + c];
        if (readFailed)
            error = "error while reading the input of " + name;
        return !readFailed;
    };

    std::size_t nonFinite = 0;
    double peak = 0.0;
    bool writeFailed = false;
    const StreamOutput toFile = [&](const std::vector<std::vector<double>>& block, std::size_t frames) {
        if (interleaved.size() < frames * outWidth)
            interleaved.resize(frames * outWidth);
        // Local running values: the captured ones could alias the samples
        // written here, which would make every sample wait on the last.
        double blockPeak = peak;
        std::size_t blockNonFinite = 0;
        double* const out = interleaved.data();
        for (std::size_t c = 0; c < outWidth; ++c) {
            const double* const channel = block[c].data();
            for (std::size_t f = 0; f < frames; ++f) {
                const double x = channel[f];
                if (std::isfinite(x))
                    blockPeak = std::max(blockPeak, std::fabs(x));
                else
                    ++blockNonFinite;
                out[f * outWidth + c] = x;
            }
        }
        peak = blockPeak;
        nonFinite += blockNonFinite;
        if (spooled) {
            if (!spool.append(interleaved.data(), frames)) {
                error = "cannot write the render's temporary file (is the disk full?)";
                writeFailed = true;
            }
        } else if (!writer.write(interleaved.data(), frames, error)) {
            writeFailed = true;
        }
        return !writeFailed;
    };

    plugin.setMains(true);
    const bool rendered = renderStream(plugin, inputChannels, inputFrames, fromFile, toFile, render);
    plugin.setMains(false);
    plugin.close();

    if (nonFinite > 0)
        display.message("selvarine-render: warning: " + name + ": the plug-in produced " + std::to_string(nonFinite) +
                        " non-finite samples");

    input.close();
    const bool written =
        rendered &&
        (!spooled || (writer.open(output, outputs, sampleRate, options.encoding, error, &note) &&
                      writeShaped(spool, outputs, peak, options, writer, name, display, error))) &&
        writer.close(error);
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
    AudioFileReader audio;
    if (!audio.open(input, error))
        return false;
    if (audio.channels() > 2) {
        error = "'" + input + "' has " + std::to_string(audio.channels()) +
                " channels; only mono and stereo files can be processed";
        return false;
    }
    const double sampleRate = options.sampleRate.value_or(audio.sampleRate());
    auto plugin = createConfiguredInstance(library, options, chunk, sampleRate, error);
    if (!plugin)
        return false;
    return renderToFile(*plugin, audio, sampleRate, options, output, std::filesystem::path(input).filename().string(),
                        display, error);
}

} // namespace host
