#pragma once

#include <QObject>

#include <chrono>
#include <functional>
#include <unordered_map>

class QTimer;

namespace brimlark {

// Delayed work on the main thread. Debounces and deferrals (the model's
// rescan, the view model's search report, the grid's hover reorder and
// launching look) go through one that the application builds, so that tests
// can move time forward instead of waiting.
class Scheduler
{
public:
    using TaskId = quint64;

    virtual ~Scheduler() = default;

    // Runs the task once, on the main thread, no sooner than the delay from
    // now; never before returning. Returns an id for cancel().
    virtual TaskId schedule(std::chrono::milliseconds delay, std::function<void()> task) = 0;
    // A task that already ran, or an unknown id, is ignored.
    virtual void cancel(TaskId id) = 0;
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

} // namespace brimlark
