#include "shell/QtMainExecutor.h"

#include "shell/ShellLog.h"

#include <QCoreApplication>
#include <QPointer>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <exception>

namespace brimlark {

namespace {

// A task that throws must not unwind through the event loop.
void runGuarded(const std::function<void()> &task)
{
    try {
        task();
    } catch (const std::exception &e) {
        qCCritical(lcShell, "main-thread task threw: %s", e.what());
    } catch (...) {
        qCCritical(lcShell, "main-thread task threw");
    }
}

struct TimerState
{
    std::atomic<bool> valid { true };
};

class QtRepeatingTimer : public RepeatingTimer
{
public:
    QtRepeatingTimer(std::shared_ptr<TimerState> state, QTimer *timer)
        : m_state(std::move(state))
        , m_timer(timer)
        , m_thread(timer ? timer->thread() : nullptr)
    {
    }
    ~QtRepeatingTimer() override { invalidate(); }

    void invalidate() override
    {
        m_state->valid = false;
        // On the timer's own thread it stops at once; elsewhere the next tick
        // sees the flag and removes the timer there.
        if (m_thread && QThread::currentThread() == m_thread && m_timer) {
            m_timer->stop();
            m_timer->deleteLater();
            m_timer = nullptr;
        }
    }
    bool isValid() const override { return m_state->valid.load(); }

private:
    std::shared_ptr<TimerState> m_state;
    QPointer<QTimer> m_timer; // touched on m_thread only
    QThread *m_thread;
};

} // namespace

QtMainExecutor::QtMainExecutor()
    : m_receiver(std::make_unique<QObject>())
{
}

QtMainExecutor::~QtMainExecutor()
{
    // Tasks still queued for the receiver are dropped with it.
    if (m_receiver && QCoreApplication::instance() && QThread::currentThread() != m_receiver->thread()) {
        m_receiver.release()->deleteLater();
    }
}

void QtMainExecutor::post(std::function<void()> task)
{
    if (!task || !m_receiver) {
        return;
    }
    QMetaObject::invokeMethod(
        m_receiver.get(), [task = std::move(task)] { runGuarded(task); }, Qt::QueuedConnection);
}

std::shared_ptr<RepeatingTimer> QtMainExecutor::scheduleRepeatingTimer(
    double intervalSeconds, std::function<void()> action)
{
    auto state = std::make_shared<TimerState>();
    if (!(intervalSeconds > 0) || !action || !m_receiver) {
        state->valid = false;
        return std::make_shared<QtRepeatingTimer>(state, nullptr);
    }
    auto *timer = new QTimer(m_receiver.get());
    timer->setTimerType(Qt::PreciseTimer);
    const double ms = std::clamp(intervalSeconds * 1000.0, 1.0, 2147483647.0);
    timer->setInterval(static_cast<int>(std::lround(ms)));
    QObject::connect(timer, &QTimer::timeout, timer, [timer, state, action = std::move(action)] {
        if (!state->valid.load()) {
            timer->stop();
            timer->deleteLater();
            return;
        }
        runGuarded(action);
    });
    timer->start();
    return std::make_shared<QtRepeatingTimer>(state, timer);
}

} // namespace brimlark
