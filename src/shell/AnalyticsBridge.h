#pragma once

#include "analytics/TallyType.h"
#include "state/AnalyticsReporter.h"

#include <QVariant>

#include <optional>

namespace brimlark {

class AnalyticsManager;

// The view model's analytics reports handed to the analytics facade.
class AnalyticsBridge : public AnalyticsReporter
{
public:
    explicit AnalyticsBridge(AnalyticsManager &manager)
        : m_manager(manager)
    {
    }
    void trackEvent(const QString &name, const QVariantMap &properties) override;

    // Property values the facade can carry; anything else is left out.
    static std::optional<TallyType> toTally(const QVariant &value);
    static TallyDictionary toTally(const QVariantMap &properties);

private:
    AnalyticsManager &m_manager;
};

} // namespace brimlark
