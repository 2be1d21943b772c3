#pragma once

#include "analytics/MainExecutor.h"

#include <QObject>

#include <memory>

namespace brimlark {

// The analytics client's main-thread executor on the Qt event loop: posted
// tasks run as queued calls on the thread that made the executor, repeating
// timers are QTimers there.
class QtMainExecutor : public MainExecutor
{
public:
    // Construct on the main thread, after the application object.
    QtMainExecutor();
    ~QtMainExecutor() override;
    QtMainExecutor(const QtMainExecutor &) = delete;
    QtMainExecutor &operator=(const QtMainExecutor &) = delete;

    void post(std::function<void()> task) override;
    std::shared_ptr<RepeatingTimer> scheduleRepeatingTimer(
        double intervalSeconds, std::function<void()> action) override;

private:
    std::unique_ptr<QObject> m_receiver;
};

} // namespace brimlark
