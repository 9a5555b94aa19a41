#include "plugin/SettingsWorker.h"

#include <utility>

void SettingsWorker::start(Job job)
{
    job_ = std::move(job);
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        running_ = true;
    }
    thread_ = std::thread([this] { run(); });
}

void SettingsWorker::stop()
{
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        if (!running_)
            return;
        running_ = false;
    }
    wakeUp_.notify_one();
    thread_.join();
    // A waiter that came in while the thread was ending has nothing to wait for.
    passEnded_.notify_all();
}

void SettingsWorker::wake()
{
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        woken_ = true;
    }
    wakeUp_.notify_one();
}

void SettingsWorker::waitForPass()
{
    std::unique_lock<std::mutex> lock(mutex_);
    if (!running_)
        return;
    // Passes are numbered when they begin, under this lock: the next one to
    // begin sees everything published before this call.
    const std::uint64_t target = passesStarted_ + 1;
    woken_ = true;
    wakeUp_.notify_one();
    passEnded_.wait(lock, [&] { return passesEnded_ >= target || !running_; });
}

void SettingsWorker::run()
{
    using Clock = std::chrono::steady_clock;
    Clock::time_point lastWork = Clock::now() - kBusySpan;
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        const auto interval = Clock::now() - lastWork < kBusySpan ? kBusyInterval : kIdleInterval;
        wakeUp_.wait_for(lock, interval, [this] { return woken_ || !running_; });
        if (!running_)
            return;
        woken_ = false;
        const std::uint64_t pass = ++passesStarted_;
        lock.unlock();
        if (job_())
            lastWork = Clock::now();
        lock.lock();
        passesEnded_ = pass;
        passEnded_.notify_all();
    }
}
