#pragma once

// How long the host's parameter path takes on the audio thread while other
// host threads are busy: the audio thread sets thirteen parameters (cabinet
// settings among them) before every 128-frame block, played in real time,
// while a user thread drags a microphone and switches programs and restores
// a chunk naming a long stereo WAV response every 20 ms. Each setParameter
// call is timed on the wall clock. Then how long a cabinet change set on the
// audio thread takes to be heard, with the settings worker's own pace.

#include "bench/selvarine/BenchOptions.h"
#include "host/PluginLibrary.h"

#include <ostream>
#include <string>

namespace bench {

// How long a value set on the audio thread takes to be heard.
struct HeardLatency {
    std::string name;     // the parameter changed
    long trials = 0;      // changes timed
    double median = 0.0;  // seconds from the call to the first block that sounds different
    double worst = 0.0;
};

struct WriterLatency {
    long calls = 0;      // timed setParameter calls
    double p50 = 0.0;    // median, seconds
    double p99 = 0.0;    // 99th percentile, seconds
    double p999 = 0.0;   // 99.9th percentile, seconds
    double worst = 0.0;  // largest single call, seconds
    long programs = 0;   // program changes and chunk restores made meanwhile
    long blocks = 0;     // audio blocks processed meanwhile
    HeardLatency cabinetHeard; // a microphone distance: a cabinet rebuild on the settings worker
    HeardLatency channelHeard; // the amplifier channel: a network recomputation on the worker
};

// Runs the race for `seconds`; `responsePath` is where the long response is
// written. False with `error` filled when the plug-in or the file fails.
bool measureWriterLatency(const host::PluginLibrary& library, double seconds, const std::string& responsePath,
                          WriterLatency& result, std::string& error);

// One line per figure, in microseconds.
void printWriterLatency(std::ostream& out, const WriterLatency& result);

} // namespace bench
