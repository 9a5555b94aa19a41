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

std::string blockHeading(int blockSize)
{
    return "blk" + std::to_string(blockSize) + " p99.9/worst";
}

constexpr int kLabelWidth = 22;
constexpr int kBlockWidth = 20;

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
        << "blkN = wall-clock cost of one N-frame process call as a fraction of N/rate, over "
        << options.blockSeconds << " s of audio (p99.9 / worst).\n"
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
    for (int blockSize : options.blockSizes) {
        heading.width(kBlockWidth);
        heading << blockHeading(blockSize);
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
        row << (format("%.3f", block.p999) + " / " + format("%.3f", block.worst));
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
        const CaseResult* worstCase = &results.front();
        const CaseResult* worstP999 = &results.front();
        for (const CaseResult& r : results) {
            if (r.blocks[b].worst > worstCase->blocks[b].worst)
                worstCase = &r;
            if (r.blocks[b].p999 > worstP999->blocks[b].p999)
                worstP999 = &r;
        }
        out << results.front().blocks[b].blockSize << "-frame blocks: highest p99.9 "
            << format("%.3f", worstP999->blocks[b].p999) << " of the budget (" << worstP999->benchCase.label()
            << "), worst single call " << format("%.3f", worstCase->blocks[b].worst) << " ("
            << worstCase->benchCase.label() << ")\n";
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
            out << (b ? ", " : "") << "{\"size\": " << block.blockSize << ", \"calls\": " << block.calls
                << ", \"mean\": " << jsonNumber(block.mean) << ", \"p99_9\": " << jsonNumber(block.p999)
                << ", \"worst\": " << jsonNumber(block.worst) << "}";
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
