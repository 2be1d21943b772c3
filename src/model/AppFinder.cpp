#include "model/AppFinder.h"

#include "model/WorkspaceManager.h"
#include "platform/base/Defaults.h"
#include "platform/core/NotificationCenter.h"

#include <QLocale>
#include <QPointer>

namespace brimlark {

AppFinder::AppFinder(Defaults &defaults, WorkspaceManager &workspaces, NotificationCenter &center,
    Clock clock, FileDateReader fileDates, QObject *parent)
    : QObject(parent)
    , m_defaults(defaults)
    , m_collation(QLocale())
    , m_hidden(defaults)
    , m_lists(defaults, workspaces)
    , m_folders(defaults, workspaces, clock)
    , m_newlyAdded(defaults, clock, std::move(fileDates))
{
    // Folders are stored whole: one saved before they were read (a folder
    // made or moved before the first scan publishes) would replace the
    // workspace's folders with just the new one.
    m_folders.load();
    // The centre drops the observer with this object, so a switch that comes
    // after the catalog has gone does nothing.
    center.addObserver(
        Notifications::WorkspaceChanged, this, [this](const QVariant &) { reloadWorkspaceData(); });
}

AppFinder::~AppFinder() = default;

void AppFinder::announce(unsigned touched)
{
    ChangeBatch::emitTouched(*this, touched,
        {
            { Apps, &AppFinder::appsChanged },
            { SortOption, &AppFinder::allAppsSortOptionChanged },
            { NewlyAdded, &AppFinder::newlyAddedAppsChanged },
            { Recents, &AppFinder::recentAppsChanged },
            { Favorites, &AppFinder::favoriteAppsChanged },
            { Folders, &AppFinder::foldersChanged },
            { RecentFiles, &AppFinder::recentFilesChanged },
            { HiddenApps, &AppFinder::hiddenAppPathsChanged },
            { HiddenFolders, &AppFinder::hiddenFolderIDsChanged },
            { Scanning, &AppFinder::isScanningChanged },
        },
        &AppFinder::changed);
}

QDateTime AppFinder::systemClock()
{
    return QDateTime::currentDateTimeUtc();
}

std::optional<AppFinder::FileDates> AppFinder::systemFileDates(const QString &path)
{
    return NewlyAddedTracker::systemFileDates(path);
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
    // A collator of this call's own: the catalog's belongs to the main thread.
    auto ranks = CatalogOrdering::Ranks::of(apps, NameComparison { QLocale() });
    details.nameRanks = std::move(ranks.names);
    details.categoryRanks = std::move(ranks.categories);
    details.foldedNames = FoldedNames(apps);
    details.urlTextIndex = UrlTextIndex(apps);
    details.preparedFrom = apps;
    return details;
}

QList<AppItem> AppFinder::appsForUrlTexts(const QStringList &texts) const
{
    // An application's URL text is always a valid URL, so a stored text that
    // does not parse can never match one.
    QList<AppItem> out;
    for (const auto &text : texts) {
        const qsizetype index = m_indexByUrlText.indexOf(text);
        if (index >= 0) {
            out << m_apps[index];
        }
    }
    return out;
}

std::optional<AppFolder> AppFinder::folder(const QUuid &id) const
{
    const AppFolder *found = m_folders.find(id);
    return found ? std::optional<AppFolder>(*found) : std::nullopt;
}

// ---- published state

void AppFinder::setApps(QList<AppItem> apps, const ScanDetails *details)
{
    // An update left for later was worked out against the list it found.
    settleNewlyAdded();
    // A copy of the list the details were worked out from shares its items'
    // array: what was made from that list is taken as it is.
    const bool prepared = details && !apps.isEmpty() && details->preparedFrom.constData() == apps.constData()
        && details->preparedFrom.size() == apps.size();
    m_apps = std::move(apps);
    m_indexByUrlText = prepared ? details->urlTextIndex : UrlTextIndex(m_apps);
    CatalogOrdering::Ranks handedIn;
    if (details) {
        handedIn.names = details->nameRanks;
        handedIn.categories = details->categoryRanks;
    }
    m_ranks = details && (prepared || handedIn.covers(m_apps))
        ? std::move(handedIn)
        : CatalogOrdering::Ranks::of(m_apps, m_collation);
    m_foldedNames = prepared ? details->foldedNames : FoldedNames(m_apps);
    touch(Apps);
}

void AppFinder::setRecentFiles(QList<FileItem> files)
{
    const ChangeBatch::Scope operation(m_changes);
    m_recentFiles = std::move(files);
    touch(RecentFiles);
}

// ---- scans

quint64 AppFinder::beginScan()
{
    const ChangeBatch::Scope operation(m_changes);
    ++m_scanGeneration;
    m_isScanning = true;
    touch(Scanning);
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
    const ChangeBatch::Scope operation(m_changes);
    setApps(apps, details);
    m_hasPublishedScan = true;
    loadSortOption();
    updateNewlyAddedApps(details ? &details->fileDates : nullptr);
    loadRecents();
    loadFavorites();
    loadFolders();
    m_isScanning = false;
    touch(Scanning);
    return true;
}

void AppFinder::reloadWorkspaceData()
{
    const ChangeBatch::Scope operation(m_changes);
    loadSortOption();
    updateNewlyAddedApps();
    loadRecents();
    loadFavorites();
    loadFolders();
    touch(Refilter);
}

// ---- hidden items

void AppFinder::hideApp(const AppItem &app)
{
    const ChangeBatch::Scope operation(m_changes);
    m_hidden.setAppHidden(app.id(), true);
    touch(HiddenApps);
}

void AppFinder::unhideApp(const AppItem &app)
{
    const ChangeBatch::Scope operation(m_changes);
    m_hidden.setAppHidden(app.id(), false);
    touch(HiddenApps);
}

QList<AppItem> AppFinder::getHiddenApps() const
{
    QList<AppItem> out;
    for (const auto &app : m_apps) {
        if (m_hidden.appPaths().contains(app.id())) {
            out << app;
        }
    }
    return out;
}

void AppFinder::hideFolder(const AppFolder &folder)
{
    const ChangeBatch::Scope operation(m_changes);
    m_hidden.setFolderHidden(folder.id, true);
    touch(HiddenFolders);
}

void AppFinder::unhideFolder(const AppFolder &folder)
{
    const ChangeBatch::Scope operation(m_changes);
    m_hidden.setFolderHidden(folder.id, false);
    touch(HiddenFolders);
}

// ---- recents and favourites

void AppFinder::addToRecents(const AppItem &app)
{
    const ChangeBatch::Scope operation(m_changes);
    m_lists.addToRecents(app.urlText());
    loadRecents();
}

void AppFinder::toggleFavorite(const AppItem &app)
{
    const ChangeBatch::Scope operation(m_changes);
    m_lists.toggleFavorite(app.urlText());
    loadFavorites();
}

bool AppFinder::isFavorite(const AppItem &app) const
{
    return m_lists.isFavorite(app.urlText());
}

void AppFinder::loadRecents()
{
    m_recentApps = appsForUrlTexts(m_lists.recents());
    touch(Recents);
}

void AppFinder::loadFavorites()
{
    m_favoriteApps = appsForUrlTexts(m_lists.favorites());
    touch(Favorites);
}

// ---- folders

void AppFinder::loadFolders()
{
    m_folders.load();
    touch(Folders);
}

QUuid AppFinder::createFolder(const QString &name, const QString &icon, const QString &color,
    const std::optional<QUuid> &parentFolderID)
{
    const ChangeBatch::Scope operation(m_changes);
    const QUuid id = m_folders.create(name, icon, color, parentFolderID);
    touch(Folders);
    return id;
}

void AppFinder::deleteFolder(const AppFolder &folder)
{
    const ChangeBatch::Scope operation(m_changes);
    if (m_folders.remove(folder.id)) {
        touch(Folders);
    }
}

void AppFinder::renameFolder(const AppFolder &folder, const QString &newName)
{
    const ChangeBatch::Scope operation(m_changes);
    if (m_folders.rename(folder.id, newName)) {
        touch(Folders);
    }
}

void AppFinder::togglePinFolder(const AppFolder &folder)
{
    const ChangeBatch::Scope operation(m_changes);
    if (m_folders.togglePin(folder.id)) {
        touch(Folders);
    }
}

void AppFinder::reorderFolders(const std::set<int> &source, int destination)
{
    const ChangeBatch::Scope operation(m_changes);
    m_folders.reorderRoots(source, destination, m_hidden.folderIDs());
    touch(Folders);
}

void AppFinder::addAppToFolder(const AppItem &app, const AppFolder &folder)
{
    const ChangeBatch::Scope operation(m_changes);
    if (m_folders.addApp(folder.id, app.urlText())) {
        touch(Folders);
    }
}

void AppFinder::removeAppFromFolder(const AppItem &app, const AppFolder &folder)
{
    const ChangeBatch::Scope operation(m_changes);
    if (m_folders.removeApp(folder.id, app.urlText())) {
        touch(Folders);
    }
}

void AppFinder::reorderAppsInFolder(const AppFolder &folder, const std::set<int> &source, int destination)
{
    const ChangeBatch::Scope operation(m_changes);
    if (m_folders.reorderApps(folder.id, source, destination)) {
        touch(Folders);
    }
}

QList<AppItem> AppFinder::getAppsInFolder(const AppFolder &folder) const
{
    return appsForUrlTexts(folder.appURLs);
}

QList<AppFolder> AppFinder::getChildFolders(const QUuid &parentID) const
{
    return m_folders.children(parentID, m_hidden.folderIDs());
}

QList<AppFolder> AppFinder::getRootFolders() const
{
    return m_folders.roots(m_hidden.folderIDs());
}

void AppFinder::setFolderColor(const AppFolder &folder, const QString &color)
{
    const ChangeBatch::Scope operation(m_changes);
    if (m_folders.setColor(folder.id, color)) {
        touch(Folders);
    }
}

void AppFinder::setFolderIcon(const AppFolder &folder, const QString &icon)
{
    const ChangeBatch::Scope operation(m_changes);
    if (m_folders.setIcon(folder.id, icon)) {
        touch(Folders);
    }
}

void AppFinder::updateFolder(const QUuid &id, const QString &name, const QString &icon, const QString &color)
{
    const ChangeBatch::Scope operation(m_changes);
    if (m_folders.update(id, name, icon, color)) {
        touch(Folders);
    }
}

// ---- unified grid order

QList<GridItemIdentifier> AppFinder::getUnifiedGridOrder() const
{
    return m_folders.gridOrder();
}

void AppFinder::reorderUnifiedItems(
    const std::set<int> &source, int destination, const QList<GridItemIdentifier> &currentItems)
{
    const ChangeBatch::Scope operation(m_changes);
    m_folders.reorderGrid(source, destination, currentItems);
    // The grid order itself is read by consumers at each refilter.
    touch(Folders | Refilter);
}

// ---- search

QList<AppItem> AppFinder::searchApps(const QString &query) const
{
    // Candidates are every application and then the applications of the
    // pinned and of all folders; folder members are entries of apps, so after
    // keeping the first candidate per path the scanned list alone remains.
    return CatalogOrdering::search(m_apps, m_hidden.appPaths(), query, m_ranks, m_collation);
}

QList<AppItem> AppFinder::getSearchSuggestions(const QString &query) const
{
    return searchApps(query).mid(0, maxSearchSuggestions);
}

QList<AppItem> AppFinder::getRecentAppsForSearch() const
{
    return m_recentApps.mid(0, maxRecentAppsForSearch);
}

// ---- sort order

void AppFinder::setAllAppsSortOption(AppSortOption option)
{
    const ChangeBatch::Scope operation(m_changes);
    m_allAppsSortOption = option;
    m_defaults.set(allAppsSortKey.toStdString(), AppSortOptions::text(option).toStdString());
    touch(SortOption);
}

void AppFinder::loadSortOption()
{
    auto text = m_defaults.string(allAppsSortKey.toStdString());
    if (!text) {
        return;
    }
    if (auto option = AppSortOptions::fromText(QString::fromStdString(*text))) {
        m_allAppsSortOption = *option;
        touch(SortOption);
    }
}

QList<AppItem> AppFinder::getSortedApps(const QList<AppItem> &apps) const
{
    return CatalogOrdering::sorted(apps, m_allAppsSortOption, recentUrlTexts(), m_ranks, m_collation);
}

std::vector<quint32> AppFinder::sortOrder() const
{
    return CatalogOrdering::order(m_apps, m_allAppsSortOption, recentUrlTexts(), m_ranks, m_collation);
}

QSet<QString> AppFinder::recentUrlTexts() const
{
    QSet<QString> recent;
    for (const auto &app : m_recentApps) {
        recent.insert(app.urlText());
    }
    return recent;
}

// ---- newly added applications

void AppFinder::updateNewlyAddedApps(const NewlyAddedTracker::ScanDates *scanDates)
{
    touch(NewlyAdded);
    // Before the first scan has published there is no application list, and
    // pruning the first-seen dates against it would drop every stamp: each
    // application would then count as newly added again for 30 days.
    if (!m_hasPublishedScan) {
        return;
    }
    // Each update stamps with its own time: an earlier one still pending is
    // worked out first.
    settleNewlyAdded();
    m_pendingNewlyAdded = PendingNewlyAdded { m_newlyAdded.clock()(),
        scanDates ? std::optional<NewlyAddedTracker::ScanDates>(*scanDates) : std::nullopt };
    if (!m_deferral) {
        settleNewlyAdded();
        return;
    }
    m_deferral([finder = QPointer<AppFinder>(this)] {
        if (finder) {
            finder->runDeferredWork();
        }
    });
}

void AppFinder::settleNewlyAdded() const
{
    if (!m_pendingNewlyAdded) {
        return;
    }
    const PendingNewlyAdded pending = *std::exchange(m_pendingNewlyAdded, std::nullopt);
    m_newlyAddedApps = m_newlyAdded.update(
        m_apps, m_indexByUrlText, pending.scanDates ? &*pending.scanDates : nullptr, pending.now);
}

const QList<AppItem> &AppFinder::newlyAddedApps() const
{
    settleNewlyAdded();
    return m_newlyAddedApps;
}

} // namespace brimlark
