#include "support/ManualScheduler.h"

#include <algorithm>

namespace brimlark {

Scheduler::TaskId ManualScheduler::schedule(std::chrono::milliseconds delay, std::function<void()> task)
{
    const TaskId id = m_nextId++;
    m_queue.emplace(Key { m_now + std::max(delay, std::chrono::milliseconds(0)), id }, std::move(task));
    return id;
}

void ManualScheduler::cancel(TaskId id)
{
    for (auto it = m_queue.begin(); it != m_queue.end(); ++it) {
        if (it->first.id == id) {
            m_queue.erase(it);
            return;
        }
    }
}

void ManualScheduler::advance(std::chrono::milliseconds by)
{
    const auto target = m_now + by;
    while (!m_queue.empty() && m_queue.begin()->first.due <= target) {
        auto node = m_queue.extract(m_queue.begin());
        m_now = node.key().due;
        if (node.mapped()) {
            node.mapped()();
        }
    }
    m_now = target;
}

} // namespace brimlark
