#pragma once

#include "analytics/TallyType.h"
#include "state/AnalyticsReporter.h"

#include <QUrl>
#include <QVariant>

#include <optional>

namespace brimlark {

class AnalyticsManager;

// The analytics facade as the application uses it: started before any
// window, handed the URLs the application opens and drained at quit; the
// view model's reports go the same way. Tests record the calls.
class AnalyticsBridge : public AnalyticsReporter
{
public:
    explicit AnalyticsBridge(AnalyticsManager &manager)
        : m_manager(manager)
    {
    }
    void trackEvent(const QString &name, const QVariantMap &properties) override;
    virtual void start();
    virtual void openURL(const QUrl &url);
    // Within a bound: a second drain finds nothing.
    virtual void drain();

    // Property values the facade can carry; anything else is left out.
    static std::optional<TallyType> toTally(const QVariant &value);
    static TallyDictionary toTally(const QVariantMap &properties);

private:
    AnalyticsManager &m_manager;
};

} // namespace brimlark
