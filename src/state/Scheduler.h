#pragma once

#include <QObject>

#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <unordered_map>

class QTimer;

namespace brimlark {

// Delayed work on the main thread. Debounces and deferrals go through it so
// that tests can move time forward instead of waiting.
class Scheduler
{
public:
    using TaskId = quint64;

    virtual ~Scheduler();

    // Runs the task once, on the main thread, no sooner than the delay from
    // now; never before returning. Returns an id for cancel().
    virtual TaskId schedule(std::chrono::milliseconds delay, std::function<void()> task) = 0;
    // A task that already ran, or an unknown id, is ignored.
    virtual void cancel(TaskId id) = 0;

    // The process's scheduler on the main event loop.
    static Scheduler &main();
};

// Single-shot timers on the event loop of the thread that makes it.
class TimerScheduler : public QObject, public Scheduler
{
    Q_OBJECT
public:
    explicit TimerScheduler(QObject *parent = nullptr);
    ~TimerScheduler() override;

    TaskId schedule(std::chrono::milliseconds delay, std::function<void()> task) override;
    void cancel(TaskId id) override;

private:
    struct Pending
    {
        QTimer *timer = nullptr;
        std::function<void()> task;
    };
    std::unordered_map<TaskId, Pending> m_pending;
    TaskId m_nextId = 1;
};

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
