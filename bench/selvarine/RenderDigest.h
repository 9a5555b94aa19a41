#pragma once

// Checksums of fixed renders, so that two builds of the plug-in can be
// compared sample for sample: any change in any output bit of any case
// changes its line.

#include "bench/selvarine/BenchOptions.h"
#include "host/PluginLibrary.h"

#include <ostream>
#include <string>

namespace bench {

// For every case of the matrix: a fresh instance renders the demo guitar for
// options.digestSeconds (the last fifth silent, so gate, reverb and
// convolution tails play out) in an irregular pattern of call sizes. A third
// of the way in "Mic 1 Pos" moves (a cabinet rebuild while audio runs); two
// thirds in, a single-program chunk names `responsePath` as the user
// response. This is done once with processDoubleReplacing and once with
// processReplacing; each output is hashed (FNV-1a over the sample bytes of
// both channels). One line per case on `out`. False with `error` filled when
// an instance cannot be created.
bool writeDigest(const host::PluginLibrary& library, const BenchOptions& options, const std::string& responsePath,
                 std::ostream& out, std::string& error);

// The renders of writeDigest() through processDoubleReplacing, by `library`
// and by `other`, compared sample for sample: one line per case with the
// largest absolute difference (and in dB relative to full scale), and a
// last line with the largest over all cases.
bool writeDifference(const host::PluginLibrary& library, const host::PluginLibrary& other, const BenchOptions& options,
                     const std::string& responsePath, std::ostream& out, std::string& error);

} // namespace bench
