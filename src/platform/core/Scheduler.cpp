#include "platform/core/Scheduler.h"

#include <QTimer>

namespace brimlark {

TimerScheduler::TimerScheduler(QObject *parent)
    : QObject(parent)
{
}

TimerScheduler::~TimerScheduler()
{
    for (auto &[id, pending] : m_pending) {
        delete pending.timer;
    }
}

Scheduler::TaskId TimerScheduler::schedule(std::chrono::milliseconds delay, std::function<void()> task)
{
    const TaskId id = m_nextId++;
    auto *timer = new QTimer(this);
    timer->setSingleShot(true);
    timer->setTimerType(Qt::PreciseTimer);
    connect(timer, &QTimer::timeout, this, [this, id] {
        auto it = m_pending.find(id);
        if (it == m_pending.end()) {
            return;
        }
        auto task = std::move(it->second.task);
        it->second.timer->deleteLater();
        m_pending.erase(it);
        if (task) {
            task();
        }
    });
    m_pending.emplace(id, Pending { timer, std::move(task) });
    timer->start(delay);
    return id;
}

void TimerScheduler::cancel(TaskId id)
{
    auto it = m_pending.find(id);
    if (it == m_pending.end()) {
        return;
    }
    it->second.timer->stop();
    it->second.timer->deleteLater();
    m_pending.erase(it);
}

} // namespace brimlark
