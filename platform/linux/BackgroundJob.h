#pragma once
// A job that runs on a thread of its own, so that the interface thread never waits on a drive or a slow disk
// longer than it chooses to. One job at a time; the thread is joined before the next job starts and when the
// object goes (no thread outlives its owner).

#include <chrono>
#include <functional>
#include <future>
#include <system_error>

class BackgroundJob {
public:
    BackgroundJob() = default;
    ~BackgroundJob() { wait(); }
    BackgroundJob(const BackgroundJob&) = delete;
    BackgroundJob& operator=(const BackgroundJob&) = delete;

    // Starts `job` and returns at once; false (and `job` does not run) while the previous job is still running.
    bool start(std::function<void()> job)
    {
        if (running())
            return false;
        try {
            done_ = std::async(std::launch::async, job);
        } catch (const std::system_error&) {
            // No thread to be had: the job is done here and now rather than not at all.
            done_ = {};
            job();
        }
        return true;
    }

    bool running() const
    {
        return done_.valid() && done_.wait_for(std::chrono::seconds(0)) != std::future_status::ready;
    }

    // Waits until the job has ended, at most until `deadline`; true when no job is running.
    bool waitUntil(std::chrono::steady_clock::time_point deadline) const
    {
        return !done_.valid() || done_.wait_until(deadline) == std::future_status::ready;
    }

    void wait() const
    {
        if (done_.valid())
            done_.wait();
    }

private:
    std::future<void> done_;
};
