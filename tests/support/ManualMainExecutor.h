#pragma once

#include "analytics/MainExecutor.h"

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <memory>
#include <mutex>
#include <vector>

namespace brimlark {

// A MainExecutor for tests: nothing runs until the test says so. Posted tasks wait for
// runPending(); timers run on the executor's own time, which moves only through advance().
// The thread that calls runPending() or advance() plays the main thread. post() is safe from any
// thread, so work queued by background queues can be waited for with waitForPosted().
class ManualMainExecutor : public MainExecutor
{
public:
    ManualMainExecutor();
    ~ManualMainExecutor() override;

    void post(std::function<void()> task) override;
    std::shared_ptr<RepeatingTimer> scheduleRepeatingTimer(
        double intervalSeconds, std::function<void()> action) override;

    // Runs posted tasks in order, including those they post, until none is left; returns how many ran.
    std::size_t runPending();

    // Moves the executor's time forward by the given seconds. Every timer that falls due runs at
    // its due time, in time order, each as often as its period fits; posted tasks run before each
    // timer action and at the end. Returns the number of timer actions run.
    std::size_t advance(double seconds);

    // Waits (on a condition, not a fixed sleep) until at least one posted task is pending.
    bool waitForPosted(std::chrono::milliseconds timeout = std::chrono::seconds(5));

    std::size_t pendingCount() const;
    // Timers scheduled and not yet invalidated.
    std::size_t activeTimerCount() const;
    // Seconds of executor time since it was made.
    double elapsed() const;

    struct Timer;

private:
    std::shared_ptr<Timer> nextDueTimer(double until);

    mutable std::mutex m_mutex;
    std::condition_variable m_posted;
    std::deque<std::function<void()>> m_tasks;
    std::vector<std::shared_ptr<Timer>> m_timers;
    double m_elapsed = 0;
    unsigned long long m_scheduleCounter = 0;
};

} // namespace brimlark
