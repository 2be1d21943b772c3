#pragma once

#include "platform/core/Scheduler.h"

#include <chrono>
#include <functional>
#include <map>

namespace brimlark {

// Virtual time for tests: nothing runs until advance() says so.
class ManualScheduler : public Scheduler
{
public:
    TaskId schedule(std::chrono::milliseconds delay, std::function<void()> task) override;
    void cancel(TaskId id) override;

    // Moves time forward, running every task that falls due, in due order
    // (ties in scheduling order), each at its own time; tasks scheduled while
    // advancing run too when they fall due within the interval.
    void advance(std::chrono::milliseconds by);
    std::chrono::milliseconds now() const { return m_now; }
    std::size_t pendingCount() const { return m_queue.size(); }

private:
    struct Key
    {
        std::chrono::milliseconds due;
        TaskId id;
        bool operator<(const Key &other) const { return due != other.due ? due < other.due : id < other.id; }
    };
    std::map<Key, std::function<void()>> m_queue;
    std::chrono::milliseconds m_now { 0 };
    TaskId m_nextId = 1;
};

} // namespace brimlark
