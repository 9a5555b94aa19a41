#pragma once

// The report of selvarine-bench: a plain aligned table on a stream and the
// same figures as JSON.

#include "bench/selvarine/Measurements.h"

#include <ostream>
#include <string>
#include <vector>

namespace bench {

// Where and how the figures were taken.
struct MachineNote {
    std::string cpuModel;       // "model name" of /proc/cpuinfo
    int cores = 0;              // processors online
    std::string loadBefore;     // /proc/loadavg at the start
    std::string loadAfter;      // /proc/loadavg at the end
    std::string commandLine;    // how the bench was called
    std::string pluginPath;     // the binary measured
};

// Reads the processor model, core count and load average.
MachineNote describeMachine();
std::string loadAverage();

// The header lines (machine, caveats, units) before the first row.
void printHeader(std::ostream& out, const MachineNote& note, const BenchOptions& options);
// One row of the table.
void printRow(std::ostream& out, const CaseResult& result);
// Ranges over all rows: real-time factor, worst and 99.9th-percentile block costs.
void printSummary(std::ostream& out, const std::vector<CaseResult>& results, const MachineNote& note);

// The whole run as JSON. False when the file cannot be written.
bool writeJson(const std::string& path, const std::vector<CaseResult>& results, const MachineNote& note,
               const BenchOptions& options);

} // namespace bench
