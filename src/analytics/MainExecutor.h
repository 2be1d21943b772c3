#pragma once

#include <functional>
#include <memory>

namespace brimlark {

// A repeating timer made by a MainExecutor. Releasing the last handle invalidates the timer, on
// whatever thread that happens; the action never runs after invalidate() has returned on the
// main thread.
class RepeatingTimer
{
public:
    virtual ~RepeatingTimer();
    virtual void invalidate() = 0;
    virtual bool isValid() const = 0;
};

// The analytics client's only way onto the application's main thread. The shell implements it on
// its event loop; tests use ManualMainExecutor and run the posted work when they choose.
class MainExecutor
{
public:
    virtual ~MainExecutor();

    // Runs the task later on the main thread; tasks run in the order they were posted. Callable
    // from any thread, never runs the task before returning.
    virtual void post(std::function<void()> task) = 0;

    // Called on the main thread: runs the action on the main thread every intervalSeconds until
    // the timer is invalidated. An interval of 0 or less gives a timer that never fires.
    virtual std::shared_ptr<RepeatingTimer> scheduleRepeatingTimer(
        double intervalSeconds, std::function<void()> action)
        = 0;

    // The process-wide executor (see ProcessWide): the host's main thread; a host without an
    // event loop installs a ThreadMainExecutor.
    static std::shared_ptr<MainExecutor> shared();
    static std::shared_ptr<MainExecutor> installShared(std::shared_ptr<MainExecutor> executor);
};

} // namespace brimlark
