#pragma once
// Checks made before any audio is processed, so that a typing error in an
// output name or a missing folder is reported at once instead of after a
// long render: the container named by the extension, the folder, and in a
// batch the names of all outputs together.

#include "host/AudioFile.h"

#include <string>
#include <vector>

namespace host {

// The output of a batch for `input`: the input's file name inside `outDir`.
std::string batchOutputPath(const std::string& input, const std::string& outDir);

// Whether `path` can be written as an audio file of `channels` channels at
// `sampleRate` in `encoding`: a known container, not a folder, inside an
// existing folder that may be written. Creates nothing. Fills `error`.
bool checkOutputFile(const std::string& path, int channels, double sampleRate, SampleEncoding encoding,
                     std::string& error);

// The batch as a whole: `outDir` is a writable folder, every output passes
// checkOutputFile(), no two inputs give the same output and no output would
// overwrite one of the inputs. Fills `error` with the first problem found.
bool checkBatchOutputs(const std::vector<std::string>& inputs, const std::string& outDir, int channels,
                       double sampleRate, SampleEncoding encoding, std::string& error);

} // namespace host
