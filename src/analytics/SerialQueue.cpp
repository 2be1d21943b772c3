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
    std::deque<std::function<void()>> tasks;
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
            state->wake.wait(lock, [state] { return !state->tasks.empty() || state->stopping; });
            if (state->tasks.empty()) {
                break;
            }
            task = std::move(state->tasks.front());
            state->tasks.pop_front();
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
    }
    t_currentQueueState = nullptr;
    keepAlive.reset();
}

SerialQueue::SerialQueue(std::string label) : m_label(std::move(label)), m_state(std::make_shared<State>())
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

bool SerialQueue::isCurrent() const
{
    return t_currentQueueState == m_state.get();
}

void SerialQueue::enqueue(std::function<void()> task)
{
    {
        std::lock_guard lock(m_state->mutex);
        m_state->tasks.push_back(std::move(task));
    }
    m_state->wake.notify_one();
}

} // namespace brimlark
