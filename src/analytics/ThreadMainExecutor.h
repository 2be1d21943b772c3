#pragma once

#include "analytics/MainExecutor.h"

#include <memory>

namespace brimlark {

// A MainExecutor for hosts without an event loop: one thread of its own plays the main thread,
// running posted tasks and timer actions one at a time. Destroying it stops every timer and
// runs the tasks already posted.
class ThreadMainExecutor : public MainExecutor
{
public:
    ThreadMainExecutor();
    ~ThreadMainExecutor() override;
    ThreadMainExecutor(const ThreadMainExecutor &) = delete;
    ThreadMainExecutor &operator=(const ThreadMainExecutor &) = delete;

    void post(std::function<void()> task) override;
    std::shared_ptr<RepeatingTimer> scheduleRepeatingTimer(
        double intervalSeconds, std::function<void()> action) override;

    struct State;

private:
    std::shared_ptr<State> m_state;
};

} // namespace brimlark
