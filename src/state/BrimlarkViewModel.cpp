#include "state/BrimlarkViewModel.h"

#include "platform/base/Defaults.h"
#include "platform/core/ApplicationLauncher.h"
#include "platform/core/Scheduler.h"
#include "state/AnalyticsReporter.h"
#include "state/StateLog.h"

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
    , m_searchReport(*services.scheduler, services.analytics)
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
    // the new state; it joins the operation that caused it, if any.
    connect(&m_appFinder, &AppFinder::changed, this, &BrimlarkViewModel::updateFilteredApps);
    connect(&m_appFinder, &AppFinder::foldersChanged, this, &BrimlarkViewModel::foldersChanged);
    connect(
        &m_appFinder, &AppFinder::hiddenFolderIDsChanged, this, &BrimlarkViewModel::hiddenFolderIDsChanged);
    connect(&m_appFinder, &AppFinder::allAppsSortOptionChanged, this,
        &BrimlarkViewModel::allAppsSortOptionChanged);

    updateFilteredApps();
}

BrimlarkViewModel::~BrimlarkViewModel() = default;

void BrimlarkViewModel::announce(unsigned touched)
{
    ChangeBatch::emitTouched(*this, touched,
        {
            { Selection, &BrimlarkViewModel::selectionChanged },
            { SearchQuery, &BrimlarkViewModel::searchQueryChanged },
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
    m_searchReport.textChanged(query);
}

// ---- filtering and grouping

void BrimlarkViewModel::updateFilteredApps()
{
    const ChangeBatch::Scope operation(m_changes);
    touch(Refilter);
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
    m_groupedAppsByCategory.reset();
    touch(FilteredApps | GroupedApps);
}

const QHash<QString, QList<AppItem>> &BrimlarkViewModel::groupedAppsByCategory() const
{
    if (!m_groupedAppsByCategory) {
        QHash<QString, QList<AppItem>> grouped;
        for (const auto &app : std::as_const(m_filteredApps)) {
            grouped[app.category()] << app;
        }
        m_groupedAppsByCategory = std::move(grouped);
    }
    return *m_groupedAppsByCategory;
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

void BrimlarkViewModel::hideAppGlobally(const AppItem &app)
{
    const ChangeBatch::Scope operation(m_changes);
    m_appFinder.hideApp(app);
    offerLockSetUp();
}

void BrimlarkViewModel::offerLockSetUp()
{
    // Without a lock the user is taken to the hidden section to set one up.
    if (!m_lock.isSecurityPasswordSet()) {
        setSelection(SidebarSelection(SidebarSelection::Kind::hidden));
    }
}

void BrimlarkViewModel::hideFolderGlobally(const AppFolder &folder)
{
    const ChangeBatch::Scope operation(m_changes);
    m_appFinder.hideFolder(folder);
    offerLockSetUp();
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
