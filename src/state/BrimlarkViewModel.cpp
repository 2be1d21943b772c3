#include "state/BrimlarkViewModel.h"

#include "platform/base/Defaults.h"
#include "platform/core/ApplicationLauncher.h"
#include "platform/core/NameComparison.h"
#include "platform/core/Scheduler.h"
#include "state/AnalyticsReporter.h"
#include "state/StateLog.h"

#include <QSet>

#include <algorithm>
#include <utility>

namespace brimlark {

BrimlarkViewModel::BrimlarkViewModel(AppFinder &appFinder, Services services, QObject *parent)
    : QObject(parent)
    , m_appFinder(appFinder)
    , m_analytics(services.analytics)
    , m_workspace(*services.workspace)
    , m_scheduler(*services.scheduler)
    , m_notifications(services.notifications)
    , m_lock({ services.defaults, services.biometrics, services.passwordLimits, services.passwordPool })
{
    // The lock's NOTIFY signals mark what its operation touched; its
    // changed() ends that operation, or joins the one that locked it.
    connect(&m_lock, &HiddenItemsLock::isUnlockedChanged, this, [this] { touch(HiddenUnlocked); });
    connect(&m_lock, &HiddenItemsLock::changed, this, [this] {
        const ChangeBatch::Scope operation(m_changes);
        touch(HiddenItems);
    });
    connect(&m_lock, &HiddenItemsLock::windowActivationRequested, this,
        &BrimlarkViewModel::windowActivationRequested);

    // The catalog signals after its change is stored, so the refilter sees
    // the new state.
    connect(&m_appFinder, &AppFinder::changed, this, &BrimlarkViewModel::onCatalogChanged);
    connect(&m_appFinder, &AppFinder::foldersChanged, this, &BrimlarkViewModel::foldersChanged);
    connect(
        &m_appFinder, &AppFinder::hiddenFolderIDsChanged, this, &BrimlarkViewModel::hiddenFolderIDsChanged);
    connect(&m_appFinder, &AppFinder::allAppsSortOptionChanged, this,
        &BrimlarkViewModel::allAppsSortOptionChanged);

    updateFilteredApps();
}

BrimlarkViewModel::~BrimlarkViewModel()
{
    if (m_pendingSearchReport) {
        m_scheduler.cancel(*m_pendingSearchReport);
    }
}

void BrimlarkViewModel::announce(unsigned touched)
{
    ChangeBatch::emitTouched(*this, touched,
        {
            { Selection, &BrimlarkViewModel::selectionChanged },
            { SearchQuery, &BrimlarkViewModel::searchQueryChanged },
            { SearchFocusTrigger, &BrimlarkViewModel::searchFocusTriggerChanged },
            { ShowingAppPicker, &BrimlarkViewModel::showingAppPickerChanged },
            { FolderForPicker, &BrimlarkViewModel::folderForPickerChanged },
            { DraggedApp, &BrimlarkViewModel::draggedAppChanged },
            { AppToUninstall, &BrimlarkViewModel::appToUninstallChanged },
            { HiddenUnlocked, &BrimlarkViewModel::isHiddenUnlockedChanged },
            { FilteredApps, &BrimlarkViewModel::filteredAppsChanged },
            { GroupedApps, &BrimlarkViewModel::groupedAppsByCategoryChanged },
            { Refilter, &BrimlarkViewModel::refiltered },
        },
        &BrimlarkViewModel::changed);
}

// ---- published state

void BrimlarkViewModel::setSelection(const std::optional<SidebarSelection> &selection)
{
    const ChangeBatch::Scope operation(m_changes);
    m_selection = selection;
    touch(Selection | Refilter);
    // Leaving the hidden section always locks it again.
    if (!m_selection || !m_selection->is(SidebarSelection::Kind::hidden)) {
        m_lock.lock();
    }
}

void BrimlarkViewModel::setSearchQuery(const QString &query)
{
    const ChangeBatch::Scope operation(m_changes);
    m_searchQuery = query;
    touch(SearchQuery | Refilter);
    reportSearchLater(query);
}

void BrimlarkViewModel::reportSearchLater(const QString &query)
{
    // Only a text that stays for the whole delay is reported; every newer
    // assignment starts the wait again.
    if (m_pendingSearchReport) {
        m_scheduler.cancel(*m_pendingSearchReport);
        m_pendingSearchReport.reset();
    }
    m_pendingSearchReport = m_scheduler.schedule(searchReportDelay, [this, query] {
        m_pendingSearchReport.reset();
        if (query.isEmpty() || !m_analytics) {
            return;
        }
        m_analytics->trackEvent(QStringLiteral("Search Used"), { { QStringLiteral("query"), query } });
    });
}

void BrimlarkViewModel::setSearchFocusTrigger(bool value)
{
    if (m_searchFocusTrigger == value) {
        return;
    }
    const ChangeBatch::Scope operation(m_changes);
    m_searchFocusTrigger = value;
    touch(SearchFocusTrigger);
}

void BrimlarkViewModel::setShowingAppPicker(bool value)
{
    if (m_showingAppPicker == value) {
        return;
    }
    const ChangeBatch::Scope operation(m_changes);
    m_showingAppPicker = value;
    touch(ShowingAppPicker);
}

void BrimlarkViewModel::setFolderForPicker(const std::optional<AppFolder> &folder)
{
    const ChangeBatch::Scope operation(m_changes);
    m_folderForPicker = folder;
    touch(FolderForPicker);
}

void BrimlarkViewModel::setDraggedApp(const std::optional<AppItem> &app)
{
    const ChangeBatch::Scope operation(m_changes);
    m_draggedApp = app;
    touch(DraggedApp);
}

void BrimlarkViewModel::setAppToUninstall(const std::optional<AppItem> &app)
{
    const ChangeBatch::Scope operation(m_changes);
    m_appToUninstall = app;
    touch(AppToUninstall);
}

AppSortOption BrimlarkViewModel::allAppsSortOption() const
{
    return m_appFinder.allAppsSortOption();
}

void BrimlarkViewModel::setAllAppsSortOption(AppSortOption option)
{
    m_appFinder.setAllAppsSortOption(option);
}

void BrimlarkViewModel::onCatalogChanged()
{
    // Joins the operation that caused it, if any.
    updateFilteredApps();
}

// ---- filtering and grouping

void BrimlarkViewModel::updateFilteredApps()
{
    const ChangeBatch::Scope operation(m_changes);
    touch(Refilter);
}

QList<AppItem> BrimlarkViewModel::filter() const
{
    using Kind = SidebarSelection::Kind;
    const QSet<QString> &hidden = m_appFinder.hiddenAppPaths();
    const bool inHidden = m_selection && m_selection->is(Kind::hidden);

    if (!m_searchQuery.isEmpty()) {
        // A search looks through every visible application (or every hidden
        // one in the hidden section), whatever section is selected. The
        // catalog's sort is stable, so sorting only the matches gives the
        // same list as filtering the sorted one, for a fraction of the work.
        QList<AppItem> matches;
        for (const auto &app : m_appFinder.apps()) {
            if (hidden.contains(app.id()) == inHidden
                && app.name().contains(m_searchQuery, Qt::CaseInsensitive)) {
                matches << app;
            }
        }
        return m_appFinder.getSortedApps(matches);
    }

    // The section's base: the hidden applications in the hidden section,
    // every other application elsewhere, in catalog order.
    const auto base = [&] {
        QList<AppItem> out;
        for (const auto &app : m_appFinder.apps()) {
            if (hidden.contains(app.id()) == inHidden) {
                out << app;
            }
        }
        return out;
    };

    QList<AppItem> result;
    switch (m_selection ? m_selection->kind() : Kind::allApps) {
    case Kind::allApps:
        result = m_appFinder.getSortedApps(base());
        break;
    case Kind::folder:
        // The selection's copy may be stale: the catalog's folder holds the
        // contents.
        if (const auto folder = m_appFinder.folder(m_selection->folder().id)) {
            result = m_appFinder.getAppsInFolder(*folder);
        }
        break;
    case Kind::category: {
        const QString &name = m_selection->category();
        for (const auto &app : m_appFinder.apps()) {
            if (app.category() == name && !hidden.contains(app.id())) {
                result << app;
            }
        }
        break;
    }
    case Kind::recents:
        result = m_appFinder.recentApps();
        break;
    case Kind::favorites:
        result = m_appFinder.favoriteApps();
        break;
    case Kind::newlyAdded:
        result = m_appFinder.newlyAddedApps();
        break;
    case Kind::hidden:
        result = base();
        break;
    }
    // Hidden applications show in the hidden section only, not even in the
    // folder that holds them.
    if (!inHidden && !hidden.isEmpty()) {
        result.removeIf([&hidden](const AppItem &app) { return hidden.contains(app.id()); });
    }

    return result;
}

void BrimlarkViewModel::publishFilteredApps(QList<AppItem> result)
{
    // The same applications with the same details at every position: nothing
    // to publish, so views keep what they have (including the previous
    // grouping). A rescan that only changed a category or an icon publishes.
    if (std::equal(result.cbegin(), result.cend(), m_filteredApps.cbegin(), m_filteredApps.cend(),
            [](const AppItem &a, const AppItem &b) { return a.sameDetails(b); })) {
        return;
    }
    m_filteredApps = std::move(result);
    QHash<QString, QList<AppItem>> grouped;
    for (const auto &app : std::as_const(m_filteredApps)) {
        grouped[app.category()] << app;
    }
    m_groupedAppsByCategory = std::move(grouped);
    touch(FilteredApps | GroupedApps);
}

QList<GridItemIdentifier> BrimlarkViewModel::unifiedGridItems() const
{
    const QList<AppFolder> roots = m_appFinder.getRootFolders();
    QSet<QUuid> rootIds;
    for (const auto &folder : roots) {
        rootIds.insert(folder.id);
    }
    QSet<QString> categorySet;
    for (const auto &app : m_appFinder.apps()) {
        categorySet.insert(app.category());
    }

    QList<GridItemIdentifier> stored = m_appFinder.getUnifiedGridOrder();
    stored.removeIf([&](const GridItemIdentifier &item) {
        return item.isFolder() ? !rootIds.contains(item.folderId())
                               : !categorySet.contains(item.categoryName());
    });

    QSet<QUuid> placedFolders;
    QSet<QString> placedCategories;
    for (const auto &item : std::as_const(stored)) {
        if (item.isFolder()) {
            placedFolders.insert(item.folderId());
        } else {
            placedCategories.insert(item.categoryName());
        }
    }

    QList<GridItemIdentifier> items;
    items.reserve(stored.size() + roots.size() + categorySet.size());
    // Folders without a stored place come first, in folder order.
    for (const auto &folder : roots) {
        if (!placedFolders.contains(folder.id)) {
            items << GridItemIdentifier::folder(folder.id);
        }
    }
    items << stored;

    // Categories without a stored place go last, by name, so the order is
    // the same from one launch to the next.
    QStringList newCategories;
    for (const auto &name : std::as_const(categorySet)) {
        if (!placedCategories.contains(name)) {
            newCategories << name;
        }
    }
    const NameComparison &names = m_appFinder.collation();
    std::sort(newCategories.begin(), newCategories.end(), [&names](const QString &a, const QString &b) {
        const int c = names.compare(a, b);
        return c != 0 ? c < 0 : a < b;
    });
    for (const auto &name : std::as_const(newCategories)) {
        items << GridItemIdentifier::category(name);
    }
    return items;
}

QList<AppItem> BrimlarkViewModel::appsNotInFolder(const AppFolder &folder) const
{
    const QSet<QString> members(folder.appURLs.begin(), folder.appURLs.end());
    QList<AppItem> out;
    for (const auto &app : m_appFinder.apps()) {
        if (!members.contains(app.urlText())) {
            out << app;
        }
    }
    return out;
}

// ---- selecting

void BrimlarkViewModel::selectSection(SidebarSelection::Kind kind)
{
    setSelection(SidebarSelection(kind));
}

void BrimlarkViewModel::selectFolder(const AppFolder &folder)
{
    setSelection(SidebarSelection::ofFolder(folder));
}

// ---- launching, folders and visibility

bool BrimlarkViewModel::launchApp(const AppItem &app)
{
    const ChangeBatch::Scope operation(m_changes);
    const bool opened = m_workspace.openApplication(app.id());
    if (!opened) {
        // A launch that never started is neither a recent application nor a
        // launch worth reporting.
        qCWarning(lcState).noquote()
            << QStringLiteral("⚠️ Failed to open application at %1").arg(app.id());
        return false;
    }
    m_appFinder.addToRecents(app);
    if (m_analytics) {
        m_analytics->trackEvent(
            QStringLiteral("App Launched"), { { QStringLiteral("app_name"), app.name() } });
    }
    return opened;
}

void BrimlarkViewModel::toggleFavorite(const AppItem &app)
{
    m_appFinder.toggleFavorite(app);
}

void BrimlarkViewModel::hideAppGlobally(const AppItem &app)
{
    const ChangeBatch::Scope operation(m_changes);
    m_appFinder.hideApp(app);
    // Without a lock the user is taken to the hidden section to set one up.
    if (!m_lock.isSecurityPasswordSet()) {
        setSelection(SidebarSelection(SidebarSelection::Kind::hidden));
    }
}

void BrimlarkViewModel::unhideAppGlobally(const AppItem &app)
{
    const ChangeBatch::Scope operation(m_changes);
    m_appFinder.unhideApp(app);
}

void BrimlarkViewModel::hideFolderGlobally(const AppFolder &folder)
{
    const ChangeBatch::Scope operation(m_changes);
    m_appFinder.hideFolder(folder);
    if (!m_lock.isSecurityPasswordSet()) {
        setSelection(SidebarSelection(SidebarSelection::Kind::hidden));
    }
}

void BrimlarkViewModel::unhideFolderGlobally(const AppFolder &folder)
{
    const ChangeBatch::Scope operation(m_changes);
    m_appFinder.unhideFolder(folder);
}

void BrimlarkViewModel::deleteFolder(const AppFolder &folder)
{
    const ChangeBatch::Scope operation(m_changes);
    m_appFinder.deleteFolder(folder);
    if (m_selection && m_selection->is(SidebarSelection::Kind::folder)
        && m_selection->folder().id == folder.id) {
        setSelection(SidebarSelection(SidebarSelection::Kind::allApps));
    }
}

void BrimlarkViewModel::renameFolder(const AppFolder &folder, const QString &newName)
{
    m_appFinder.renameFolder(folder, newName);
}

QUuid BrimlarkViewModel::createFolder(const QString &name, const QString &icon, const QString &color)
{
    return m_appFinder.createFolder(name, icon, color);
}

void BrimlarkViewModel::togglePinFolder(const AppFolder &folder)
{
    m_appFinder.togglePinFolder(folder);
}

void BrimlarkViewModel::setFolderColor(const AppFolder &folder, const QString &color)
{
    m_appFinder.setFolderColor(folder, color);
}

void BrimlarkViewModel::setFolderIcon(const AppFolder &folder, const QString &icon)
{
    m_appFinder.setFolderIcon(folder, icon);
}

void BrimlarkViewModel::updateFolder(
    const QUuid &id, const QString &name, const QString &icon, const QString &color)
{
    m_appFinder.updateFolder(id, name, icon, color);
}

void BrimlarkViewModel::addAppToFolder(const AppItem &app, const AppFolder &folder)
{
    m_appFinder.addAppToFolder(app, folder);
}

void BrimlarkViewModel::removeAppFromFolder(const AppItem &app, const AppFolder &folder)
{
    m_appFinder.removeAppFromFolder(app, folder);
}

void BrimlarkViewModel::reorderFolders(const std::set<int> &source, int destination)
{
    m_appFinder.reorderFolders(source, destination);
}

void BrimlarkViewModel::reorderUnifiedItems(const std::set<int> &source, int destination)
{
    m_appFinder.reorderUnifiedItems(source, destination, unifiedGridItems());
}

void BrimlarkViewModel::reorderAppsInFolder(
    const AppFolder &folder, const std::set<int> &source, int destination)
{
    m_appFinder.reorderAppsInFolder(folder, source, destination);
}

void BrimlarkViewModel::moveFolderApp(const AppItem &app, const AppItem &target, const AppFolder &folder)
{
    const auto current = m_appFinder.folder(folder.id);
    if (!current) {
        return;
    }
    // Members match by path, as on a drop: a stored text with or without
    // its trailing "/" names the same bundle.
    const auto move = current->moveOnto(app.id(), target.id());
    if (!move || move->from == move->to) {
        return;
    }
    m_appFinder.reorderAppsInFolder(*current, { move->from }, move->destination);
}

} // namespace brimlark
