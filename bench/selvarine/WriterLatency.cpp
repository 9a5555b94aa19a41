#include "bench/selvarine/WriterLatency.h"

#include "bench/selvarine/BenchRig.h"
#include "bench/selvarine/Measurements.h"
#include "host/AudioFile.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <thread>
#include <vector>

namespace bench {

namespace {

using Clock = std::chrono::steady_clock;

// 8192 stereo frames: the longest response the user-response stage takes.
bool writeLongResponse(const std::string& path, std::string& error)
{
    host::AudioBuffer buffer;
    buffer.sampleRate = 48000.0;
    buffer.channels.assign(2, std::vector<double>(8192, 0.0));
    for (std::size_t i = 0; i < 8192; ++i) {
        const double decay = std::exp(-double(i) / 1200.0);
        buffer.channels[0][i] = 0.7 * decay * std::sin(0.37 * double(i));
        buffer.channels[1][i] = 0.7 * decay * std::cos(0.29 * double(i));
    }
    return host::writeAudioFile(path, buffer, host::SampleEncoding::Pcm24, error);
}

double percentile(const std::vector<double>& sorted, double fraction)
{
    if (sorted.empty())
        return 0.0;
    const std::size_t at = std::min(sorted.size() - 1, std::size_t(fraction * double(sorted.size())));
    return sorted[at];
}

} // namespace

bool measureWriterLatency(const host::PluginLibrary& library, double seconds, const std::string& responsePath,
                          WriterLatency& result, std::string& error)
{
    if (!writeLongResponse(responsePath, error))
        return false;
    std::unique_ptr<BenchRig> rig = BenchRig::create(library, error);
    if (!rig)
        return false;
    rig->configure({0, 44100.0, false, 1});
    host::PluginInstance& plug = rig->plugin();

    // The automated knobs: amplifier, effects and output, none of them a
    // cabinet setting (those rebuild responses wherever they are applied).
    std::vector<int> knobs;
    for (const char* name : {"Amp Gain", "Amp Low", "Amp Mid", "Amp High", "Amp Presence", "Amp Master", "Reverb",
                             "Tremolo Depth", "Output", "Input"}) {
        const int index = plug.findParameter(name);
        if (index >= 0)
            knobs.push_back(index);
    }
    if (knobs.empty()) {
        error = "the plug-in has none of the automated knobs";
        return false;
    }

    plug.setProgram(3);
    const std::vector<char> withResponse = withResponsePath(plug.getChunk(true), responsePath);

    std::atomic<bool> stop{false};
    std::atomic<long> blocks{0}, programs{0};

    std::thread audio([&] {
        while (!stop.load(std::memory_order_relaxed)) {
            rig->process(128);
            blocks.fetch_add(1, std::memory_order_relaxed);
        }
    });
    std::thread user([&] {
        int program = 0;
        while (!stop.load(std::memory_order_relaxed)) {
            plug.setProgram(program);
            program = (program + 5) % 24;
            plug.setChunk(withResponse, true);
            programs.fetch_add(1, std::memory_order_relaxed);
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    });

    // Automation: a value every 200 µs or so, knob after knob.
    std::vector<double> times;
    times.reserve(std::size_t(seconds * 10000.0) + 16);
    const Clock::time_point end =
        Clock::now() + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
    for (long k = 0; Clock::now() < end; ++k) {
        const int index = knobs[std::size_t(k) % knobs.size()];
        const float value = float(k % 101) / 100.0f;
        const Clock::time_point start = Clock::now();
        plug.setParameter(index, value);
        times.push_back(std::chrono::duration<double>(Clock::now() - start).count());
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    stop = true;
    audio.join();
    user.join();

    std::sort(times.begin(), times.end());
    result.calls = long(times.size());
    result.p50 = percentile(times, 0.5);
    result.p999 = percentile(times, 0.999);
    result.worst = times.empty() ? 0.0 : times.back();
    result.programs = programs.load();
    result.blocks = blocks.load();
    return true;
}

void printWriterLatency(std::ostream& out, const WriterLatency& r)
{
    out << "setParameter while programs change and responses load (" << r.calls << " calls, " << r.programs
        << " program changes with chunk restores, " << r.blocks << " audio blocks of 128):\n"
        << "  50th percentile   " << r.p50 * 1e6 << " us\n"
        << "  99.9th percentile " << r.p999 * 1e6 << " us\n"
        << "  worst             " << r.worst * 1e6 << " us\n";
}

} // namespace bench
