#pragma once

#include <QList>
#include <QString>

#include <optional>

namespace brimlark {

// The kinds of residual location, in display order. The title is the raw value.
enum class ResidualCategory {
    appBundle,
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
    other,
};

namespace ResidualCategories {
const QList<ResidualCategory> &allCases();
QString title(ResidualCategory category);
QString systemIconName(ResidualCategory category);
QString accentColor(ResidualCategory category);
std::optional<ResidualCategory> fromTitle(const QString &title);
} // namespace ResidualCategories

} // namespace brimlark
