#pragma once
// Runs the files of a batch on a few threads at once. Each worker takes the
// next file as soon as it is free, so a long file does not hold up the rest.

#include <cstddef>
#include <functional>

namespace host {

// The number of processor cores (at least 1): the default worker count.
int defaultWorkerCount();

// Calls job(i) for every i in 0..count-1, on min(workers, count) threads (at
// least one), each i exactly once. A job answers false (or throws) when its
// file failed; the others go on. Answers the number of jobs that failed.
// Returns when every job has finished.
std::size_t runJobs(std::size_t count, int workers, const std::function<bool(std::size_t index)>& job);

} // namespace host
