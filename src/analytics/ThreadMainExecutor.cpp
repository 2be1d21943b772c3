#include "analytics/ThreadMainExecutor.h"

#include "analytics/TallyLogger.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

namespace brimlark {

namespace {

using SteadyClock = std::chrono::steady_clock;

struct TimerData
{
    std::function<void()> action;
    SteadyClock::duration interval {};
    SteadyClock::time_point nextFire {};
    std::atomic<bool> valid { true };
};

thread_local const void *t_currentExecutorState = nullptr;

void runGuarded(const std::function<void()> &task)
{
    try {
        task();
    } catch (const std::exception &e) {
        TallyLogger::error([&] { return std::string("main task threw: ") + e.what(); }, "post(_:)");
    } catch (...) {
        TallyLogger::error("main task threw", "post(_:)");
    }
}

} // namespace

struct ThreadMainExecutor::State
{
    std::mutex mutex;
    std::condition_variable wake;
    std::deque<std::function<void()>> tasks;
    std::vector<std::shared_ptr<TimerData>> timers;
    bool stopping = false;
    std::thread worker;

    void wakeUp()
    {
        {
            std::lock_guard lock(mutex);
        }
        wake.notify_all();
    }
};

namespace {

class ThreadTimer : public RepeatingTimer
{
public:
    ThreadTimer(std::shared_ptr<TimerData> data, std::weak_ptr<ThreadMainExecutor::State> state)
        : m_data(std::move(data))
        , m_state(std::move(state))
    {
    }
    ~ThreadTimer() override { invalidate(); }

    void invalidate() override
    {
        if (m_data->valid.exchange(false)) {
            if (auto state = m_state.lock()) {
                state->wakeUp();
            }
        }
    }
    bool isValid() const override { return m_data->valid.load(); }

private:
    std::shared_ptr<TimerData> m_data;
    std::weak_ptr<ThreadMainExecutor::State> m_state;
};

void executorLoop(std::shared_ptr<ThreadMainExecutor::State> keepAlive)
{
    ThreadMainExecutor::State *state = keepAlive.get();
    t_currentExecutorState = state;
    std::unique_lock lock(state->mutex);
    for (;;) {
        std::erase_if(state->timers, [](const auto &timer) { return !timer->valid.load(); });
        if (!state->tasks.empty()) {
            auto task = std::move(state->tasks.front());
            state->tasks.pop_front();
            lock.unlock();
            runGuarded(task);
            task = nullptr;
            lock.lock();
            continue;
        }
        if (state->stopping) {
            break;
        }
        const auto now = SteadyClock::now();
        std::shared_ptr<TimerData> due;
        SteadyClock::time_point earliest = SteadyClock::time_point::max();
        for (const auto &timer : state->timers) {
            if (timer->nextFire <= now && (!due || timer->nextFire < due->nextFire)) {
                due = timer;
            }
            earliest = std::min(earliest, timer->nextFire);
        }
        if (due) {
            // A late timer fires once and then keeps its period from now, as run-loop timers do.
            due->nextFire += due->interval;
            if (due->nextFire <= now) {
                due->nextFire = now + due->interval;
            }
            lock.unlock();
            if (due->valid.load()) {
                runGuarded(due->action);
            }
            due = nullptr;
            lock.lock();
            continue;
        }
        if (earliest == SteadyClock::time_point::max()) {
            state->wake.wait(lock);
        } else {
            state->wake.wait_until(lock, earliest);
        }
    }
    state->timers.clear();
    lock.unlock();
    t_currentExecutorState = nullptr;
}

} // namespace

ThreadMainExecutor::ThreadMainExecutor()
    : m_state(std::make_shared<State>())
{
    m_state->worker = std::thread(executorLoop, m_state);
}

ThreadMainExecutor::~ThreadMainExecutor()
{
    {
        std::lock_guard lock(m_state->mutex);
        m_state->stopping = true;
        for (const auto &timer : m_state->timers) {
            timer->valid = false;
        }
    }
    m_state->wake.notify_all();
    if (t_currentExecutorState == m_state.get()) {
        m_state->worker.detach();
    } else {
        m_state->worker.join();
    }
}

void ThreadMainExecutor::post(std::function<void()> task)
{
    if (!task) {
        return;
    }
    {
        std::lock_guard lock(m_state->mutex);
        m_state->tasks.push_back(std::move(task));
    }
    m_state->wake.notify_all();
}

std::shared_ptr<RepeatingTimer> ThreadMainExecutor::scheduleRepeatingTimer(
    double intervalSeconds, std::function<void()> action)
{
    auto data = std::make_shared<TimerData>();
    if (!(intervalSeconds > 0) || !action) {
        data->valid = false;
        return std::make_shared<ThreadTimer>(data, m_state);
    }
    data->action = std::move(action);
    data->interval = std::chrono::duration_cast<SteadyClock::duration>(
        std::chrono::duration<double>(std::clamp(intervalSeconds, 0.001, 1.0e9)));
    data->nextFire = SteadyClock::now() + data->interval;
    {
        std::lock_guard lock(m_state->mutex);
        if (m_state->stopping) {
            data->valid = false;
        } else {
            m_state->timers.push_back(data);
        }
    }
    m_state->wake.notify_all();
    return std::make_shared<ThreadTimer>(data, m_state);
}

} // namespace brimlark
