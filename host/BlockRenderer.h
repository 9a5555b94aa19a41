#pragma once

// Runs audio through a plug-in instance the way a host's audio thread does: in
// process calls of a given size pattern, in 32- or 64-bit floating point, with
// separate or shared (in-place) input and output buffers.

#include "host/AudioFile.h"
#include "host/PluginInstance.h"

#include <functional>
#include <vector>

namespace host {

struct RenderSettings {
    std::vector<int> blockSizes{512};  // frames per call, used in turn and repeated (each ≥ 1)
    bool doublePrecision = false;      // processDoubleReplacing instead of processReplacing
    bool inPlace = false;              // outputs share the input buffers
    std::size_t tailFrames = 0;        // silent frames appended to the input
    std::function<void(std::size_t done, std::size_t total)> progress; // after each call, if set
};

// Where a streamed render takes its input: fills the first `frames` frames
// of each of `block`'s channels with the next frames of the input and answers
// how many it had (fewer only at the input's end, after which the render
// appends the tail). Answers false on a read error.
using StreamInput = std::function<bool(std::vector<std::vector<double>>& block, std::size_t frames, std::size_t& got)>;
// Where it puts the output: the first `frames` frames of every output
// channel. Answers false to stop the render.
using StreamOutput = std::function<bool(const std::vector<std::vector<double>>& block, std::size_t frames)>;

// Streams an input of `inputChannels` channels through `plugin` in the calls
// of `settings` without holding more than one call's audio. `expectedFrames`
// is the input's announced length (for progress and call sizes; the input
// may end sooner). Channels map as in renderThrough(). Answers false when
// `input` or `output` failed.
bool renderStream(PluginInstance& plugin, int inputChannels, std::size_t expectedFrames, const StreamInput& input,
                  const StreamOutput& output, const RenderSettings& settings);

// Processes `input` (any channel count; input channel c feeds plug-in input c,
// the last channel repeating when the plug-in has more inputs, so mono feeds
// every input) and returns the plug-in's outputs at the input's sample rate.
// The instance must already be set up and switched on.
AudioBuffer renderThrough(PluginInstance& plugin, const AudioBuffer& input, const RenderSettings& settings);

} // namespace host
