#include "bench/selvarine/Measurements.h"

#include "host/AudioFile.h"
#include "tools/PluckedString.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstring>

namespace bench {

namespace {

using Clock = std::chrono::steady_clock;

// Layout of a single-program chunk: a 476-byte record whose response path
// (260 bytes, zero-terminated) starts at byte 216.
constexpr std::size_t kRecordSize = 476;
constexpr std::size_t kPathOffset = 216;
constexpr std::size_t kPathSize = 260;

constexpr int kRtfBlock = 512;            // host block of the real-time-factor run
constexpr double kWarmUpSeconds = 0.1;    // processed before each timed run

double secondsSince(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

ActionCost summarise(std::vector<double> seconds)
{
    ActionCost cost;
    if (seconds.empty())
        return cost;
    std::sort(seconds.begin(), seconds.end());
    cost.median = seconds[seconds.size() / 2];
    cost.worst = seconds.back();
    return cost;
}

void warmUp(BenchRig& rig, double rate, int block)
{
    const int frames = int(kWarmUpSeconds * rate);
    for (int done = 0; done < frames; done += block)
        rig.process(block);
}

// Real-time factor from thread CPU time over a run of 512-frame calls.
void measureThroughput(BenchRig& rig, const BenchCase& c, double seconds, CaseResult& result)
{
    warmUp(rig, c.rate, kRtfBlock);
    const long calls = std::max(1L, std::lround(seconds * c.rate / kRtfBlock));
    const double start = threadCpuSeconds();
    for (long i = 0; i < calls; ++i)
        rig.process(kRtfBlock);
    const double cpu = threadCpuSeconds() - start;
    const double frames = double(calls) * kRtfBlock;
    result.realTimeFactor = cpu > 0.0 ? (frames / c.rate) / cpu : 0.0;
    result.nsPerSample = 1e9 * cpu / frames;
}

CostSpread spreadOf(std::vector<double>& cost)
{
    CostSpread spread;
    double sum = 0.0;
    for (double v : cost)
        sum += v;
    spread.mean = sum / double(cost.size());
    std::sort(cost.begin(), cost.end());
    const std::size_t rank = std::size_t(std::ceil(0.999 * double(cost.size()))) - 1;
    spread.p999 = cost[std::min(rank, cost.size() - 1)];
    spread.worst = cost.back();
    return spread;
}

// Every call of one block size timed on the wall clock and in thread CPU time.
BlockCost measureBlocks(BenchRig& rig, const BenchCase& c, int blockSize, double seconds)
{
    warmUp(rig, c.rate, blockSize);
    const int calls = std::max(1, int(std::lround(seconds * c.rate / blockSize)));
    std::vector<double> wall(std::size_t(calls), 0.0);
    std::vector<double> cpu(std::size_t(calls), 0.0);
    const double budget = double(blockSize) / c.rate;
    for (int i = 0; i < calls; ++i) {
        const double cpuStart = threadCpuSeconds();
        const Clock::time_point start = Clock::now();
        rig.process(blockSize);
        wall[std::size_t(i)] = secondsSince(start) / budget;
        cpu[std::size_t(i)] = (threadCpuSeconds() - cpuStart) / budget;
    }
    BlockCost result;
    result.blockSize = blockSize;
    result.calls = calls;
    result.wall = spreadOf(wall);
    result.cpu = spreadOf(cpu);
    return result;
}

template <typename Action>
double timed(Action&& action)
{
    const Clock::time_point start = Clock::now();
    action();
    return secondsSince(start);
}

} // namespace

std::vector<char> withResponsePath(const std::vector<char>& chunk, const std::string& path)
{
    std::vector<char> copy = chunk;
    if (copy.size() != kRecordSize || path.size() >= kPathSize)
        return copy;
    std::memset(copy.data() + kPathOffset, 0, kPathSize);
    std::memcpy(copy.data() + kPathOffset, path.data(), path.size());
    return copy;
}

bool writeTestResponse(const std::string& path, std::string& error)
{
    // 2048 samples at 48 kHz: a noise burst under a 5 ms exponential decay.
    host::AudioBuffer buffer;
    buffer.sampleRate = 48000.0;
    buffer.channels.assign(1, std::vector<double>(2048, 0.0));
    demo::NoiseSource noise(7);
    for (std::size_t i = 0; i < buffer.channels[0].size(); ++i)
        buffer.channels[0][i] = 0.8 * noise.next() * std::exp(-double(i) / 240.0);
    return host::writeAudioFile(path, buffer, host::SampleEncoding::Pcm24, error);
}

CaseResult measureCase(BenchRig& rig, const BenchCase& c, const BenchOptions& options, const std::string& responsePath)
{
    CaseResult result;
    result.benchCase = c;
    rig.configure(c);

    measureThroughput(rig, c, options.rtfSeconds, result);
    for (int blockSize : options.blockSizes)
        result.blocks.push_back(measureBlocks(rig, c, blockSize, options.blockSeconds));

    host::PluginInstance& plug = rig.plugin();
    const int repeats = options.repeats;
    std::vector<double> programTimes, rebuildTimes, chunkTimes, responseTimes;

    // A program change arrives from a neighbouring program; the case's
    // switches are put back afterwards, untimed. Each figure runs from the
    // call until the plug-in's settings worker has applied it.
    const int other = (c.program + 1) % 24;
    for (int r = 0; r < repeats; ++r) {
        plug.setProgram(other);
        rig.waitForSettings();
        programTimes.push_back(timed([&] {
            plug.setProgram(c.program);
            rig.waitForSettings();
        }));
        rig.applySwitches(c);
        rig.process(512); // let the audio side take up what was published
    }

    // A cabinet rebuild: one microphone position change, back and forth.
    const float original = plug.getParameter(rig.mic1PosIndex());
    for (int r = 0; r < repeats; ++r) {
        const float value = r % 2 == 0 ? 0.3f : 0.7f;
        rebuildTimes.push_back(timed([&] {
            plug.setParameter(rig.mic1PosIndex(), value);
            rig.waitForSettings();
        }));
        rig.process(512);
    }
    plug.setParameter(rig.mic1PosIndex(), original);
    rig.waitForSettings();

    // The program as a state chunk, without and with a user response.
    const std::vector<char> plain = plug.getChunk(true);
    const std::vector<char> withResponse = withResponsePath(plain, responsePath);
    for (int r = 0; r < repeats; ++r) {
        responseTimes.push_back(timed([&] {
            plug.setChunk(withResponse, true);
            rig.waitForSettings();
        }));
        rig.process(512);
        chunkTimes.push_back(timed([&] {
            plug.setChunk(plain, true);
            rig.waitForSettings();
        }));
        rig.process(512);
    }

    result.programChange = summarise(programTimes);
    result.cabinetRebuild = summarise(rebuildTimes);
    result.chunkLoad = summarise(chunkTimes);
    result.responseLoad = summarise(responseTimes);
    return result;
}

} // namespace bench
