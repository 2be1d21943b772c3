#pragma once

#include "model/AppItem.h"
#include "platform/core/BundleUrl.h"

#include <QStringList>

namespace brimlark::test {

// An application of the catalog: the bundle <folder>/<name>.app. Header-only:
// only the layers that link the model use it.
inline AppItem app(const QString &name, const QString &category = QStringLiteral("Other"),
    const QString &folder = QStringLiteral("/Applications"))
{
    return AppItem(name, BundleUrl::directoryUrl(folder + u'/' + name + QStringLiteral(".app")), category);
}

// The applications' names, in order.
inline QStringList names(const QList<AppItem> &apps)
{
    QStringList out;
    for (const auto &a : apps) {
        out << a.name();
    }
    return out;
}

} // namespace brimlark::test
