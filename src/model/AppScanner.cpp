#include "model/AppScanner.h"

#include "platform/base/SystemPaths.h"
#include "platform/core/Bundle.h"
#include "platform/core/BundleUrl.h"
#include "platform/core/NameComparison.h"

#include <QFile>
#include <QLocale>
#include <QMutex>
#include <QSet>
#include <QThread>
#include <QThreadPool>
#include <QtConcurrent/QtConcurrentMap>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <numeric>
#include <string_view>
#include <utility>
#include <vector>

namespace brimlark {

namespace {
const QString appExtension = QStringLiteral(".app");

// Applications of one category share one copy of its name, not one each.
// Bounded by the categories the installed bundles name.
QString sharedCategory(const QString &name)
{
    static QMutex mutex;
    static QSet<QString> known;
    const QMutexLocker lock(&mutex);
    const auto found = known.constFind(name);
    if (found != known.cend()) {
        return *found;
    }
    known.insert(name);
    return name;
}

QString capitalised(const QString &text)
{
    // A word is a run of letters and digits; anything else separates words
    // ("developer-tools" gives "Developer-Tools").
    QString out;
    out.reserve(text.size());
    bool inWord = false;
    for (const QChar c : text) {
        if (c.isLetterOrNumber()) {
            out += inWord ? c.toLower() : c.toUpper();
            inWord = true;
        } else {
            out += c;
            inWord = false;
        }
    }
    return out;
}

QString entryPath(const QString &folder, const QString &entryName)
{
    return folder == u"/" ? u'/' + entryName : folder + u'/' + entryName;
}

// The bundle entries of one folder, top level only.
QStringList bundleNames(const QString &folder)
{
    // Hidden entries are left out; symbolic links to bundles count as bundles.
    // Read straight from the directory: the listing has the entries' types,
    // so only links need a look of their own, and ten thousand entries take
    // a few milliseconds, not tens. Code-point order keeps the listing the
    // same from scan to scan without a collation here; the name sort after
    // the scan is the one that counts.
    QStringList entries;
    DIR *dir = ::opendir(QFile::encodeName(folder).constData());
    if (!dir) {
        return entries;
    }
    while (const dirent *entry = ::readdir(dir)) {
        const std::string_view name(entry->d_name);
        if (name.starts_with('.') || name.size() <= size_t(appExtension.size()) || !name.ends_with(".app")) {
            continue;
        }
        bool isFolder = entry->d_type == DT_DIR;
        if (entry->d_type == DT_LNK || entry->d_type == DT_UNKNOWN) {
            struct stat status = {};
            isFolder = ::fstatat(::dirfd(dir), entry->d_name, &status, 0) == 0 && S_ISDIR(status.st_mode);
        }
        if (isFolder) {
            entries << QFile::decodeName(entry->d_name);
        }
    }
    ::closedir(dir);
    std::sort(entries.begin(), entries.end());
    return entries;
}

} // namespace

QStringList AppScanner::applicationFolders()
{
    QStringList out;
    for (const std::string &folder : SystemPaths::applicationDirectories()) {
        out << QString::fromStdString(folder);
    }
    return out;
}

QString AppScanner::categoryFor(const std::optional<QString> &categoryType)
{
    if (!categoryType) {
        return otherCategory;
    }
    const qsizetype dot = categoryType->lastIndexOf(u'.');
    const QString name = capitalised(dot < 0 ? *categoryType : categoryType->mid(dot + 1));
    // "" or "public.app-category." name no category: a card needs a title.
    return name.trimmed().isEmpty() ? otherCategory : sharedCategory(name);
}

AppItem AppScanner::itemForBundle(
    const QString &folder, const QString &entryName, std::optional<NewlyAddedTracker::FileDates> *dates)
{
    const QString path = entryPath(folder, entryName);
    // The listing already said a directory is there.
    const Bundle bundle = Bundle::openListed(path);
    const Bundle::Survey survey = bundle.survey();
    const QString category = categoryFor(bundle.stringForInfoKey(categoryKey));
    const bool awaitsFiles = !bundle.hasInfo() || !survey.iconFile;
    AppItem item(entryName.left(entryName.size() - appExtension.size()), BundleUrl::directoryUrl(path),
        category, survey.iconStamp, awaitsFiles);
    if (dates) {
        *dates = survey.status.stx_mask ? NewlyAddedTracker::fileDatesOf(survey.status)
                                        : NewlyAddedTracker::systemFileDates(item.id());
    }
    return item;
}

QList<AppScanner::Found> AppScanner::scanEntries(const QString &folder, bool withDates)
{
    // Each bundle is a few small reads waiting on the file system; spread
    // over a pool (the calling thread takes part), a large folder comes in
    // several times sooner. The order stays the listing's.
    const QStringList names = bundleNames(folder);
    return QtConcurrent::blockingMapped<QList<Found>>(
        bundlePool(), names, [&folder, withDates](const QString &name) {
            Found found;
            found.item = itemForBundle(folder, name, withDates ? &found.dates : nullptr);
            return found;
        });
}

QList<AppItem> AppScanner::scanFolder(const QString &folder)
{
    QList<AppItem> out;
    for (Found &found : scanEntries(folder, false)) {
        out.append(std::move(found.item));
    }
    return out;
}

QThreadPool *AppScanner::bundlePool()
{
    // A start scans while the window is made: with every core reading
    // bundles, the GUI thread, the QML loader and the render thread waited
    // their turn. Half the cores, the scan's own thread among them, leave
    // them theirs. Never destroyed: a scan still running at exit keeps it.
    static QThreadPool *const pool = [] {
        auto *made = new QThreadPool;
        made->setMaxThreadCount(std::max(1, QThread::idealThreadCount() / 2 - 1));
        return made;
    }();
    return pool;
}

QList<AppItem> AppScanner::scan(const QStringList &folders, NewlyAddedTracker::ScanDates *dates)
{
    QList<AppItem> out;
    for (const QString &folder : folders) {
        QList<Found> found = scanEntries(folder, dates != nullptr);
        out.reserve(out.size() + found.size());
        if (dates) {
            dates->reserve(dates->size() + found.size());
        }
        for (Found &one : found) {
            if (dates) {
                dates->insert(one.item.id(), std::move(one.dates));
            }
            out.append(std::move(one.item));
        }
    }
    sortByName(out);
    return out;
}

void AppScanner::sortByName(QList<AppItem> &apps)
{
    // A collator of this scan's own (scans run on pool threads). Comparing
    // names directly beats building a sort key per name: the collator's fast
    // path stops at the first difference, a key covers the whole name.
    const NameComparison comparison { QLocale() };
    std::vector<qsizetype> order(size_t(apps.size()));
    std::iota(order.begin(), order.end(), qsizetype(0));
    std::stable_sort(order.begin(), order.end(), [&apps, &comparison](qsizetype a, qsizetype b) {
        return comparison.compare(apps[a].name(), apps[b].name()) < 0;
    });
    QList<AppItem> sorted;
    sorted.reserve(apps.size());
    for (qsizetype i : order) {
        sorted.append(std::move(apps[i]));
    }
    apps = std::move(sorted);
}

} // namespace brimlark
