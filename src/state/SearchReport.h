#pragma once

#include "platform/core/Scheduler.h"

#include <QString>

#include <chrono>
#include <optional>

namespace brimlark {

class AnalyticsReporter;

// Reports a search once its text has stayed the same for two seconds: every
// newer text starts the wait again, and an empty one is never reported.
// Whatever is still waiting goes with it. Main thread only.
class SearchReport
{
public:
    static constexpr std::chrono::milliseconds delay { 2000 };

    // No reporter means nothing is sent. The scheduler must outlive it.
    SearchReport(Scheduler &scheduler, AnalyticsReporter *analytics);
    ~SearchReport();
    SearchReport(const SearchReport &) = delete;
    SearchReport &operator=(const SearchReport &) = delete;

    void textChanged(const QString &query);

private:
    void cancel();

    Scheduler &m_scheduler;
    AnalyticsReporter *m_analytics;
    std::optional<Scheduler::TaskId> m_pending;
};

} // namespace brimlark
