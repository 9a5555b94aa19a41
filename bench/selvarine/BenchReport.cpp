#include "bench/selvarine/BenchReport.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <thread>

namespace bench {

namespace {

std::string format(const char* pattern, double value)
{
    char text[64];
    std::snprintf(text, sizeof text, pattern, value);
    return text;
}

std::string jsonString(const std::string& text)
{
    std::string out = "\"";
    for (char ch : text) {
        if (ch == '"' || ch == '\\') {
            out += '\\';
            out += ch;
        } else if (static_cast<unsigned char>(ch) < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", ch);
            out += escaped;
        } else {
            out += ch;
        }
    }
    return out + "\"";
}

std::string jsonNumber(double value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.6g", value);
    return text;
}

constexpr int kLabelWidth = 21;
constexpr int kBlockWidth = 15;

std::string spreadText(const CostSpread& spread)
{
    return format("%.3f", spread.p999) + "/" + format("%.3f", spread.worst);
}

} // namespace

std::string loadAverage()
{
    std::ifstream file("/proc/loadavg");
    std::string a, b, c;
    file >> a >> b >> c;
    return file ? a + " " + b + " " + c : std::string("unknown");
}

MachineNote describeMachine()
{
    MachineNote note;
    std::ifstream cpuinfo("/proc/cpuinfo");
    std::string line;
    while (std::getline(cpuinfo, line)) {
        if (line.rfind("model name", 0) == 0) {
            const std::size_t colon = line.find(':');
            note.cpuModel = colon == std::string::npos ? line : line.substr(colon + 2);
            break;
        }
    }
    if (note.cpuModel.empty())
        note.cpuModel = "unknown";
    note.cores = int(std::thread::hardware_concurrency());
    note.loadBefore = loadAverage();
    return note;
}

void printHeader(std::ostream& out, const MachineNote& note, const BenchOptions& options)
{
    out << "selvarine-bench: " << note.pluginPath << "\n"
        << "CPU: " << note.cpuModel << ", " << note.cores << " processors; load average at start " << note.loadBefore
        << "\n"
        << "The machine may be shared with other work: worst-block figures include whatever else ran.\n"
        << "RTF = seconds of audio per second of thread CPU time (one thread, 512-frame calls, "
        << options.rtfSeconds << " s of audio); ns/smp = CPU ns per host frame.\n"
        << "N wall / N cpu = cost of one N-frame process call as a fraction of N/rate, p99.9/worst over "
        << options.blockSeconds << " s of audio;\n"
        << "  wall = steady_clock (includes preemption by other work), cpu = thread CPU time.\n"
        << "Writer actions, median ms of " << options.repeats
        << ": prog = program change, cab = \"Mic 1 Pos\" cabinet rebuild, chunk = single-program chunk,\n"
        << "  +ir = the same chunk naming a 2048-sample WAV file as its user response.\n"
        << "32-bit processReplacing, the demo guitar DI on both inputs.\n\n";
    std::ostringstream heading;
    heading.setf(std::ios::left);
    heading.width(kLabelWidth);
    heading << "case";
    heading.setf(std::ios::right, std::ios::adjustfield);
    heading.width(8);
    heading << "RTF";
    heading.width(8);
    heading << "ns/smp";
    for (int blockSize : options.blockSizes)
        for (const char* clock : {" wall", " cpu"}) {
            heading.width(kBlockWidth);
            heading << std::to_string(blockSize) + clock;
        }
    for (const char* name : {"prog", "cab", "chunk", "+ir"}) {
        heading.width(8);
        heading << name;
    }
    out << heading.str() << "\n";
}

void printRow(std::ostream& out, const CaseResult& result)
{
    std::ostringstream row;
    row.setf(std::ios::left);
    row.width(kLabelWidth);
    row << result.benchCase.label();
    row.setf(std::ios::right, std::ios::adjustfield);
    row.width(8);
    row << format("%.1f", result.realTimeFactor);
    row.width(8);
    row << format("%.1f", result.nsPerSample);
    for (const BlockCost& block : result.blocks) {
        row.width(kBlockWidth);
        row << spreadText(block.wall);
        row.width(kBlockWidth);
        row << spreadText(block.cpu);
    }
    for (const ActionCost* action :
         {&result.programChange, &result.cabinetRebuild, &result.chunkLoad, &result.responseLoad}) {
        row.width(8);
        row << format("%.2f", 1e3 * action->median);
    }
    out << row.str() << std::endl;
}

void printSummary(std::ostream& out, const std::vector<CaseResult>& results, const MachineNote& note)
{
    if (results.empty())
        return;
    auto byRtf = [](const CaseResult& a, const CaseResult& b) { return a.realTimeFactor < b.realTimeFactor; };
    const CaseResult& slowest = *std::min_element(results.begin(), results.end(), byRtf);
    const CaseResult& fastest = *std::max_element(results.begin(), results.end(), byRtf);
    out << "\nReal-time factor " << format("%.1f", slowest.realTimeFactor) << " (" << slowest.benchCase.label()
        << ") .. " << format("%.1f", fastest.realTimeFactor) << " (" << fastest.benchCase.label() << ")\n";
    for (std::size_t b = 0; b < results.front().blocks.size(); ++b) {
        for (bool wallClock : {true, false}) {
            auto spread = [&](const CaseResult& r) -> const CostSpread& {
                return wallClock ? r.blocks[b].wall : r.blocks[b].cpu;
            };
            const CaseResult* worstCase = &results.front();
            const CaseResult* worstP999 = &results.front();
            for (const CaseResult& r : results) {
                if (spread(r).worst > spread(*worstCase).worst)
                    worstCase = &r;
                if (spread(r).p999 > spread(*worstP999).p999)
                    worstP999 = &r;
            }
            out << results.front().blocks[b].blockSize << "-frame blocks, " << (wallClock ? "wall" : "cpu ")
                << ": highest p99.9 " << format("%.3f", spread(*worstP999).p999) << " of the budget ("
                << worstP999->benchCase.label() << "), worst call " << format("%.3f", spread(*worstCase).worst)
                << " (" << worstCase->benchCase.label() << ")\n";
        }
    }
    out << "Load average at end " << note.loadAfter << "\n";
}

bool writeJson(const std::string& path, const std::vector<CaseResult>& results, const MachineNote& note,
               const BenchOptions& options)
{
    std::ofstream out(path);
    if (!out)
        return false;
    out << "{\n"
        << "  \"plugin\": " << jsonString(note.pluginPath) << ",\n"
        << "  \"command\": " << jsonString(note.commandLine) << ",\n"
        << "  \"cpu\": " << jsonString(note.cpuModel) << ",\n"
        << "  \"processors\": " << note.cores << ",\n"
        << "  \"load_average_start\": " << jsonString(note.loadBefore) << ",\n"
        << "  \"load_average_end\": " << jsonString(note.loadAfter) << ",\n"
        << "  \"shared_machine_note\": \"the machine may be shared; worst-block figures include other work\",\n"
        << "  \"rtf_seconds\": " << jsonNumber(options.rtfSeconds) << ",\n"
        << "  \"block_seconds\": " << jsonNumber(options.blockSeconds) << ",\n"
        << "  \"repeats\": " << options.repeats << ",\n"
        << "  \"cases\": [\n";
    for (std::size_t i = 0; i < results.size(); ++i) {
        const CaseResult& r = results[i];
        out << "    {\"program\": " << r.benchCase.program << ", \"rate\": " << jsonNumber(r.benchCase.rate)
            << ", \"high_res\": " << (r.benchCase.highRes ? "true" : "false") << ", \"cab_type\": " << r.benchCase.cabMode
            << ",\n     \"real_time_factor\": " << jsonNumber(r.realTimeFactor)
            << ", \"ns_per_sample\": " << jsonNumber(r.nsPerSample) << ",\n     \"blocks\": [";
        for (std::size_t b = 0; b < r.blocks.size(); ++b) {
            const BlockCost& block = r.blocks[b];
            auto spread = [](const CostSpread& s) {
                return "{\"mean\": " + jsonNumber(s.mean) + ", \"p99_9\": " + jsonNumber(s.p999) +
                       ", \"worst\": " + jsonNumber(s.worst) + "}";
            };
            out << (b ? ",\n       " : "") << "{\"size\": " << block.blockSize << ", \"calls\": " << block.calls
                << ", \"wall\": " << spread(block.wall) << ", \"cpu\": " << spread(block.cpu) << "}";
        }
        out << "],\n     \"program_change_s\": {\"median\": " << jsonNumber(r.programChange.median)
            << ", \"worst\": " << jsonNumber(r.programChange.worst) << "}"
            << ", \"cabinet_rebuild_s\": {\"median\": " << jsonNumber(r.cabinetRebuild.median)
            << ", \"worst\": " << jsonNumber(r.cabinetRebuild.worst) << "}"
            << ",\n     \"chunk_load_s\": {\"median\": " << jsonNumber(r.chunkLoad.median)
            << ", \"worst\": " << jsonNumber(r.chunkLoad.worst) << "}"
            << ", \"response_load_s\": {\"median\": " << jsonNumber(r.responseLoad.median)
            << ", \"worst\": " << jsonNumber(r.responseLoad.worst) << "}}" << (i + 1 < results.size() ? "," : "")
            << "\n";
    }
    out << "  ]\n}\n";
    return bool(out);
}

} // namespace bench
