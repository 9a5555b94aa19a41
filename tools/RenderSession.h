#pragma once
// The steps of a render that concern one plug-in instance: putting it into
// the state the command line asks for, and running one file through it.

#include "host/AudioFile.h"
#include "host/AudioFileStream.h"
#include "host/PluginInstance.h"
#include "host/PluginLibrary.h"
#include "tools/ProgressDisplay.h"
#include "tools/RenderOptions.h"

#include <memory>
#include <string>
#include <vector>

namespace host {

// Picks the program named by --program: an index when the text is all
// digits, otherwise an exact program name.
bool resolveProgram(const PluginInstance& plugin, const std::string& text, int& index, std::string& error);

// A new instance of `library` at `sampleRate`, opened and given the block
// size, then put into the state the options ask for, in this order: the
// chunk (`chunk`, the bytes of --chunk-in), the bank file, the program, the
// preset file, the parameters, the impulse response. Answers null and fills
// `error` when any step fails.
std::unique_ptr<PluginInstance> createConfiguredInstance(const PluginLibrary& library, const RenderOptions& options,
                                                         const std::vector<char>& chunk, double sampleRate,
                                                         std::string& error);

// Streams `input` (taken at `sampleRate`) through `plugin` (configured,
// mains off) into `output` with the options' block size, precision and tail,
// reporting progress as `name`, then closes the instance. Memory does not
// grow with the file: with --normalize or --trim-tail the render waits in a
// temporary file until its peak and end are known.
// Warnings (non-finite samples, a changed encoding) go to `display` prefixed
// with `name`. Answers false with `error` when the plug-in cannot process or
// the file cannot be written.
bool renderToFile(PluginInstance& plugin, AudioFileReader& input, double sampleRate, const RenderOptions& options,
                  const std::string& output, const std::string& name, ProgressDisplay& display, std::string& error);

// One file of a batch from start to end: reads `input`, creates and
// configures an instance at the file's rate (or --rate), renders and writes
// `output`. Answers false with `error` for anything that went wrong.
bool renderBatchFile(const PluginLibrary& library, const RenderOptions& options, const std::vector<char>& chunk,
                     const std::string& input, const std::string& output, ProgressDisplay& display,
                     std::string& error);

} // namespace host
