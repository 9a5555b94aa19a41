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

// Processes `input` (any channel count; input channel c feeds plug-in input c,
// the last channel repeating when the plug-in has more inputs, so mono feeds
// every input) and returns the plug-in's outputs at the input's sample rate.
// The instance must already be set up and switched on.
AudioBuffer renderThrough(PluginInstance& plugin, const AudioBuffer& input, const RenderSettings& settings);

} // namespace host
