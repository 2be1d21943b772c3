#pragma once

#include "model/AppItem.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

QT_BEGIN_NAMESPACE
class QThreadPool;
QT_END_NAMESPACE

namespace brimlark {

// Finds application bundles: directories named "X.app" (the extension in
// lower case) directly inside the application folders. Only the file system
// is read, so a scan may run on any thread.
class AppScanner
{
public:
    static inline const QString otherCategory = QStringLiteral("Other");
    static inline const QString categoryKey = QStringLiteral("LSApplicationCategoryType");

    // <root>/Applications, <root>/System/Applications, ~/Applications.
    static QStringList applicationFolders();

    // Every bundle of the folders, in folder order and then by name within a
    // folder, sorted by name (localised, case-insensitive, stable). A folder
    // that cannot be listed adds nothing.
    static QList<AppItem> scan(const QStringList &folders);
    // The bundles of one folder, unsorted; its top level only.
    static QList<AppItem> scanFolder(const QString &folder);
    // The paths (as AppItem::id() gives them) of the bundles scan() finds,
    // in the order it finds them; only the folders are listed.
    static QStringList bundlePaths(const QStringList &folders);
    static AppItem itemForBundle(const QString &folder, const QString &entryName);

    // The display category of an "LSApplicationCategoryType" value: the last
    // dot-separated piece, each word capitalised; "Other" without a value
    // or when that piece is blank.
    static QString categoryFor(const std::optional<QString> &categoryType);

    // Stable sort by name under the user's collation.
    static void sortByName(QList<AppItem> &apps);

private:
    // Where the bundles of a folder are read.
    static QThreadPool *bundlePool();
};

} // namespace brimlark
