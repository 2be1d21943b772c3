#include "state/SearchReport.h"

#include "state/AnalyticsReporter.h"

namespace brimlark {

SearchReport::SearchReport(Scheduler &scheduler, AnalyticsReporter *analytics)
    : m_scheduler(scheduler)
    , m_analytics(analytics)
{
}

SearchReport::~SearchReport()
{
    cancel();
}

void SearchReport::cancel()
{
    if (m_pending) {
        m_scheduler.cancel(*m_pending);
        m_pending.reset();
    }
}

void SearchReport::textChanged(const QString &query)
{
    cancel();
    m_pending = m_scheduler.schedule(delay, [this, query] {
        m_pending.reset();
        if (!query.isEmpty() && m_analytics) {
            m_analytics->trackEvent(QStringLiteral("Search Used"), { { QStringLiteral("query"), query } });
        }
    });
}

} // namespace brimlark
