#pragma once

#include "model/AppItem.h"
#include "model/NewlyAddedTracker.h"

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
    // that cannot be listed adds nothing. With `dates`, each bundle's file
    // dates (as AppFinder::systemFileDates() gives them) go there under its
    // id, from the look at the bundle the scan makes anyway.
    static QList<AppItem> scan(const QStringList &folders, NewlyAddedTracker::ScanDates *dates = nullptr);
    // The bundles of one folder, unsorted; its top level only.
    static QList<AppItem> scanFolder(const QString &folder);
    static AppItem itemForBundle(const QString &folder, const QString &entryName,
        std::optional<NewlyAddedTracker::FileDates> *dates = nullptr);

    // The display category of an "LSApplicationCategoryType" value: the last
    // dot-separated piece, each word capitalised; "Other" without a value
    // or when that piece is blank.
    static QString categoryFor(const std::optional<QString> &categoryType);

    // Stable sort by name under the user's collation.
    static void sortByName(QList<AppItem> &apps);

private:
    struct Found
    {
        AppItem item;
        std::optional<NewlyAddedTracker::FileDates> dates;
    };
    static QList<Found> scanEntries(const QString &folder, bool withDates);
    // Where the bundles of a folder are read.
    static QThreadPool *bundlePool();
};

} // namespace brimlark
