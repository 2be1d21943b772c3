#include "state/Scheduler.h"

#include <QCoreApplication>
#include <QTimer>

namespace brimlark {

Scheduler::~Scheduler() = default;

Scheduler &Scheduler::main()
{
    static TimerScheduler *scheduler = [] {
        auto *s = new TimerScheduler(QCoreApplication::instance());
        return s;
    }();
    return *scheduler;
}

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
