#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>

// The instance's own thread for the slow side of settings changes: cabinet
// rebuilds, response loads and the recomputation after a program change.
//
// The thread runs passes of one job (given to start()). It starts a pass when
// a thread that may make system calls asks it to (wake(), waitForPass()), and
// otherwise looks for work on its own at a short interval, because the host's
// parameter path, often its audio thread, must not make the system call a
// wake-up costs: it only publishes its work in atomics for the next pass.
// The interval is short while changes keep coming and longer once they stop,
// so that an idle instance costs next to nothing.
//
// Threads: start() and stop() on the owner's constructing and destroying
// thread; wake() and waitForPass() on any thread that may wait (never the
// audio thread, never from inside the job).
class SettingsWorker {
public:
    // One pass of the job: true when it found work (the worker then keeps
    // looking at the short interval).
    using Job = std::function<bool()>;

    static constexpr std::chrono::milliseconds kBusyInterval{1};  // between looks while changes keep coming
    static constexpr std::chrono::milliseconds kIdleInterval{5};  // between looks once they stopped
    static constexpr std::chrono::milliseconds kBusySpan{500};    // how long after the last work a look counts as busy

    SettingsWorker() = default;
    ~SettingsWorker() { stop(); }
    SettingsWorker(const SettingsWorker&) = delete;
    SettingsWorker& operator=(const SettingsWorker&) = delete;

    // Starts the thread. Once only.
    void start(Job job);
    // Ends the pass under way, if any, and joins the thread; no pass runs afterwards.
    void stop();

    // Starts a pass now rather than at the next look.
    void wake();
    // Starts a pass and returns once a pass that began after this call has
    // ended, so that whatever the caller published before is done. Returns at
    // once when the thread is not running.
    void waitForPass();

private:
    void run();

    Job job_;                           // what a pass runs
    std::mutex mutex_;                  // guards the fields below and the two conditions
    std::condition_variable wakeUp_;    // wake(), waitForPass() and stop() to the worker
    std::condition_variable passEnded_; // the worker to waitForPass()
    bool running_ = false;              // the thread exists and has not been told to stop
    bool woken_ = false;                // a pass is asked for before the next look
    std::uint64_t passesStarted_ = 0;   // passes begun since start()
    std::uint64_t passesEnded_ = 0;     // passes finished since start()
    std::thread thread_;
};
