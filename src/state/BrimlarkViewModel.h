#pragma once

#include "model/AppFinder.h"
#include "model/AppFolder.h"
#include "model/AppItem.h"
#include "model/GridItemIdentifier.h"
#include "platform/core/ChangeBatch.h"
#include "state/CatalogFilter.h"
#include "state/HiddenItemsLock.h"
#include "state/PasswordHashing.h"
#include "state/SearchReport.h"
#include "state/SidebarSelection.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QString>
#include <QThreadPool>

#include <optional>
#include <set>

namespace brimlark {

class AnalyticsReporter;
class ApplicationLauncher;
class Biometrics;
class Defaults;
class NotificationCenter;
class Scheduler;

// The launcher window's one central state: the selection, the search text,
// the applications the grid shows and shared presentation state. It filters
// the catalog for the views, launches applications and edits folders. It
// owns the hidden-items lock and locks it whenever the selection leaves the
// hidden section.
//
// Each public operation is one change, as in the catalog: once it has stored
// everything (and refiltered once, if it needs to), the NOTIFY signal of each
// property it touched goes out once, then refiltered(), then changed() once.
// A catalog or lock operation is passed on as one changed() too (the
// catalog's refiltered first), and joins the view model's operation that
// caused it. Main thread only.
class BrimlarkViewModel : public QObject
{
    Q_OBJECT
    // What the views read of it; the rest goes to their controllers.
    Q_PROPERTY(QString selectionTitle READ selectionTitle NOTIFY selectionChanged)
    Q_PROPERTY(QString searchQuery READ searchQuery WRITE setSearchQuery NOTIFY searchQueryChanged)
    // Handed on to the controllers that use the lock.
    Q_PROPERTY(brimlark::HiddenItemsLock *hiddenItemsLock READ hiddenItemsLock CONSTANT)
    // The catalog itself, for the controllers that act on it.
    Q_PROPERTY(brimlark::AppFinder *catalog READ catalog CONSTANT)

public:
    // What the view model talks to, built by the application. Every one but
    // the analytics reporter is required; no reporter means no events are
    // sent.
    struct Services
    {
        Defaults *defaults = nullptr;
        AnalyticsReporter *analytics = nullptr;
        ApplicationLauncher *workspace = nullptr;
        Biometrics *biometrics = nullptr;
        Scheduler *scheduler = nullptr;
        // The centre the hot key and menu commands post to; views that react
        // to them observe it through the view model. May stay null (tests).
        NotificationCenter *notifications = nullptr;
        PasswordHashing::Limits passwordLimits = PasswordHashing::Limits::interactive();
        // Where password hashing runs; null for a pool of the view model's own.
        QThreadPool *passwordPool = nullptr;
    };

    // Subscribes to the catalog and refilters once. The catalog must outlive the view model.
    BrimlarkViewModel(AppFinder &appFinder, Services services, QObject *parent = nullptr);
    ~BrimlarkViewModel() override;

    // The main-thread scheduler the views' delayed work goes through.
    Scheduler &scheduler() const { return m_scheduler; }
    NotificationCenter *notificationCenter() const { return m_notifications; }
    // The lock of the hidden items, which the view model owns.
    HiddenItemsLock *hiddenItemsLock() { return &m_lock; }
    AppFinder *catalog() const { return &m_appFinder; }

    // The catalog's state as the views read it.
    const QList<AppItem> &apps() const { return m_appFinder.apps(); }
    const QList<AppFolder> &folders() const { return m_appFinder.folders(); }
    // The catalog's folder with that id (a folder value held elsewhere may
    // be stale).
    std::optional<AppFolder> folder(const QUuid &id) const { return m_appFinder.folder(id); }
    bool isScanning() const { return m_appFinder.isScanning(); }
    const QSet<QString> &hiddenAppPaths() const { return m_appFinder.hiddenAppPaths(); }
    const QSet<QUuid> &hiddenFolderIDs() const { return m_appFinder.hiddenFolderIDs(); }
    QList<AppItem> getAppsInFolder(const AppFolder &folder) const
    {
        return m_appFinder.getAppsInFolder(folder);
    }
    QList<AppFolder> getRootFolders() const { return m_appFinder.getRootFolders(); }

    // Published state.
    const std::optional<SidebarSelection> &selection() const { return m_selection; }
    // Every assignment refilters and, unless it is the hidden section,
    // locks the hidden items, also when the value does not change.
    void setSelection(const std::optional<SidebarSelection> &selection);
    const QString &searchQuery() const { return m_searchQuery; }
    // Refilters at once; the search is reported later (see SearchReport).
    void setSearchQuery(const QString &query);
    // The sheets and the drag the views share; every assignment but an
    // unchanged flag is a change.
    bool showingAppPicker() const { return m_showingAppPicker; }
    void setShowingAppPicker(bool value)
    {
        if (m_showingAppPicker != value) {
            store(m_showingAppPicker, value, ShowingAppPicker);
        }
    }
    const std::optional<AppFolder> &folderForPicker() const { return m_folderForPicker; }
    void setFolderForPicker(const std::optional<AppFolder> &folder)
    {
        store(m_folderForPicker, folder, FolderForPicker);
    }
    const std::optional<AppItem> &draggedApp() const { return m_draggedApp; }
    void setDraggedApp(const std::optional<AppItem> &app) { store(m_draggedApp, app, DraggedApp); }
    const std::optional<AppItem> &appToUninstall() const { return m_appToUninstall; }
    void setAppToUninstall(const std::optional<AppItem> &app)
    {
        store(m_appToUninstall, app, AppToUninstall);
    }
    const QList<AppItem> &filteredApps() const { return m_filteredApps; }
    // Grouped on the first read after the filtered applications changed:
    // the all-applications grid a start shows does not group them.
    const QHash<QString, QList<AppItem>> &groupedAppsByCategory() const;

