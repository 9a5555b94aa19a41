#include "bench/selvarine/RenderDigest.h"

#include "bench/selvarine/BenchRig.h"
#include "bench/selvarine/Measurements.h"

#include <array>
#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

namespace bench {

namespace {

// Call sizes used in turn: single frames, odd sizes, sizes around the
// convolver's partitions and the announced 512.
constexpr std::array<int, 9> kCallSizes{1, 7, 64, 128, 500, 512, 33, 256, 1000};

class Fnv1a {
public:
    void add(const void* data, std::size_t bytes)
    {
        const auto* p = static_cast<const unsigned char*>(data);
        for (std::size_t i = 0; i < bytes; ++i) {
            hash ^= p[i];
            hash *= 0x100000001b3ull;
        }
    }
    std::uint64_t value() const { return hash; }

private:
    std::uint64_t hash = 0xcbf29ce484222325ull; // FNV-1a 64-bit offset basis
};

struct RenderSum {
    std::uint64_t hash = 0; // FNV-1a of every output sample, left then right per call
    double peak = 0.0;      // largest magnitude over both channels
};

// One render; with `samples` given, the output is also appended there (left
// then right per call).
template <bool Double>
RenderSum render(BenchRig& rig, const BenchCase& c, double seconds, const std::string& responsePath,
                 std::vector<double>* samples = nullptr)
{
    rig.configure(c);
    host::PluginInstance& plug = rig.plugin();
    const long total = std::lround(seconds * c.rate);
    const long rebuildAt = total / 3;
    const long responseAt = 2 * total / 3;
    const long silenceFrom = total - total / 5;
    bool rebuilt = false, responded = false;

    Fnv1a hash;
    RenderSum sum;
    long done = 0;
    for (std::size_t call = 0; done < total; ++call) {
        if (!rebuilt && done >= rebuildAt) {
            const float position = plug.getParameter(rig.mic1PosIndex());
            plug.setParameter(rig.mic1PosIndex(), position < 0.5f ? 0.8f : 0.2f);
            rig.waitForSettings();
            rebuilt = true;
        }
        if (!responded && done >= responseAt) {
            plug.setChunk(withResponsePath(plug.getChunk(true), responsePath), true);
            rig.waitForSettings();
            responded = true;
        }
        const int frames = int(std::min<long>(kCallSizes[call % kCallSizes.size()], total - done));
        const bool silent = done >= silenceFrom;
        if constexpr (Double)
            rig.processDouble(frames, silent);
        else
            rig.process(frames, silent);
        for (int ch = 0; ch < 2; ++ch) {
            const auto& output = Double ? static_cast<const void*>(rig.doubleOutput(ch).data())
                                        : static_cast<const void*>(rig.floatOutput(ch).data());
            const std::size_t sampleBytes = Double ? sizeof(double) : sizeof(float);
            hash.add(output, sampleBytes * std::size_t(frames));
            for (int i = 0; i < frames; ++i) {
                const double v = Double ? rig.doubleOutput(ch)[std::size_t(i)] : double(rig.floatOutput(ch)[std::size_t(i)]);
                sum.peak = std::max(sum.peak, std::fabs(v));
                if (samples != nullptr)
                    samples->push_back(v);
            }
        }
        done += frames;
    }
    sum.hash = hash.value();
    return sum;
}

} // namespace

bool writeDigest(const host::PluginLibrary& library, const BenchOptions& options, const std::string& responsePath,
                 std::ostream& out, std::string& error)
{
    for (int program : options.programs)
        for (double rate : options.rates)
            for (bool highRes : options.highRes)
                for (int cabMode : options.cabModes) {
                    const BenchCase c{program, rate, highRes, cabMode};
                    // A fresh instance per render: no state carries over between cases.
                    std::unique_ptr<BenchRig> rig = BenchRig::create(library, error);
                    if (!rig)
                        return false;
                    const RenderSum d = render<true>(*rig, c, options.digestSeconds, responsePath);
                    rig = BenchRig::create(library, error);
                    if (!rig)
                        return false;
                    const RenderSum f = render<false>(*rig, c, options.digestSeconds, responsePath);
                    char line[160];
                    std::snprintf(line, sizeof line, "%-20s double %016llx float %016llx peak %.6f", c.label().c_str(),
                                  static_cast<unsigned long long>(d.hash), static_cast<unsigned long long>(f.hash),
                                  d.peak);
                    out << line << std::endl;
                }
    return true;
}

bool writeDifference(const host::PluginLibrary& library, const host::PluginLibrary& other, const BenchOptions& options,
                     const std::string& responsePath, std::ostream& out, std::string& error)
{
    const auto decibels = [](double x) { return x > 0.0 ? 20.0 * std::log10(x) : -std::numeric_limits<double>::infinity(); };
    double worst = 0.0;
    std::vector<double> first, second;
    for (int program : options.programs)
        for (double rate : options.rates)
            for (bool highRes : options.highRes)
                for (int cabMode : options.cabModes) {
                    const BenchCase c{program, rate, highRes, cabMode};
                    first.clear();
                    second.clear();
                    for (auto [lib, samples] : {std::pair{&library, &first}, std::pair{&other, &second}}) {
                        std::unique_ptr<BenchRig> rig = BenchRig::create(*lib, error);
                        if (!rig)
                            return false;
                        render<true>(*rig, c, options.digestSeconds, responsePath, samples);
                    }
                    double largest = first.size() == second.size() ? 0.0 : std::numeric_limits<double>::infinity();
                    std::size_t where = 0;
                    for (std::size_t i = 0; i < std::min(first.size(), second.size()); ++i)
                        if (std::fabs(first[i] - second[i]) > largest) {
                            largest = std::fabs(first[i] - second[i]);
                            where = i;
                        }
                    if (!(largest <= worst) || largest != largest)
                        worst = largest;
                    char line[160];
                    // The outputs are stored call by call, left then right: sample
                    // `where` is near frame where / 2.
                    std::snprintf(line, sizeof line, "%-20s max difference %.3g (%.1f dBFS) near frame %zu",
                                  c.label().c_str(), largest, decibels(largest), where / 2);
                    out << line << std::endl;
                }
    char line[120];
    std::snprintf(line, sizeof line, "largest difference over all cases: %.3g (%.1f dBFS)", worst, decibels(worst));
    out << line << std::endl;
    return true;
}

} // namespace bench
