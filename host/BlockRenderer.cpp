#include "host/BlockRenderer.h"

#include <algorithm>
#include <type_traits>

namespace host {

namespace {

// Host-side channel buffers of one sample type for a single call. Input and
// output pointers are distinct arrays even when they name the same memory, as
// in a host that processes in place.
template <typename Sample>
struct CallBuffers {
    std::vector<std::vector<Sample>> inputs;  // one per plug-in input
    std::vector<std::vector<Sample>> outputs; // one per plug-in output (unused when in place)
    std::vector<Sample*> inputPointers;
    std::vector<Sample*> outputPointers;

    CallBuffers(int numInputs, int numOutputs, std::size_t maxFrames, bool inPlace)
        : inputs(static_cast<std::size_t>(std::max(numInputs, numOutputs)), std::vector<Sample>(maxFrames)),
          outputs(inPlace ? 0 : static_cast<std::size_t>(numOutputs), std::vector<Sample>(maxFrames))
    {
        for (int c = 0; c < numInputs; ++c)
            inputPointers.push_back(inputs[static_cast<std::size_t>(c)].data());
        for (int c = 0; c < numOutputs; ++c)
            outputPointers.push_back(inPlace ? inputs[static_cast<std::size_t>(c)].data()
                                             : outputs[static_cast<std::size_t>(c)].data());
    }
};

template <typename Sample>
bool run(PluginInstance& plugin, int inputChannels, std::size_t expectedFrames, const StreamInput& input,
         const StreamOutput& output, const RenderSettings& settings)
{
    const int numInputs = plugin.numInputs();
    const int numOutputs = plugin.numOutputs();
    std::size_t inputFrames = expectedFrames;
    std::size_t totalFrames = inputFrames + settings.tailFrames;
    const int largest = *std::max_element(settings.blockSizes.begin(), settings.blockSizes.end());
    const auto blockFrames = static_cast<std::size_t>(largest);

    CallBuffers<Sample> buffers(numInputs, numOutputs, blockFrames, settings.inPlace);
    std::vector<std::vector<double>> inBlock(static_cast<std::size_t>(std::max(inputChannels, 0)),
                                             std::vector<double>(blockFrames));
    std::vector<std::vector<double>> outBlock(static_cast<std::size_t>(numOutputs), std::vector<double>(blockFrames));

    std::size_t done = 0;
    std::size_t pattern = 0;
    while (done < totalFrames) {
        auto frames = std::min<std::size_t>(static_cast<std::size_t>(settings.blockSizes[pattern]),
                                            totalFrames - done);
        pattern = (pattern + 1) % settings.blockSizes.size();

        // The input's frames of this call; the rest of the call is tail.
        std::size_t fromInput = done < inputFrames ? std::min(frames, inputFrames - done) : 0;
        if (fromInput > 0 && !inBlock.empty()) {
            std::size_t got = 0;
            if (!input(inBlock, fromInput, got))
                return false;
            if (got < fromInput) { // the input ended early: the tail follows now
                inputFrames = done + got;
                totalFrames = inputFrames + settings.tailFrames;
                fromInput = got;
                frames = std::min(frames, totalFrames - done);
                if (frames == 0)
                    break;
            }
        }

        for (int c = 0; c < numInputs; ++c) {
            const int source = std::min(c, inputChannels - 1);
            Sample* destination = buffers.inputs[static_cast<std::size_t>(c)].data();
            for (std::size_t f = 0; f < frames; ++f)
                destination[f] = source >= 0 && f < fromInput
                                     ? static_cast<Sample>(inBlock[static_cast<std::size_t>(source)][f])
                                     : Sample(0);
        }
        // Outputs the plug-in may not write (and in-place extra channels) start silent.
        for (int c = numInputs; c < numOutputs && settings.inPlace; ++c)
            std::fill_n(buffers.inputs[static_cast<std::size_t>(c)].data(), frames, Sample(0));

        if constexpr (std::is_same_v<Sample, double>)
            plugin.processDouble(buffers.inputPointers.data(), buffers.outputPointers.data(), static_cast<int>(frames));
        else
            plugin.process(buffers.inputPointers.data(), buffers.outputPointers.data(), static_cast<int>(frames));

        for (int c = 0; c < numOutputs; ++c) {
            const Sample* source = buffers.outputPointers[static_cast<std::size_t>(c)];
            std::copy(source, source + frames, outBlock[static_cast<std::size_t>(c)].begin());
        }
        if (!output(outBlock, frames))
            return false;
        done += frames;
        if (settings.progress)
            settings.progress(done, totalFrames);
    }
    return true;
}

// The settings with calls of no frames removed (512 frames when none is left).
RenderSettings checkedSettings(const RenderSettings& settings)
{
    RenderSettings checked = settings;
    checked.blockSizes.erase(std::remove_if(checked.blockSizes.begin(), checked.blockSizes.end(),
                                            [](int size) { return size < 1; }),
                             checked.blockSizes.end());
    if (checked.blockSizes.empty())
        checked.blockSizes.push_back(512);
    return checked;
}

} // namespace

bool renderStream(PluginInstance& plugin, int inputChannels, std::size_t expectedFrames, const StreamInput& input,
                  const StreamOutput& output, const RenderSettings& settings)
{
    const RenderSettings checked = checkedSettings(settings);
    if (checked.doublePrecision)
        return run<double>(plugin, inputChannels, expectedFrames, input, output, checked);
    return run<float>(plugin, inputChannels, expectedFrames, input, output, checked);
}

AudioBuffer renderThrough(PluginInstance& plugin, const AudioBuffer& input, const RenderSettings& settings)
{
    const std::size_t inputFrames = input.numFrames();
    std::size_t read = 0;
    const StreamInput fromBuffer = [&](std::vector<std::vector<double>>& block, std::size_t frames, std::size_t& got) {
        for (std::size_t c = 0; c < block.size(); ++c)
            std::copy_n(input.channels[c].begin() + static_cast<std::ptrdiff_t>(read), frames, block[c].begin());
        read += frames;
        got = frames;
        return true;
    };

    AudioBuffer output;
    output.sampleRate = input.sampleRate;
    output.channels.assign(static_cast<std::size_t>(plugin.numOutputs()), {});
    for (auto& channel : output.channels)
        channel.reserve(inputFrames + settings.tailFrames);
    const StreamOutput toBuffer = [&](const std::vector<std::vector<double>>& block, std::size_t frames) {
        for (std::size_t c = 0; c < block.size(); ++c)
            output.channels[c].insert(output.channels[c].end(), block[c].begin(),
                                      block[c].begin() + static_cast<std::ptrdiff_t>(frames));
        return true;
    };
    renderStream(plugin, input.numChannels(), inputFrames, fromBuffer, toBuffer, settings);
    return output;
}

} // namespace host
