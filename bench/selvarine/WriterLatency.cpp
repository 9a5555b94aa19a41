#include "bench/selvarine/WriterLatency.h"

#include "bench/selvarine/BenchRig.h"
#include "bench/selvarine/Measurements.h"
#include "host/AudioFile.h"

#include <algorithm>
#include <array>
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

namespace {

// The parameters a host stand-in automates from its audio thread, by name.
std::vector<int> findAll(host::PluginInstance& plug, std::initializer_list<const char*> names)
{
    std::vector<int> found;
    for (const char* name : names) {
        const int index = plug.findParameter(name);
        if (index >= 0)
            found.push_back(index);
    }
    return found;
}

// How long after setParameter a change is heard: two instances play the
// same input in step, one block of 128 frames every 128 frames' time; one of
// them gets the new value from the audio thread, and the first block in which
// the two outputs differ is when the change is heard. Each figure runs from
// the call to the start of that block. `values` alternate from trial to trial.
bool measureHeard(const host::PluginLibrary& library, const char* name, std::array<float, 2> values,
                  HeardLatency& result, std::string& error)
{
    std::unique_ptr<BenchRig> changed = BenchRig::create(library, error);
    std::unique_ptr<BenchRig> reference = changed ? BenchRig::create(library, error) : nullptr;
    if (!reference)
        return false;
    constexpr int kTrials = 20;
    constexpr int kFrames = 128;
    constexpr int kGiveUp = 400; // blocks (1.2 s): a change never heard counts as that long
    constexpr int kLeadIn = 200; // blocks (0.6 s) into the demo guitar, where it plays
    const BenchCase benchCase{0, 44100.0, false, 0};
    const auto blockTime = std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(kFrames / 44100.0));
    const std::vector<int> index = findAll(changed->plugin(), {name});
    if (index.empty()) {
        error = std::string("the plug-in has no \"") + name + "\"";
        return false;
    }
    std::vector<double> heard;
    for (int trial = 0; trial < kTrials; ++trial) {
        const float value = values[std::size_t(trial % 2)];
        // Both start from the other value (the program keeps it: it is the
        // program the rigs are set to already).
        for (BenchRig* rig : {changed.get(), reference.get()}) {
            rig->plugin().setParameter(index[0], values[std::size_t((trial + 1) % 2)]);
            rig->configure(benchCase);
        }
        Clock::time_point next = Clock::now();
        Clock::time_point called{};
        for (int block = 0; block < kLeadIn + kGiveUp; ++block) {
            std::this_thread::sleep_until(next);
            next += blockTime;
            const Clock::time_point start = Clock::now();
            if (block == kLeadIn + trial % 8) {
                changed->plugin().setParameter(index[0], value);
                called = Clock::now();
            }
            changed->process(kFrames);
            reference->process(kFrames);
            if (called != Clock::time_point{} &&
                !std::equal(changed->floatOutput(0).begin(), changed->floatOutput(0).begin() + kFrames,
                            reference->floatOutput(0).begin())) {
                heard.push_back(std::chrono::duration<double>(std::max(start, called) - called).count());
                break;
            }
            if (block == kLeadIn + kGiveUp - 1)
                heard.push_back(kGiveUp * kFrames / 44100.0);
        }
    }
    std::sort(heard.begin(), heard.end());
    result.name = name;
    result.trials = long(heard.size());
    result.median = percentile(heard, 0.5);
    result.worst = heard.empty() ? 0.0 : heard.back();
    return true;
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

    // What the audio thread automates before every block: microphone
    // distances and pans (cabinet settings), the amplifier's knobs, the
    // effects and the output.
    const std::vector<int> automated =
        findAll(plug, {"Mic 1 Distance", "Mic 2 Distance", "Mic 1 Panning", "Mic 2 Panning", "Amp Gain", "Amp Low",
                       "Amp Mid", "Amp High", "Amp Presence", "Amp Master", "Reverb", "Tremolo Depth", "Output"});
    const std::vector<int> dragged = findAll(plug, {"Mic 1 Pos"});
    if (automated.empty() || dragged.empty()) {
        error = "the plug-in has none of the automated parameters";
        return false;
    }

    plug.setProgram(3);
    rig->waitForSettings();
    const std::vector<char> withResponse = withResponsePath(plug.getChunk(true), responsePath);

    std::atomic<bool> stop{false};
    std::atomic<long> blocks{0}, programs{0};
    std::vector<double> times;
    times.reserve(std::size_t(seconds * 44100.0 / 128.0 * double(automated.size())) + 64);

    // The audio thread: a 128-frame block every 128 frames' time, each
    // preceded by one value for every automated parameter, each call timed.
    std::thread audio([&] {
        const auto blockTime =
            std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(128.0 / 44100.0));
        Clock::time_point next = Clock::now();
        for (long block = 0; !stop.load(std::memory_order_relaxed); ++block) {
            std::this_thread::sleep_until(next);
            next += blockTime;
            for (std::size_t k = 0; k < automated.size(); ++k) {
                const float value = float((block + long(k) * 13) % 101) / 100.0f;
                const Clock::time_point start = Clock::now();
                plug.setParameter(automated[k], value);
                times.push_back(std::chrono::duration<double>(Clock::now() - start).count());
            }
            rig->process(128);
            blocks.fetch_add(1, std::memory_order_relaxed);
        }
    });
    // The user: moves a microphone in the editor every 5 ms, and switches
    // programs and restores a chunk naming a long response every 20 ms.
    std::thread user([&] {
        int program = 0;
        for (int step = 0; !stop.load(std::memory_order_relaxed); ++step) {
            plug.setParameter(dragged[0], float(step % 50) / 49.0f);
            if (step % 4 == 0) {
                plug.setProgram(program);
                program = (program + 5) % 24;
                plug.setChunk(withResponse, true);
                programs.fetch_add(1, std::memory_order_relaxed);
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    });

    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
    stop = true;
    audio.join();
    user.join();
    rig->waitForSettings();

    std::sort(times.begin(), times.end());
    result.calls = long(times.size());
    result.p50 = percentile(times, 0.5);
    result.p99 = percentile(times, 0.99);
    result.p999 = percentile(times, 0.999);
    result.worst = times.empty() ? 0.0 : times.back();
    result.programs = programs.load();
    result.blocks = blocks.load();
    return measureHeard(library, "Mic 1 Distance", {0.8f, 0.2f}, result.cabinetHeard, error) &&
           measureHeard(library, "Amp Channel", {1.0f, 0.0f}, result.channelHeard, error);
}

void printWriterLatency(std::ostream& out, const WriterLatency& r)
{
    out << "setParameter on the audio thread, 13 parameters before each 128-frame block, while the user moves a\n"
        << "microphone, switches programs and restores chunks naming a response (" << r.calls << " calls, "
        << r.programs << " program changes with chunk restores, " << r.blocks << " blocks):\n"
        << "  50th percentile   " << r.p50 * 1e6 << " us\n"
        << "  99th percentile   " << r.p99 * 1e6 << " us\n"
        << "  99.9th percentile " << r.p999 * 1e6 << " us\n"
        << "  worst             " << r.worst * 1e6 << " us\n"
        << "A value set on the audio thread, heard (from the call to the start of the first block that sounds\n"
        << "different; real-time blocks of 128 frames at 44.1 kHz, the instance idle before):\n";
    for (const HeardLatency* heard : {&r.cabinetHeard, &r.channelHeard})
        out << "  " << heard->name << " (" << heard->trials << " changes): median " << heard->median * 1e3
            << " ms, worst " << heard->worst * 1e3 << " ms\n";
}

} // namespace bench
