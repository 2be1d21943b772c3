#pragma once

#include <QString>
#include <QVariantMap>

namespace brimlark {

// Where the launcher state sends its usage events ("Search Used",
// "App Launched"). The shell hands in an adapter over the analytics facade;
// tests record the calls.
class AnalyticsReporter
{
public:
    virtual ~AnalyticsReporter() = default;
    // Called on the main thread; reports nothing back.
    virtual void trackEvent(const QString &name, const QVariantMap &properties) = 0;
};

} // namespace brimlark
