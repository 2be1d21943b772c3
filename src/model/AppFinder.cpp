#include "model/AppFinder.h"

#include "model/StoredJson.h"
#include "model/WorkspaceManager.h"
#include "platform/Defaults.h"
#include "platform/ListMove.h"
#include "platform/NameComparison.h"
#include "platform/NotificationCenter.h"
#include "platform/UuidText.h"

#include <QFile>
#include <QLocale>

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>

namespace brimlark {

namespace {

template <typename T> QVariantList variantList(const QList<T> &items)
{
    QVariantList out;
    out.reserve(items.size());
    for (const auto &item : items) {
        out << QVariant::fromValue(item);
    }
    return out;
}

QStringList sortedTexts(QStringList texts)
{
    texts.sort();
    return texts;
}

// Ranks of distinct texts under the name collation: texts that compare equal
// share a rank, so ordering by rank is ordering by collation, and a stable
// sort by rank keeps collation-equal texts in their given order.
QHash<QString, int> collationRanks(const QStringList &texts, const NameComparison &collation)
{
    QStringList distinct;
    distinct.reserve(texts.size());
    QSet<QString> seen;
    seen.reserve(texts.size());
    for (const auto &t : texts) {
        if (!seen.contains(t)) {
            seen.insert(t);
            distinct << t;
        }
    }
    std::vector<QCollatorSortKey> keys;
    keys.reserve(size_t(distinct.size()));
    for (const auto &t : distinct) {
        keys.push_back(collation.sortKey(t));
    }
    std::vector<int> order(size_t(distinct.size()));
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(
        order.begin(), order.end(), [&keys](int a, int b) { return keys[a].compare(keys[b]) < 0; });

    QHash<QString, int> ranks;
    ranks.reserve(distinct.size());
    int rank = -1;
    for (size_t i = 0; i < order.size(); ++i) {
        if (i == 0 || keys[order[i]].compare(keys[order[i - 1]]) != 0) {
            ++rank;
        }
        ranks.insert(distinct[order[i]], rank);
    }
    return ranks;
}

// The same ranks for texts that are already in collation order (a scan's
// names): neighbours are compared, and no sort key is built. Empty when the
// texts turn out not to be in order.
QHash<QString, int> orderedCollationRanks(const QStringList &texts, const NameComparison &collation)
{
    QHash<QString, int> ranks;
    ranks.reserve(texts.size());
    int rank = 0;
    for (qsizetype i = 0; i < texts.size(); ++i) {
        if (i > 0) {
            const int order = collation.compare(texts[i - 1], texts[i]);
            if (order > 0) {
                return {};
            }
            rank += order < 0 ? 1 : 0;
        }
        ranks.insert(texts[i], rank);
    }
    return ranks;
}

template <typename Text>
std::vector<int> ranksOf(const QList<AppItem> &apps, const QHash<QString, int> &table, Text text)
{
    std::vector<int> out;
    out.reserve(size_t(apps.size()));
    for (const auto &app : apps) {
        auto it = table.constFind(text(app));
        if (it == table.constEnd()) {
            // Not from the current scan: rank this list on its own.
            QStringList texts;
            texts.reserve(apps.size());
            for (const auto &a : apps) {
                texts << text(a);
            }
            const auto local = collationRanks(texts, NameComparison::shared());
            out.clear();
            for (const auto &a : apps) {
                out.push_back(local.value(text(a)));
            }
            return out;
        }
        out.push_back(*it);
    }
    return out;
}

QList<AppItem> inKeyOrder(const QList<AppItem> &apps, const std::vector<qint64> &keys)
{
    std::vector<qsizetype> order(size_t(apps.size()));
    std::iota(order.begin(), order.end(), qsizetype(0));
    std::stable_sort(
        order.begin(), order.end(), [&keys](qsizetype a, qsizetype b) { return keys[a] < keys[b]; });
    QList<AppItem> out;
    out.reserve(apps.size());
    for (qsizetype i : order) {
        out << apps[i];
    }
    return out;
}

// A stable top-down merge sort. Unlike std::sort and std::stable_sort it is
// well defined for any comparator, also one that is not a strict weak order
// (the newly-added order is not transitive), and it never compares an element
// with itself.
template <typename Less> void mergeSort(std::vector<int> &items, Less less)
{
    std::vector<int> buffer(items.size());
    std::function<void(size_t, size_t)> sortRange = [&](size_t begin, size_t end) {
        if (end - begin < 2) {
            return;
        }
        const size_t middle = begin + (end - begin) / 2;
        sortRange(begin, middle);
        sortRange(middle, end);
        size_t left = begin;
        size_t right = middle;
        size_t out = begin;
        while (left < middle && right < end) {
            // Take from the right only when it strictly goes first: stability.
            if (less(items[right], items[left])) {
                buffer[out++] = items[right++];
            } else {
                buffer[out++] = items[left++];
            }
        }
        while (left < middle) {
            buffer[out++] = items[left++];
        }
        while (right < end) {
            buffer[out++] = items[right++];
        }
        std::copy(buffer.begin() + qsizetype(begin), buffer.begin() + qsizetype(end),
            items.begin() + qsizetype(begin));
    };
    sortRange(0, items.size());
}

} // namespace

AppFinder::AppFinder(Defaults &defaults, WorkspaceManager &workspaces, NotificationCenter &center,
    Clock clock, FileDateReader fileDates, QObject *parent)
    : QObject(parent)
    , m_defaults(defaults)
    , m_workspaces(workspaces)
    , m_clock(std::move(clock))
    , m_fileDates(std::move(fileDates))
{
    loadHiddenApps();
    loadHiddenFolders();
    // Folders are stored whole: one saved before they were read (a folder
    // made or moved before the first scan publishes) would replace the
    // workspace's folders with just the new one.
    loadFolders();
    // The centre drops the observer with this object, so a switch that comes
    // after the catalog has gone does nothing.
    center.addObserver(
        Notifications::WorkspaceChanged, this, [this](const QVariant &) { reloadWorkspaceData(); });
}

AppFinder::AppFinder(QObject *parent)
    : AppFinder(Defaults::standard(), WorkspaceManager::shared(), NotificationCenter::defaultCenter(),
        systemClock, systemFileDates, parent)
{
}

AppFinder::~AppFinder() = default;

QDateTime AppFinder::systemClock()
{
    return QDateTime::currentDateTimeUtc();
}

std::optional<AppFinder::FileDates> AppFinder::systemFileDates(const QString &path)
{
    // One statx per item, and the times as UTC instants: QFileInfo hands out
    // local times, and every conversion of those looks up the time zone again,
    // which for a thousand applications was most of a publish.
    const QByteArray native = QFile::encodeName(path);
    struct statx status = {};
    if (::statx(AT_FDCWD, native.constData(), AT_STATX_SYNC_AS_STAT, STATX_BTIME | STATX_MTIME, &status)
        != 0) {
        // A symbolic link whose target is gone is there but has no dates.
        if (::statx(AT_FDCWD, native.constData(), AT_SYMLINK_NOFOLLOW, STATX_TYPE, &status) == 0
            && S_ISLNK(status.stx_mode)) {
            return FileDates {};
        }
        return std::nullopt;
    }
    auto date = [](const struct statx_timestamp &t) {
        return QDateTime::fromMSecsSinceEpoch(qint64(t.tv_sec) * 1000 + qint64(t.tv_nsec) / 1000000, Qt::UTC);
    };
    FileDates dates;
    if (status.stx_mask & STATX_BTIME) {
        dates.creation = date(status.stx_btime);
    }
    if (status.stx_mask & STATX_MTIME) {
        dates.modification = date(status.stx_mtime);
    }
    return dates;
}

AppFinder::ScanDetails AppFinder::prepareScan(const QList<AppItem> &apps, const FileDateReader &fileDates)
{
    ScanDetails details;
    if (fileDates) {
        details.fileDates.reserve(apps.size());
        for (const auto &app : apps) {
            details.fileDates.insert(app.id(), fileDates(app.id()));
        }
    }
    QStringList names;
    QStringList categories;
    names.reserve(apps.size());
    categories.reserve(apps.size());
    for (const auto &app : apps) {
        names << app.name();
        categories << app.category();
    }
    // A collator of this call's own: the shared one belongs to the main thread.
    const NameComparison collation { QLocale() };
    details.nameRanks = orderedCollationRanks(names, collation);
    if (details.nameRanks.isEmpty()) {
        details.nameRanks = collationRanks(names, collation);
    }
    details.categoryRanks = collationRanks(categories, collation);
    return details;
}

// ---- storage helpers

QString AppFinder::workspaceKey(const QString &base) const
{
    return m_workspaces.perWorkspaceKey(base);
}

QStringList AppFinder::storedStrings(const QString &key) const
{
    QStringList out;
    if (auto strings = m_defaults.stringArray(key.toStdString())) {
        out.reserve(qsizetype(strings->size()));
        for (const auto &s : *strings) {
            out << QString::fromStdString(s);
        }
    }
    return out;
}

void AppFinder::storeStrings(const QString &key, const QStringList &strings)
{
    std::vector<std::string> out;
    out.reserve(size_t(strings.size()));
    for (const auto &s : strings) {
        out.push_back(s.toStdString());
    }
    m_defaults.setStrings(key.toStdString(), out);
}

const AppItem *AppFinder::appForUrlText(const QString &text) const
{
    // An application's URL text is always a valid URL, so a stored text that
    // does not parse can never match one.
    auto it = m_indexByUrlText.constFind(text);
    return it == m_indexByUrlText.constEnd() ? nullptr : &m_apps[*it];
}

QList<AppItem> AppFinder::appsForUrlTexts(const QStringList &texts) const
{
    QList<AppItem> out;
    for (const auto &text : texts) {
        if (const AppItem *app = appForUrlText(text)) {
            out << *app;
        }
    }
    return out;
}

// ---- published state

void AppFinder::setApps(QList<AppItem> apps, const ScanDetails *details)
{
    m_apps = std::move(apps);
    m_indexByUrlText.clear();
    m_indexByUrlText.reserve(m_apps.size());
    for (qsizetype i = 0; i < m_apps.size(); ++i) {
        if (!m_indexByUrlText.contains(m_apps[i].urlText())) {
            m_indexByUrlText.insert(m_apps[i].urlText(), i);
        }
    }
    rebuildRanks(details);
    emit appsChanged();
    emit changed();
}

void AppFinder::setScanning(bool scanning)
{
    m_isScanning = scanning;
    emit isScanningChanged();
    emit changed();
}

void AppFinder::publishFolders()
{
    emit foldersChanged();
    emit changed();
}

void AppFinder::setFolders(QList<AppFolder> folders)
{
    m_folders = std::move(folders);
    publishFolders();
}

void AppFinder::setRecentFiles(QList<FileItem> files)
{
    m_recentFiles = std::move(files);
    emit recentFilesChanged();
    emit changed();
}

// ---- discovery

void AppFinder::scanApps()
{
    if (m_scanAppsHook) {
        m_scanAppsHook();
    }
}

void AppFinder::startMonitoring()
{
    if (m_startMonitoringHook) {
        m_startMonitoringHook();
    }
}

quint64 AppFinder::beginScan()
{
    ++m_scanGeneration;
    setScanning(true);
    return m_scanGeneration;
}

bool AppFinder::publishScan(const QList<AppItem> &apps, quint64 generation)
{
    return publish(apps, generation, nullptr);
}

bool AppFinder::publishScan(const QList<AppItem> &apps, quint64 generation, const ScanDetails &details)
{
    return publish(apps, generation, &details);
}

bool AppFinder::publish(const QList<AppItem> &apps, quint64 generation, const ScanDetails *details)
{
    // A slower, older scan must not overwrite a newer list, nor clear the
    // flag while the newer scan still runs.
    if (generation != m_scanGeneration) {
        return false;
    }
    setApps(apps, details);
    m_hasPublishedScan = true;
    if (m_iconPrefetchHook) {
        QStringList paths;
        paths.reserve(m_apps.size());
        for (const auto &app : std::as_const(m_apps)) {
            paths << app.id();
        }
        m_iconPrefetchHook(paths);
    }
    loadSortOption();
    updateNewlyAddedApps(details ? &details->fileDates : nullptr);
    loadRecents();
    loadFavorites();
    loadFolders();
    loadNewlyAdded();
    if (m_recentFilesHook) {
        m_recentFilesHook();
    }
    setScanning(false);
    return true;
}

void AppFinder::reloadWorkspaceData()
{
    loadSortOption();
    updateNewlyAddedApps();
    loadRecents();
    loadFavorites();
    loadFolders();
    loadNewlyAdded();
    emit changed();
}

// ---- hidden items

void AppFinder::loadHiddenApps()
{
    const QStringList stored = storedStrings(hiddenAppsKey);
    m_hiddenAppPaths = QSet<QString>(stored.begin(), stored.end());
    emit hiddenAppPathsChanged();
    emit changed();
}

void AppFinder::saveHiddenApps()
{
    storeStrings(hiddenAppsKey, hiddenAppPathList());
}

void AppFinder::hideApp(const AppItem &app)
{
    m_hiddenAppPaths.insert(app.id());
    emit hiddenAppPathsChanged();
    emit changed();
    saveHiddenApps();
    emit changed();
}

void AppFinder::unhideApp(const AppItem &app)
{
    m_hiddenAppPaths.remove(app.id());
    emit hiddenAppPathsChanged();
    emit changed();
    saveHiddenApps();
    emit changed();
}

QList<AppItem> AppFinder::getHiddenApps() const
{
    QList<AppItem> out;
    for (const auto &app : m_apps) {
        if (m_hiddenAppPaths.contains(app.id())) {
            out << app;
        }
    }
    return out;
}

void AppFinder::loadHiddenFolders()
{
    QSet<QUuid> ids;
    for (const auto &text : storedStrings(hiddenFoldersKey)) {
        if (auto id = UuidText::parse(text)) {
            ids.insert(*id);
        }
    }
    m_hiddenFolderIDs = std::move(ids);
    emit hiddenFolderIDsChanged();
    emit changed();
}

void AppFinder::saveHiddenFolders()
{
    storeStrings(hiddenFoldersKey, hiddenFolderIDList());
}

void AppFinder::hideFolder(const AppFolder &folder)
{
    m_hiddenFolderIDs.insert(folder.id);
    emit hiddenFolderIDsChanged();
    emit changed();
    saveHiddenFolders();
    emit changed();
}

void AppFinder::unhideFolder(const AppFolder &folder)
{
    m_hiddenFolderIDs.remove(folder.id);
    emit hiddenFolderIDsChanged();
    emit changed();
    saveHiddenFolders();
    emit changed();
}

// ---- recents and favourites

void AppFinder::addToRecents(const AppItem &app)
{
    const QString key = workspaceKey(recentAppsBase);
    QStringList recents = storedStrings(key);
    recents.removeOne(app.urlText());
    recents.prepend(app.urlText());
    if (recents.size() > maxRecentApps) {
        recents = recents.mid(0, maxRecentApps);
    }
    storeStrings(key, recents);
    loadRecents();
}

void AppFinder::toggleFavorite(const AppItem &app)
{
    const QString key = workspaceKey(favoriteAppsBase);
    QStringList favorites = storedStrings(key);
    if (!favorites.removeOne(app.urlText())) {
        favorites.append(app.urlText());
    }
    storeStrings(key, favorites);
    loadFavorites();
}

bool AppFinder::isFavorite(const AppItem &app) const
{
    return storedStrings(workspaceKey(favoriteAppsBase)).contains(app.urlText());
}

void AppFinder::loadRecents()
{
    m_recentApps = appsForUrlTexts(storedStrings(workspaceKey(recentAppsBase)));
    emit recentAppsChanged();
    emit changed();
}

void AppFinder::loadFavorites()
{
    m_favoriteApps = appsForUrlTexts(storedStrings(workspaceKey(favoriteAppsBase)));
    emit favoriteAppsChanged();
    emit changed();
}

// ---- folders

qsizetype AppFinder::folderIndex(const QUuid &id) const
{
    for (qsizetype i = 0; i < m_folders.size(); ++i) {
        if (m_folders[i].id == id) {
            return i;
        }
    }
    return -1;
}

QUuid AppFinder::createFolder(const QString &name, const QString &icon, const QString &color,
    const std::optional<QUuid> &parentFolderID)
{
    qint64 sortOrder = 0;
    if (!m_folders.isEmpty()) {
        qint64 highest = std::numeric_limits<qint64>::min();
        for (const auto &f : std::as_const(m_folders)) {
            highest = std::max(highest, f.sortOrder);
        }
        // Saturate: a hand-edited order at the largest value must not wrap
        // round to the smallest and put the new folder first.
        sortOrder = highest == std::numeric_limits<qint64>::max() ? highest : highest + 1;
    }
    AppFolder folder;
    folder.id = QUuid::createUuid();
    folder.name = name;
    folder.icon = icon;
    folder.color = color;
    folder.parentFolderID = parentFolderID;
    folder.createdAt = m_clock();
    folder.sortOrder = sortOrder;
    m_folders.prepend(folder);
    publishFolders();
    saveFolders();
    sortFolders();
    return folder.id;
}

void AppFinder::deleteFolder(const AppFolder &folder)
{
    if (folderIndex(folder.id) < 0) {
        return;
    }
    m_folders.removeIf([&folder](const AppFolder &f) { return f.id == folder.id; });
    publishFolders();
    saveFolders();
}

void AppFinder::renameFolder(const AppFolder &folder, const QString &newName)
{
    const qsizetype i = folderIndex(folder.id);
    if (i < 0) {
        return;
    }
    m_folders[i].name = newName;
    publishFolders();
    saveFolders();
}

void AppFinder::togglePinFolder(const AppFolder &folder)
{
    const qsizetype i = folderIndex(folder.id);
    if (i < 0) {
        return;
    }
    m_folders[i].isPinned = !m_folders[i].isPinned;
    publishFolders();
    saveFolders();
    sortFolders();
}

void AppFinder::sortFolders()
{
    std::stable_sort(m_folders.begin(), m_folders.end(), [](const AppFolder &a, const AppFolder &b) {
        if (a.isPinned != b.isPinned) {
            return a.isPinned;
        }
        if (a.sortOrder != b.sortOrder) {
            return a.sortOrder < b.sortOrder;
        }
        return a.createdAt > b.createdAt;
    });
    publishFolders();
}

void AppFinder::reorderFolders(const std::set<int> &source, int destination)
{
    QList<AppFolder> roots = getRootFolders();
    ListMove::apply(roots, source, destination);
    for (qsizetype position = 0; position < roots.size(); ++position) {
        const qsizetype i = folderIndex(roots[position].id);
        if (i >= 0) {
            m_folders[i].sortOrder = position;
            publishFolders();
        }
    }
    saveFolders();
    sortFolders();
    publishFolders();
}

void AppFinder::addAppToFolder(const AppItem &app, const AppFolder &folder)
{
    const qsizetype i = folderIndex(folder.id);
    if (i < 0 || m_folders[i].appURLs.contains(app.urlText())) {
        return;
    }
    m_folders[i].appURLs.append(app.urlText());
    publishFolders();
    saveFolders();
    publishFolders();
}

void AppFinder::removeAppFromFolder(const AppItem &app, const AppFolder &folder)
{
    const qsizetype i = folderIndex(folder.id);
    if (i < 0) {
        return;
    }
    m_folders[i].appURLs.removeAll(app.urlText());
    publishFolders();
    saveFolders();
    publishFolders();
}

void AppFinder::reorderAppsInFolder(const AppFolder &folder, const std::set<int> &source, int destination)
{
    const qsizetype i = folderIndex(folder.id);
    if (i < 0) {
        return;
    }
    ListMove::apply(m_folders[i].appURLs, source, destination);
    publishFolders();
    saveFolders();
    publishFolders();
}

QList<AppItem> AppFinder::getAppsInFolder(const AppFolder &folder) const
{
    return appsForUrlTexts(folder.appURLs);
}

QList<AppFolder> AppFinder::getChildFolders(const QUuid &parentID) const
{
    QList<AppFolder> out;
    for (const auto &f : m_folders) {
        if (f.parentFolderID && *f.parentFolderID == parentID && !m_hiddenFolderIDs.contains(f.id)) {
            out << f;
        }
    }
    return out;
}

QList<AppFolder> AppFinder::getRootFolders() const
{
    QList<AppFolder> out;
    for (const auto &f : m_folders) {
        if (!f.parentFolderID && !m_hiddenFolderIDs.contains(f.id)) {
            out << f;
        }
    }
    return out;
}

void AppFinder::setFolderColor(const AppFolder &folder, const QString &color)
{
    const qsizetype i = folderIndex(folder.id);
    if (i < 0) {
        return;
    }
    m_folders[i].color = color;
    publishFolders();
    saveFolders();
    publishFolders();
}

void AppFinder::setFolderIcon(const AppFolder &folder, const QString &icon)
{
    const qsizetype i = folderIndex(folder.id);
    if (i < 0) {
        return;
    }
    m_folders[i].icon = icon;
    publishFolders();
    saveFolders();
    publishFolders();
}

void AppFinder::saveFolders()
{
    auto json = nlohmann::ordered_json::array();
    for (const auto &f : std::as_const(m_folders)) {
        json.push_back(f.toJson());
    }
    StoredJson::write(m_defaults, workspaceKey(foldersBase), json);
}

void AppFinder::loadFolders()
{
    // Undecodable data is kept aside by StoredJson before any save replaces it.
    auto stored
        = StoredJson::readList<AppFolder>(m_defaults, workspaceKey(foldersBase), &AppFolder::fromJson);
    if (!stored) {
        m_folders.clear();
        publishFolders();
        return;
    }
    m_folders = QList<AppFolder>(stored->begin(), stored->end());
    publishFolders();
    sortFolders();
}

// ---- unified grid order

QList<GridItemIdentifier> AppFinder::getUnifiedGridOrder() const
{
    QList<GridItemIdentifier> out;
    for (const auto &text : storedStrings(workspaceKey(unifiedGridOrderBase))) {
        if (auto item = GridItemIdentifier::fromString(text)) {
            out << *item;
        }
    }
    return out;
}

void AppFinder::reorderUnifiedItems(
    const std::set<int> &source, int destination, const QList<GridItemIdentifier> &currentItems)
{
    QList<GridItemIdentifier> items = currentItems;
    ListMove::apply(items, source, destination);
    QStringList texts;
    texts.reserve(items.size());
    for (const auto &item : std::as_const(items)) {
        texts << item.stringRepresentation();
    }
    storeStrings(workspaceKey(unifiedGridOrderBase), texts);
    for (qsizetype position = 0; position < items.size(); ++position) {
        if (!items[position].isFolder()) {
            continue;
        }
        const qsizetype i = folderIndex(items[position].folderId());
        if (i >= 0) {
            m_folders[i].sortOrder = position;
            publishFolders();
        }
    }
    saveFolders();
    emit changed();
}

// ---- search

QList<AppItem> AppFinder::searchApps(const QString &query) const
{
    if (query.isEmpty()) {
        return {};
    }
    // Candidates are every application and then the applications of the
    // pinned and of all folders; folder members are entries of apps, so after
    // keeping the first candidate per path the scanned list alone remains.
    QList<AppItem> matches;
    QSet<QString> seen;
    seen.reserve(m_apps.size());
    for (const auto &app : m_apps) {
        if (seen.contains(app.id())) {
            continue;
        }
        seen.insert(app.id());
        if (m_hiddenAppPaths.contains(app.id())) {
            continue;
        }
        if (app.name().contains(query, Qt::CaseInsensitive)
            || app.category().contains(query, Qt::CaseInsensitive)) {
            matches << app;
        }
    }

    const auto &collation = NameComparison::shared();
    const QString lowerQuery = query.toLower();
    const std::vector<int> ranks = ranksOf(matches, m_nameRank, [](const AppItem &a) { return a.name(); });
    std::vector<qint64> keys;
    keys.reserve(size_t(matches.size()));
    for (qsizetype i = 0; i < matches.size(); ++i) {
        const QString &name = matches[i].name();
        const bool exact = collation.compare(name, query) == 0;
        const bool prefix
            = name.contains(query, Qt::CaseInsensitive) && name.toLower().startsWith(lowerQuery);
        const qint64 group = exact ? 0 : (prefix ? 1 : 2);
        keys.push_back((group << 32) + ranks[size_t(i)]);
    }
    return inKeyOrder(matches, keys);
}

QList<AppItem> AppFinder::getSearchSuggestions(const QString &query) const
{
    if (query.isEmpty()) {
        return {};
    }
    return searchApps(query).mid(0, maxSearchSuggestions);
}

QList<AppItem> AppFinder::getRecentAppsForSearch() const
{
    return m_recentApps.mid(0, maxRecentAppsForSearch);
}

// ---- sort order

void AppFinder::setAllAppsSortOption(AppSortOption option)
{
    m_allAppsSortOption = option;
    emit allAppsSortOptionChanged();
    emit changed();
    saveSortOption();
}

void AppFinder::saveSortOption()
{
    m_defaults.set(allAppsSortKey.toStdString(), AppSortOptions::text(m_allAppsSortOption).toStdString());
}

void AppFinder::loadSortOption()
{
    auto text = m_defaults.string(allAppsSortKey.toStdString());
    if (!text) {
        return;
    }
    if (auto option = AppSortOptions::fromText(QString::fromStdString(*text))) {
        m_allAppsSortOption = *option;
        emit allAppsSortOptionChanged();
        emit changed();
    }
}

void AppFinder::rebuildRanks(const ScanDetails *details)
{
    auto covers = [this](const QHash<QString, int> &ranks, auto text) {
        for (const auto &app : std::as_const(m_apps)) {
            if (!ranks.contains(text(app))) {
                return false;
            }
        }
        return true;
    };
    const auto name = [](const AppItem &a) -> const QString & { return a.name(); };
    const auto category = [](const AppItem &a) -> const QString & { return a.category(); };
    if (details && covers(details->nameRanks, name) && covers(details->categoryRanks, category)) {
        m_nameRank = details->nameRanks;
        m_categoryRank = details->categoryRanks;
        return;
    }
    QStringList names;
    QStringList categories;
    names.reserve(m_apps.size());
    categories.reserve(m_apps.size());
    for (const auto &app : std::as_const(m_apps)) {
        names << app.name();
        categories << app.category();
    }
    m_nameRank = collationRanks(names, NameComparison::shared());
    m_categoryRank = collationRanks(categories, NameComparison::shared());
}

std::vector<int> AppFinder::nameRanks(const QList<AppItem> &apps) const
{
    return ranksOf(apps, m_nameRank, [](const AppItem &a) { return a.name(); });
}

std::vector<int> AppFinder::categoryRanks(const QList<AppItem> &apps) const
{
    return ranksOf(apps, m_categoryRank, [](const AppItem &a) { return a.category(); });
}

QList<AppItem> AppFinder::getSortedApps(const QList<AppItem> &apps) const
{
    // Every option is a stable sort by one integer key derived from the
    // collation ranks of the current scan, so no text is compared here.
    std::vector<qint64> keys;
    keys.reserve(size_t(apps.size()));
    switch (m_allAppsSortOption) {
    case AppSortOption::nameAscending:
        for (int rank : nameRanks(apps)) {
            keys.push_back(rank);
        }
        break;
    case AppSortOption::nameDescending:
        for (int rank : nameRanks(apps)) {
            keys.push_back(-qint64(rank));
        }
        break;
    case AppSortOption::category:
        for (int rank : categoryRanks(apps)) {
            keys.push_back(rank);
        }
        break;
    case AppSortOption::recentlyUsed: {
        QSet<QString> recent;
        for (const auto &app : m_recentApps) {
            recent.insert(app.urlText());
        }
        const std::vector<int> ranks = nameRanks(apps);
        for (qsizetype i = 0; i < apps.size(); ++i) {
            const qint64 group = recent.contains(apps[i].urlText()) ? 0 : 1;
            keys.push_back((group << 32) + ranks[size_t(i)]);
        }
        break;
    }
    }
    return inKeyOrder(apps, keys);
}

// ---- newly added applications

void AppFinder::updateNewlyAddedApps(const QHash<QString, std::optional<FileDates>> *scanDates)
{
    // Before the first scan has published there is no application list, and
    // pruning the first-seen dates against it would drop every stamp: each
    // application would then count as newly added again for 30 days.
    if (!m_hasPublishedScan) {
        return;
    }
    const QDateTime now = m_clock();
    const double nowSeconds = double(now.toMSecsSinceEpoch()) / 1000.0;
    const double startSeconds = nowSeconds - double(newlyAddedWindowSeconds);
    const QDateTime start = now.addSecs(-newlyAddedWindowSeconds);

    QHash<QString, double> firstSeen;
    firstSeen.reserve(m_apps.size());
    if (auto stored = m_defaults.dictionary(firstSeenDatesKey.toStdString())) {
        bool numbers = true;
        for (const auto &[key, value] : *stored) {
            if (const double *real = value.asReal()) {
                firstSeen.insert(QString::fromStdString(key), *real);
            } else if (const std::int64_t *integer = value.asInteger()) {
                firstSeen.insert(QString::fromStdString(key), double(*integer));
            } else {
                numbers = false;
                break;
            }
        }
        if (!numbers) {
            firstSeen.clear();
        }
    }

    bool changedDates = false;
    // The URL texts of the scanned applications are the keys of m_indexByUrlText.
    for (const auto &app : std::as_const(m_apps)) {
        if (!firstSeen.contains(app.urlText())) {
            firstSeen.insert(app.urlText(), nowSeconds);
            changedDates = true;
        }
    }
    for (auto it = firstSeen.begin(); it != firstSeen.end();) {
        if (!m_indexByUrlText.contains(it.key())) {
            it = firstSeen.erase(it);
            changedDates = true;
        } else {
            ++it;
        }
    }
    if (changedDates) {
        DefaultsValue::Dictionary dictionary;
        for (auto it = firstSeen.cbegin(); it != firstSeen.cend(); ++it) {
            dictionary.emplace(it.key().toStdString(), DefaultsValue(it.value()));
        }
        m_defaults.set(firstSeenDatesKey.toStdString(), DefaultsValue(std::move(dictionary)));
    }

    // Each application's file dates are read at most once per update, and
    // turned into instants once: comparing QDateTimes of a local time converts
    // them again at every comparison.
    constexpr qint64 distantPast = std::numeric_limits<qint64>::min();
    struct Candidate
    {
        qsizetype index = 0;
        double stamp = 0;
        bool datesRead = false;
        // Creation date, else modification date; none: the test of the window fails.
        std::optional<qint64> windowDateMs;
        // Creation date; the most distant past when it cannot be read or is missing.
        qint64 creationMs = distantPast;
    };
    auto instant = [](const std::optional<QDateTime> &date) -> std::optional<qint64> {
        if (!date || !date->isValid()) {
            return std::nullopt;
        }
        return date->toMSecsSinceEpoch();
    };
    std::vector<Candidate> candidates;
    candidates.reserve(size_t(m_apps.size()));
    auto readDates = [&](Candidate &c) {
        if (c.datesRead) {
            return;
        }
        c.datesRead = true;
        const QString &path = m_apps[c.index].id();
        std::optional<FileDates> dates;
        bool handedIn = false;
        if (scanDates) {
            const auto it = scanDates->constFind(path);
            if (it != scanDates->constEnd()) {
                dates = *it;
                handedIn = true;
            }
        }
        if (!handedIn && m_fileDates) {
            dates = m_fileDates(path);
        }
        if (!dates) {
            return;
        }
        // The modification date counts only when there is no creation date.
        c.windowDateMs = dates->creation ? instant(dates->creation) : instant(dates->modification);
        c.creationMs = instant(dates->creation).value_or(distantPast);
    };

    const qint64 startMs = start.toMSecsSinceEpoch();
    std::vector<int> kept;
    for (qsizetype i = 0; i < m_apps.size(); ++i) {
        Candidate &c = candidates.emplace_back();
        c.index = i;
        c.stamp = firstSeen.value(m_apps[i].urlText(), 0.0);
        bool passes = c.stamp >= startSeconds;
        if (!passes) {
            readDates(c);
            passes = c.windowDateMs && *c.windowDateMs >= startMs;
        }
        if (passes) {
            kept.push_back(int(candidates.size() - 1));
        }
    }

    auto creationMs = [&](int k) -> qint64 {
        Candidate &c = candidates[size_t(k)];
        readDates(c);
        return c.creationMs;
    };
    mergeSort(kept, [&](int a, int b) {
        const double fa = candidates[size_t(a)].stamp;
        const double fb = candidates[size_t(b)].stamp;
        if (std::fabs(fa - fb) > 1.0) {
            return fa > fb;
        }
        return creationMs(a) > creationMs(b);
    });

    QList<AppItem> newlyAdded;
    newlyAdded.reserve(qsizetype(kept.size()));
    for (int k : kept) {
        newlyAdded << m_apps[candidates[size_t(k)].index];
    }
    m_newlyAddedApps = std::move(newlyAdded);
    emit newlyAddedAppsChanged();
    emit changed();
    saveNewlyAdded();
}

void AppFinder::saveNewlyAdded()
{
    QStringList texts;
    texts.reserve(m_newlyAddedApps.size());
    for (const auto &app : std::as_const(m_newlyAddedApps)) {
        texts << app.urlText();
    }
    // Every publish lands here; a stored domain rewrites its whole file with
    // an fsync on each change, so the same list is not written again.
    const auto stored = m_defaults.stringArray(newlyAddedKey.toStdString());
    if (stored && qsizetype(stored->size()) == texts.size()
        && std::equal(stored->begin(), stored->end(), texts.begin(),
            [](const std::string &a, const QString &b) { return QString::fromStdString(a) == b; })) {
        return;
    }
    storeStrings(newlyAddedKey, texts);
}

void AppFinder::loadNewlyAdded()
{
    m_newlyAddedApps = appsForUrlTexts(storedStrings(newlyAddedKey));
    emit newlyAddedAppsChanged();
    emit changed();
}

// ---- QML adapters

QVariantList AppFinder::appList() const
{
    return variantList(m_apps);
}

QVariantList AppFinder::recentAppList() const
{
    return variantList(m_recentApps);
}

QVariantList AppFinder::favoriteAppList() const
{
    return variantList(m_favoriteApps);
}

QVariantList AppFinder::folderList() const
{
    return variantList(m_folders);
}

QVariantList AppFinder::recentFileList() const
{
    return variantList(m_recentFiles);
}

QVariantList AppFinder::newlyAddedAppList() const
{
    return variantList(m_newlyAddedApps);
}

QString AppFinder::allAppsSortOptionText() const
{
    return AppSortOptions::text(m_allAppsSortOption);
}

void AppFinder::setAllAppsSortOptionText(const QString &text)
{
    if (auto option = AppSortOptions::fromText(text)) {
        setAllAppsSortOption(*option);
    }
}

QStringList AppFinder::hiddenAppPathList() const
{
    return sortedTexts(QStringList(m_hiddenAppPaths.begin(), m_hiddenAppPaths.end()));
}

QStringList AppFinder::hiddenFolderIDList() const
{
    QStringList texts;
    for (const auto &id : m_hiddenFolderIDs) {
        texts << UuidText::format(id);
    }
    return sortedTexts(texts);
}

} // namespace brimlark
