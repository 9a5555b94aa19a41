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
AudioBuffer run(PluginInstance& plugin, const AudioBuffer& input, const RenderSettings& settings)
{
    const int numInputs = plugin.numInputs();
    const int numOutputs = plugin.numOutputs();
    const std::size_t inputFrames = input.numFrames();
    const std::size_t totalFrames = inputFrames + settings.tailFrames;
    const int largest = *std::max_element(settings.blockSizes.begin(), settings.blockSizes.end());

    CallBuffers<Sample> buffers(numInputs, numOutputs, static_cast<std::size_t>(largest), settings.inPlace);

    AudioBuffer output;
    output.sampleRate = input.sampleRate;
    output.channels.assign(static_cast<std::size_t>(numOutputs), std::vector<double>(totalFrames));

    std::size_t done = 0;
    std::size_t pattern = 0;
    while (done < totalFrames) {
        const auto frames = std::min<std::size_t>(static_cast<std::size_t>(settings.blockSizes[pattern]),
                                                  totalFrames - done);
        pattern = (pattern + 1) % settings.blockSizes.size();

        for (int c = 0; c < numInputs; ++c) {
            const int source = std::min(c, input.numChannels() - 1);
            Sample* destination = buffers.inputs[static_cast<std::size_t>(c)].data();
            for (std::size_t f = 0; f < frames; ++f) {
                const std::size_t at = done + f;
                destination[f] = source >= 0 && at < inputFrames
                                     ? static_cast<Sample>(input.channels[static_cast<std::size_t>(source)][at])
                                     : Sample(0);
            }
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
            std::copy(source, source + frames, output.channels[static_cast<std::size_t>(c)].begin() +
                                                   static_cast<std::ptrdiff_t>(done));
        }
        done += frames;
        if (settings.progress)
            settings.progress(done, totalFrames);
    }
    return output;
}

} // namespace

AudioBuffer renderThrough(PluginInstance& plugin, const AudioBuffer& input, const RenderSettings& settings)
{
    RenderSettings checked = settings;
    checked.blockSizes.erase(std::remove_if(checked.blockSizes.begin(), checked.blockSizes.end(),
                                            [](int size) { return size < 1; }),
                             checked.blockSizes.end());
    if (checked.blockSizes.empty())
        checked.blockSizes.push_back(512);

    if (checked.doublePrecision)
        return run<double>(plugin, input, checked);
    return run<float>(plugin, input, checked);
}

} // namespace host
