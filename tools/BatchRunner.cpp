#include "tools/BatchRunner.h"

#include <algorithm>
#include <atomic>
#include <thread>
#include <vector>

namespace host {

int defaultWorkerCount()
{
    return static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
}

std::size_t runJobs(std::size_t count, int workers, const std::function<bool(std::size_t index)>& job)
{
    std::atomic<std::size_t> next{0};   // the next job to take; each index is taken once
    std::atomic<std::size_t> failed{0}; // jobs that answered false or threw
    auto work = [&] {
        for (;;) {
            const std::size_t index = next.fetch_add(1, std::memory_order_relaxed);
            if (index >= count)
                return;
            bool ok = false;
            try {
                ok = job(index);
            } catch (...) {
                ok = false;
            }
            if (!ok)
                failed.fetch_add(1, std::memory_order_relaxed);
        }
    };

    const std::size_t threads = std::min<std::size_t>(count, static_cast<std::size_t>(std::max(workers, 1)));
    std::vector<std::thread> pool;
    for (std::size_t t = 1; t < threads; ++t)
        pool.emplace_back(work);
    work(); // the calling thread is one of the workers
    for (std::thread& thread : pool)
        thread.join();
    // join() orders every worker's increments before this read.
    return failed.load(std::memory_order_relaxed);
}

} // namespace host
