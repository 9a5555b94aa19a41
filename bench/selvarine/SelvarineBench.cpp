// selvarine-bench: performance figures of the built plug-in, taken through
// its real entry point the way a host takes them. See usageText() for the
// modes and options.

#include "bench/selvarine/BenchOptions.h"
#include "bench/selvarine/BenchReport.h"
#include "bench/selvarine/BenchRig.h"
#include "bench/selvarine/BlockBenchmarks.h"
#include "bench/selvarine/Measurements.h"
#include "bench/selvarine/RenderDigest.h"
#include "bench/selvarine/WriterLatency.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <unistd.h>

#ifndef SELVARINE_DEFAULT_PLUGIN
#define SELVARINE_DEFAULT_PLUGIN "OrvandelSelvarine.so"
#endif

namespace {

// The plug-in built beside this tool: the build records its location relative
// to the tool's folder.
std::string defaultPluginPath()
{
    const std::filesystem::path tool = host::executablePath();
    return (tool.parent_path() / SELVARINE_DEFAULT_PLUGIN).lexically_normal().string();
}

// A private folder for the test response, removed on exit.
class ScratchFolder {
public:
    ScratchFolder()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "selvarine-bench-XXXXXX").string();
        if (mkdtemp(pattern.data()) != nullptr)
            path = pattern;
    }
    ~ScratchFolder()
    {
        std::error_code ignored;
        if (!path.empty())
            std::filesystem::remove_all(path, ignored);
    }
    std::string path; // empty when the folder could not be made
};

int runReport(const host::PluginLibrary& library, const bench::BenchOptions& options, bench::MachineNote& note,
              const std::string& responsePath)
{
    std::string error;
    std::unique_ptr<bench::BenchRig> rig = bench::BenchRig::create(library, error);
    if (!rig) {
        std::cerr << "selvarine-bench: " << error << "\n";
        return 1;
    }
    bench::printHeader(std::cout, note, options);
    std::vector<bench::CaseResult> results;
    for (int program : options.programs)
        for (double rate : options.rates)
            for (bool highRes : options.highRes)
                for (int cabMode : options.cabModes) {
                    results.push_back(bench::measureCase(*rig, {program, rate, highRes, cabMode}, options, responsePath));
                    bench::printRow(std::cout, results.back());
                }
    note.loadAfter = bench::loadAverage();
    bench::printSummary(std::cout, results, note);
    if (!options.jsonPath.empty()) {
        if (!bench::writeJson(options.jsonPath, results, note, options)) {
            std::cerr << "selvarine-bench: cannot write " << options.jsonPath << "\n";
            return 1;
        }
        std::cout << "JSON written to " << options.jsonPath << "\n";
    }
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    bench::BenchOptions options;
    std::string error;
    bool help = false;
    if (!bench::parseOptions(argc, argv, options, error, help)) {
        std::cerr << "selvarine-bench: " << error << "\n\n" << bench::usageText();
        return 2;
    }
    if (help) {
        std::cout << bench::usageText();
        return 0;
    }
    if (options.pluginPath.empty())
        options.pluginPath = defaultPluginPath();

    host::PluginLibrary library;
    if (!library.load(options.pluginPath)) {
        std::cerr << "selvarine-bench: " << library.error() << "\n";
        return 1;
    }

    ScratchFolder scratch;
    const std::string responsePath = scratch.path + "/response.wav";
    if (scratch.path.empty() || !bench::writeTestResponse(responsePath, error)) {
        std::cerr << "selvarine-bench: cannot write the test response: " << error << "\n";
        return 1;
    }

    switch (options.mode) {
    case bench::Mode::Digest: {
        std::ofstream file;
        if (!options.digestPath.empty()) {
            file.open(options.digestPath);
            if (!file) {
                std::cerr << "selvarine-bench: cannot write " << options.digestPath << "\n";
                return 1;
            }
        }
        if (!bench::writeDigest(library, options, responsePath, options.digestPath.empty() ? std::cout : file, error)) {
            std::cerr << "selvarine-bench: " << error << "\n";
            return 1;
        }
        return 0;
    }
    case bench::Mode::Difference: {
        host::PluginLibrary other;
        if (!other.load(options.otherPluginPath)) {
            std::cerr << "selvarine-bench: " << other.error() << "\n";
            return 1;
        }
        if (!bench::writeDifference(library, other, options, responsePath, std::cout, error)) {
            std::cerr << "selvarine-bench: " << error << "\n";
            return 1;
        }
        return 0;
    }
    case bench::Mode::Google: {
        std::vector<char*> args{argv[0]};
        for (std::string& arg : options.googleArgs)
            args.push_back(arg.data());
        int count = int(args.size());
        benchmark::Initialize(&count, args.data());
        if (benchmark::ReportUnrecognizedArguments(count, args.data()))
            return 2;
        bench::registerBlockBenchmarks(library, options);
        benchmark::RunSpecifiedBenchmarks();
        benchmark::Shutdown();
        return 0;
    }
    case bench::Mode::Run: {
        std::unique_ptr<bench::BenchRig> rig = bench::BenchRig::create(library, error);
        if (!rig) {
            std::cerr << "selvarine-bench: " << error << "\n";
            return 1;
        }
        const bench::BenchCase first{options.programs.front(), options.rates.front(), options.highRes.front(),
                                     options.cabModes.front()};
        rig->configure(first);
        const long calls = std::max(1L, long(options.rtfSeconds * first.rate / 512.0));
        const double start = bench::threadCpuSeconds();
        for (long i = 0; i < calls; ++i)
            rig->process(512);
        const double cpu = bench::threadCpuSeconds() - start;
        std::cout << first.label() << ": " << calls * 512 << " frames, real-time factor "
                  << (double(calls) * 512.0 / first.rate) / cpu << "\n";
        return 0;
    }
    case bench::Mode::WriterLatency: {
        bench::WriterLatency latency;
        if (!bench::measureWriterLatency(library, options.writerSeconds, scratch.path + "/long-response.wav", latency,
                                         error)) {
            std::cerr << "selvarine-bench: " << error << "\n";
            return 1;
        }
        bench::printWriterLatency(std::cout, latency);
        return 0;
    }
    case bench::Mode::Report:
        break;
    }

    bench::MachineNote note = bench::describeMachine();
    note.pluginPath = options.pluginPath;
    for (int i = 0; i < argc; ++i) {
        if (i > 0)
            note.commandLine += ' ';
        note.commandLine += argv[i];
    }
    return runReport(library, options, note, responsePath);
}
