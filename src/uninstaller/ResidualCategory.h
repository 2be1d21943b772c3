#pragma once

#include <QList>
#include <QString>

#include <optional>

namespace brimlark {

// The kinds of residual location, in display order. The title is the raw
// value and only ever shown; the id is what views key a category by.
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
QString id(ResidualCategory category);
QString title(ResidualCategory category);
QString systemIconName(ResidualCategory category);
QString accentColor(ResidualCategory category);
std::optional<ResidualCategory> fromId(const QString &id);
} // namespace ResidualCategories

} // namespace brimlark
