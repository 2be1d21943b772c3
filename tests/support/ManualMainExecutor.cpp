#include "ManualMainExecutor.h"

#include <algorithm>
#include <atomic>

namespace brimlark {

struct ManualMainExecutor::Timer
{
    std::function<void()> action;
    double interval = 0;
    double nextFire = 0;
    unsigned long long order = 0; // ties at the same time fire in scheduling order
    std::atomic<bool> valid { true };
};

namespace {

class ManualTimer : public RepeatingTimer
{
public:
    explicit ManualTimer(std::shared_ptr<ManualMainExecutor::Timer> timer)
        : m_timer(std::move(timer))
    {
    }
    ~ManualTimer() override { invalidate(); }
    void invalidate() override { m_timer->valid = false; }
    bool isValid() const override { return m_timer->valid.load(); }

private:
    std::shared_ptr<ManualMainExecutor::Timer> m_timer;
};

} // namespace

ManualMainExecutor::ManualMainExecutor() = default;

ManualMainExecutor::~ManualMainExecutor() = default;

void ManualMainExecutor::post(std::function<void()> task)
{
    if (!task) {
        return;
    }
    {
        std::lock_guard lock(m_mutex);
        m_tasks.push_back(std::move(task));
    }
    m_posted.notify_all();
}

std::shared_ptr<RepeatingTimer> ManualMainExecutor::scheduleRepeatingTimer(
    double intervalSeconds, std::function<void()> action)
{
    auto timer = std::make_shared<Timer>();
    if (!(intervalSeconds > 0) || !action) {
        timer->valid = false;
        return std::make_shared<ManualTimer>(timer);
    }
    timer->action = std::move(action);
    timer->interval = intervalSeconds;
    std::lock_guard lock(m_mutex);
    timer->nextFire = m_elapsed + intervalSeconds;
    timer->order = m_scheduleCounter++;
    m_timers.push_back(timer);
    return std::make_shared<ManualTimer>(timer);
}

std::size_t ManualMainExecutor::runPending()
{
    std::size_t ran = 0;
    for (;;) {
        std::function<void()> task;
        {
            std::lock_guard lock(m_mutex);
            if (m_tasks.empty()) {
                return ran;
            }
            task = std::move(m_tasks.front());
            m_tasks.pop_front();
        }
        task();
        ++ran;
    }
}

std::shared_ptr<ManualMainExecutor::Timer> ManualMainExecutor::nextDueTimer(double until)
{
    std::lock_guard lock(m_mutex);
    std::erase_if(m_timers, [](const auto &timer) { return !timer->valid.load(); });
    std::shared_ptr<Timer> due;
    for (const auto &timer : m_timers) {
        if (timer->nextFire > until) {
            continue;
        }
        if (!due || timer->nextFire < due->nextFire
            || (timer->nextFire == due->nextFire && timer->order < due->order)) {
            due = timer;
        }
    }
    if (due) {
        m_elapsed = std::max(m_elapsed, due->nextFire);
        due->nextFire += due->interval;
        due->order = m_scheduleCounter++;
    }
    return due;
}

std::size_t ManualMainExecutor::advance(double seconds)
{
    double until;
    {
        std::lock_guard lock(m_mutex);
        until = m_elapsed + std::max(0.0, seconds);
    }
    std::size_t fired = 0;
    for (;;) {
        runPending();
        auto due = nextDueTimer(until);
        if (!due) {
            break;
        }
        if (due->valid.load()) {
            due->action();
            ++fired;
        }
    }
    {
        std::lock_guard lock(m_mutex);
        m_elapsed = until;
    }
    runPending();
    return fired;
}

bool ManualMainExecutor::waitForPosted(std::chrono::milliseconds timeout)
{
    std::unique_lock lock(m_mutex);
    return m_posted.wait_for(lock, timeout, [this] { return !m_tasks.empty(); });
}

std::size_t ManualMainExecutor::pendingCount() const
{
    std::lock_guard lock(m_mutex);
    return m_tasks.size();
}

std::size_t ManualMainExecutor::activeTimerCount() const
{
    std::lock_guard lock(m_mutex);
    return static_cast<std::size_t>(std::count_if(
        m_timers.begin(), m_timers.end(), [](const auto &timer) { return timer->valid.load(); }));
}

double ManualMainExecutor::elapsed() const
{
    std::lock_guard lock(m_mutex);
    return m_elapsed;
}

} // namespace brimlark
