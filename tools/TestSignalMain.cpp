// selvarine-test-signal: writes a short stereo guitar signal for comparing two
// builds of the plug-in (32-bit float WAV, 44.1 kHz). The left channel is the
// start of the demo performance at -6 dBFS; the right channel is a later part
// of it (palm-muted chugs, the last chord) at -1 dBFS, so the two channels
// differ and one of them drives the amplifier hard. Same output on every run.
//
//   selvarine-test-signal OUT.wav [SECONDS]     (default 2 seconds, at most 60)

#include "host/AudioFile.h"
#include "tools/DemoGuitar.h"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

constexpr double kRightChannelStart = 4.0; // seconds into the performance
constexpr double kLeftPeak = 0.5011872336272722;  // -6 dBFS
constexpr double kRightPeak = 0.8912509381337456; // -1 dBFS

} // namespace

int main(int argc, char** argv)
{
    double seconds = 2.0;
    if (argc == 3) {
        char* end = nullptr;
        seconds = std::strtod(argv[2], &end);
        if (end == argv[2] || *end != '\0' || !(seconds > 0.0 && seconds <= 60.0))
            argc = 0; // falls into the usage message
    }
    if ((argc != 2 && argc != 3) || std::string(argv[1]).empty() || argv[1][0] == '-') {
        std::fprintf(stderr, "usage: selvarine-test-signal OUT.wav [SECONDS]\n");
        return 2;
    }

    std::vector<demo::NoteEvent> later;
    for (demo::NoteEvent event : demo::demoPerformance())
        if (event.time >= kRightChannelStart) {
            event.time -= kRightChannelStart;
            later.push_back(event);
        }

    host::AudioBuffer signal;
    signal.sampleRate = demo::kDemoSampleRate;
    signal.channels.push_back(demo::renderGuitar(demo::demoPerformance(), seconds, demo::kDemoSampleRate, kLeftPeak));
    signal.channels.push_back(demo::renderGuitar(later, seconds, demo::kDemoSampleRate, kRightPeak));

    std::string error;
    if (!host::writeAudioFile(argv[1], signal, host::SampleEncoding::Float32, error)) {
        std::fprintf(stderr, "selvarine-test-signal: %s\n", error.c_str());
        return 1;
    }
    return 0;
}
