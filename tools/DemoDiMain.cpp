// selvarine-demo-di: writes the demo guitar DI recording (mono, 44.1 kHz,
// about ten seconds, peak -6 dBFS, 24-bit PCM) to the file named on the
// command line. The output is the same on every run.

#include "host/AudioFile.h"
#include "tools/DemoGuitar.h"

#include <cstdio>
#include <string>

int main(int argc, char** argv)
{
    if (argc != 2 || std::string(argv[1]).empty() || argv[1][0] == '-') {
        std::fprintf(stderr, "usage: selvarine-demo-di OUT.wav\n");
        return 2;
    }
    host::AudioBuffer recording;
    recording.sampleRate = demo::kDemoSampleRate;
    recording.channels.push_back(
        demo::renderGuitar(demo::demoPerformance(), demo::kDemoSeconds, demo::kDemoSampleRate, demo::kDemoPeak));

    std::string error;
    if (!host::writeAudioFile(argv[1], recording, host::SampleEncoding::Pcm24, error)) {
        std::fprintf(stderr, "selvarine-demo-di: %s\n", error.c_str());
        return 1;
    }
    return 0;
}
