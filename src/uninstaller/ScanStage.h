#pragma once

#include <QString>

#include <optional>

namespace brimlark {

// The steps of a residual scan; the raw value is the status line shown meanwhile.
enum class ScanStage {
    idle,
    bundle,
    preferences,
    appSupport,
    caches,
    logs,
    containers,
    groupContainers,
    launchAgents,
    crashReports,
    savedState,
    extensions,
    receipts,
    done,
};

namespace ScanStages {
QString statusLine(ScanStage stage);
std::optional<ScanStage> fromStatusLine(const QString &text);
} // namespace ScanStages

} // namespace brimlark