    QString selectionTitle() const { return m_selection ? m_selection->title() : QString(); }

    // The catalog's all-applications order; choosing one stores it, also
    // when it is the current one.
    AppSortOption allAppsSortOption() const { return m_appFinder.allAppsSortOption(); }

    // Filtering and grouping (see CatalogFilter).
    void updateFilteredApps();
    QList<GridItemIdentifier> unifiedGridItems() const { return m_filter.unifiedGridItems(); }
    QList<AppItem> appsNotInFolder(const AppFolder &folder) const { return m_filter.appsNotInFolder(folder); }

    // Selecting.
    void selectSection(SidebarSelection::Kind kind) { setSelection(SidebarSelection(kind)); }
    void selectFolder(const AppFolder &folder) { setSelection(SidebarSelection::ofFolder(folder)); }

    // Launching, folders and visibility. launchApp answers whether the
    // application could be started; only a started one is added to the
    // recents and reported.
    bool launchApp(const AppItem &app);
    void hideAppGlobally(const AppItem &app);
    void hideFolderGlobally(const AppFolder &folder);
    void deleteFolder(const AppFolder &folder);
    void moveFolderApp(const AppItem &app, const AppItem &target, const AppFolder &folder);

signals:
    void selectionChanged();
    void searchQueryChanged();
    void showingAppPickerChanged();
    void folderForPickerChanged();
    void draggedAppChanged();
    void appToUninstallChanged();
    void filteredAppsChanged();
    void groupedAppsByCategoryChanged();
    void isHiddenUnlockedChanged();
    void allAppsSortOptionChanged();
    // Any change of the view model or of the catalog it shows.
    void changed();
    // After each refilter, whether or not the list changed.
    void refiltered();
    // The catalog's folders changed (before the refilter's changed()).
    void foldersChanged();
    // The catalog's hidden folders changed (before the refilter's changed()).
    void hiddenFolderIDsChanged();
    // The lock's windowActivationRequested(), passed on for the shell.
    void windowActivationRequested();

private:
    // What an operation touched; announced when the outermost one ends.
    enum Part : unsigned {
        Selection = 1u << 0,
        SearchQuery = 1u << 1,
        ShowingAppPicker = 1u << 2,
        FolderForPicker = 1u << 3,
        DraggedApp = 1u << 4,
        AppToUninstall = 1u << 5,
        HiddenUnlocked = 1u << 6,
        FilteredApps = 1u << 7,
        GroupedApps = 1u << 8,
        // The filter runs once more when the operation ends.
        Refilter = 1u << 9,
        // Anything of the lock; only changed() tells of it.
        HiddenItems = 1u << 10,
    };
    void touch(unsigned parts) { m_changes.touch(parts); }
    template <typename T> void store(T &member, const T &value, Part part)
    {
        const ChangeBatch::Scope operation(m_changes);
        member = value;
        touch(part);
    }
    void announce(unsigned touched);

    void offerLockSetUp();
    void publishFilteredApps(QList<AppItem> result);

    // Declared first, so it outlives every member that may still report
    // a change as it goes. An operation that asked for a refilter filters
    // once, as it ends.
    ChangeBatch m_changes { [this](unsigned touched) { announce(touched); },
        [this] {
            if (m_changes.touched(Refilter)) {
                publishFilteredApps(m_filter.apps(m_selection, m_searchQuery));
            }
        } };
    AppFinder &m_appFinder;
    CatalogFilter m_filter { m_appFinder };
    AnalyticsReporter *m_analytics;
    ApplicationLauncher &m_workspace;
    Scheduler &m_scheduler;
    NotificationCenter *m_notifications;
    SearchReport m_searchReport;
    HiddenItemsLock m_lock;

    std::optional<SidebarSelection> m_selection = SidebarSelection(SidebarSelection::Kind::allApps);
    QString m_searchQuery;
    bool m_showingAppPicker = false;
    std::optional<AppFolder> m_folderForPicker;
    std::optional<AppItem> m_draggedApp;
    std::optional<AppItem> m_appToUninstall;
    QList<AppItem> m_filteredApps;
    mutable std::optional<QHash<QString, QList<AppItem>>> m_groupedAppsByCategory;
};

} // namespace brimlark
