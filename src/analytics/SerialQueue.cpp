#include "analytics/SerialQueue.h"

#include "analytics/TallyLogger.h"

#include <condition_variable>
#include <deque>
#include <exception>
#include <mutex>

#include <pthread.h>

namespace brimlark {

struct SerialQueue::State
{
    std::mutex mutex;
    std::condition_variable wake;
    std::condition_variable idle;
    std::deque<std::function<void()>> urgent;
    std::deque<std::function<void()>> tasks;
    bool running = false;
    bool stopping = false;
};

namespace {

// The queue whose worker runs on this thread, for isCurrent() and the in-place sync.
thread_local const void *t_currentQueueState = nullptr;

} // namespace

// The worker owns a reference to the state, so it outlives a queue destroyed from its own task.
void SerialQueue::workerLoop(std::shared_ptr<State> keepAlive, std::string label)
{
    State *state = keepAlive.get();
    t_currentQueueState = state;
    for (;;) {
        std::function<void()> task;
        {
            std::unique_lock lock(state->mutex);
            state->wake.wait(
                lock, [state] { return !state->urgent.empty() || !state->tasks.empty() || state->stopping; });
            auto &from = state->urgent.empty() ? state->tasks : state->urgent;
            if (from.empty()) {
                break;
            }
            task = std::move(from.front());
            from.pop_front();
            state->running = true;
        }
        try {
            task();
        } catch (const std::exception &e) {
            TallyLogger::error([&] { return "task on " + label + " threw: " + e.what(); }, "async(_:)");
        } catch (...) {
            TallyLogger::error([&] { return "task on " + label + " threw"; }, "async(_:)");
        }
        // Released here, outside the lock: the task's captures may own the queue itself.
        task = nullptr;
        {
            std::lock_guard lock(state->mutex);
            state->running = false;
        }
        state->idle.notify_all();
    }
    t_currentQueueState = nullptr;
    keepAlive.reset();
}

SerialQueue::SerialQueue(std::string label)
    : m_label(std::move(label))
    , m_state(std::make_shared<State>())
{
    m_worker = std::thread(workerLoop, m_state, m_label);
    // Thread names are limited to 15 bytes; the tail of a label is the telling part.
    const std::string name = m_label.size() > 15 ? m_label.substr(m_label.size() - 15) : m_label;
    pthread_setname_np(m_worker.native_handle(), name.c_str());
}

SerialQueue::~SerialQueue()
{
    {
        std::lock_guard lock(m_state->mutex);
        m_state->stopping = true;
    }
    m_state->wake.notify_all();
    if (isCurrent()) {
        // Destroyed by one of its own tasks: the worker still holds the state, finishes what
        // is queued and ends by itself.
        m_worker.detach();
    } else {
        m_worker.join();
    }
}

void SerialQueue::async(std::function<void()> task)
{
    if (task) {
        enqueue(std::move(task));
    }
}

void SerialQueue::asyncUrgent(std::function<void()> task)
{
    if (task) {
        enqueue(std::move(task), true);
    }
}

bool SerialQueue::waitUntilIdle(std::chrono::steady_clock::time_point deadline)
{
    if (isCurrent()) {
        return false; // its own worker can never see itself idle
    }
    std::unique_lock lock(m_state->mutex);
    return m_state->idle.wait_until(lock, deadline,
        [this] { return !m_state->running && m_state->urgent.empty() && m_state->tasks.empty(); });
}

std::size_t SerialQueue::discardPending()
{
    std::deque<std::function<void()>> dropped;
    std::deque<std::function<void()>> droppedUrgent;
    {
        std::lock_guard lock(m_state->mutex);
        dropped.swap(m_state->tasks);
        droppedUrgent.swap(m_state->urgent);
    }
    // Released outside the lock: their captures may own this queue.
    return dropped.size() + droppedUrgent.size();
}

bool SerialQueue::isCurrent() const
{
    return t_currentQueueState == m_state.get();
}

void SerialQueue::enqueue(std::function<void()> task, bool urgent)
{
    {
        std::lock_guard lock(m_state->mutex);
        (urgent ? m_state->urgent : m_state->tasks).push_back(std::move(task));
    }
    m_state->wake.notify_one();
}

} // namespace brimlark
