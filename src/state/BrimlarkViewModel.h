#pragma once

#include "model/AppFinder.h"
#include "model/AppFolder.h"
#include "model/AppItem.h"
#include "model/GridItemIdentifier.h"
#include "platform/core/ChangeBatch.h"
#include "state/HiddenItemsLock.h"
#include "state/PasswordHashing.h"
#include "state/SidebarSelection.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QString>
#include <QThreadPool>
#include <QVariant>
#include <QVariantList>
#include <QVariantMap>

#include <functional>
#include <memory>
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

    static constexpr std::chrono::milliseconds searchReportDelay { 2000 };

    // Subscribes to the catalog and refilters once. The catalog must outlive the view model.
    BrimlarkViewModel(AppFinder &appFinder, Services services, QObject *parent = nullptr);
    ~BrimlarkViewModel() override;

    // The main-thread scheduler the views' delayed work goes through.
    Scheduler &scheduler() const { return m_scheduler; }
    NotificationCenter *notificationCenter() const { return m_notifications; }
    // The lock of the hidden items, which the view model owns.
    HiddenItemsLock *hiddenItemsLock() { return &m_lock; }

    // The catalog's state as the views read it.
    const QList<AppItem> &apps() const { return m_appFinder.apps(); }
    const QList<AppFolder> &folders() const { return m_appFinder.folders(); }
    // The catalog's folder with that id (a folder value held elsewhere may
    // be stale).
    std::optional<AppFolder> folder(const QUuid &id) const { return m_appFinder.folder(id); }
    bool isScanning() const { return m_appFinder.isScanning(); }
    const QSet<QString> &hiddenAppPaths() const { return m_appFinder.hiddenAppPaths(); }
    const QSet<QUuid> &hiddenFolderIDs() const { return m_appFinder.hiddenFolderIDs(); }
    bool isFavorite(const AppItem &app) const { return m_appFinder.isFavorite(app); }
    QList<AppItem> getAppsInFolder(const AppFolder &folder) const
    {
        return m_appFinder.getAppsInFolder(folder);
    }
    QList<AppFolder> getRootFolders() const { return m_appFinder.getRootFolders(); }
    QList<AppFolder> getChildFolders(const QUuid &parentID) const
    {
        return m_appFinder.getChildFolders(parentID);
    }

    // Published state.
    const std::optional<SidebarSelection> &selection() const { return m_selection; }
    // Every assignment refilters and, unless it is the hidden section,
    // locks the hidden items, also when the value does not change.
    void setSelection(const std::optional<SidebarSelection> &selection);
    const QString &searchQuery() const { return m_searchQuery; }
    // Refilters at once; the search is reported once the text has stayed
    // the same for two seconds.
    void setSearchQuery(const QString &query);
    bool searchFocusTrigger() const { return m_searchFocusTrigger; }
    void setSearchFocusTrigger(bool value);
    bool showingAppPicker() const { return m_showingAppPicker; }
    void setShowingAppPicker(bool value);
    const std::optional<AppFolder> &folderForPicker() const { return m_folderForPicker; }
    void setFolderForPicker(const std::optional<AppFolder> &folder);
    const std::optional<AppItem> &draggedApp() const { return m_draggedApp; }
    void setDraggedApp(const std::optional<AppItem> &app);
    const std::optional<AppItem> &appToUninstall() const { return m_appToUninstall; }
    void setAppToUninstall(const std::optional<AppItem> &app);
    const QList<AppItem> &filteredApps() const { return m_filteredApps; }
    const QHash<QString, QList<AppItem>> &groupedAppsByCategory() const { return m_groupedAppsByCategory; }

    // The catalog's all-applications order; choosing one stores it, also
    // when it is the current one.
    AppSortOption allAppsSortOption() const;
    void setAllAppsSortOption(AppSortOption option);

    // Filtering and grouping.
    void updateFilteredApps();
    QList<GridItemIdentifier> unifiedGridItems() const;
    QList<AppItem> appsNotInFolder(const AppFolder &folder) const;

    // Selecting.
    Q_INVOKABLE void selectSection(brimlark::SidebarSelection::Kind kind);
    Q_INVOKABLE void selectFolder(const brimlark::AppFolder &folder);

    // Launching, folders and visibility. launchApp answers whether the
    // application could be started; only a started one is added to the
    // recents and reported.
    Q_INVOKABLE bool launchApp(const brimlark::AppItem &app);
    Q_INVOKABLE void toggleFavorite(const brimlark::AppItem &app);
    Q_INVOKABLE void hideAppGlobally(const brimlark::AppItem &app);
    Q_INVOKABLE void unhideAppGlobally(const brimlark::AppItem &app);
    Q_INVOKABLE void hideFolderGlobally(const brimlark::AppFolder &folder);
    Q_INVOKABLE void unhideFolderGlobally(const brimlark::AppFolder &folder);
    Q_INVOKABLE void deleteFolder(const brimlark::AppFolder &folder);
    Q_INVOKABLE void renameFolder(const brimlark::AppFolder &folder, const QString &newName);
    // Always a root folder; the texts are stored as given. Returns its id.
    Q_INVOKABLE QUuid createFolder(const QString &name, const QString &icon, const QString &color);
    Q_INVOKABLE void togglePinFolder(const brimlark::AppFolder &folder);
    Q_INVOKABLE void setFolderColor(const brimlark::AppFolder &folder, const QString &color);
    Q_INVOKABLE void setFolderIcon(const brimlark::AppFolder &folder, const QString &icon);
    // An edit sheet's "Save": name, icon and colour as one operation.
    Q_INVOKABLE void updateFolder(
        const QUuid &id, const QString &name, const QString &icon, const QString &color);
    Q_INVOKABLE void addAppToFolder(const brimlark::AppItem &app, const brimlark::AppFolder &folder);
    Q_INVOKABLE void removeAppFromFolder(const brimlark::AppItem &app, const brimlark::AppFolder &folder);
    void reorderFolders(const std::set<int> &source, int destination);
    void reorderUnifiedItems(const std::set<int> &source, int destination);
    void reorderAppsInFolder(const AppFolder &folder, const std::set<int> &source, int destination);
    Q_INVOKABLE void moveFolderApp(
        const brimlark::AppItem &app, const brimlark::AppItem &target, const brimlark::AppFolder &folder);

    QString selectionTitle() const { return m_selection ? m_selection->title() : QString(); }

signals:
    void selectionChanged();
    void searchQueryChanged();
    void searchFocusTriggerChanged();
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
        SearchFocusTrigger = 1u << 2,
        ShowingAppPicker = 1u << 3,
        FolderForPicker = 1u << 4,
        DraggedApp = 1u << 5,
        AppToUninstall = 1u << 6,
        HiddenUnlocked = 1u << 7,
        FilteredApps = 1u << 8,
        GroupedApps = 1u << 9,
        // The filter runs once more when the operation ends.
        Refilter = 1u << 10,
        // Anything of the lock; only changed() tells of it.
        HiddenItems = 1u << 11,
    };
    void touch(unsigned parts) { m_changes.touch(parts); }
    void announce(unsigned touched);

    void onCatalogChanged();
    QList<AppItem> filter() const;
    void publishFilteredApps(QList<AppItem> result);
    void reportSearchLater(const QString &query);

    // Declared first, so it outlives every member that may still report
    // a change as it goes. An operation that asked for a refilter filters
    // once, as it ends.
    ChangeBatch m_changes { [this](unsigned touched) { announce(touched); },
        [this] {
            if (m_changes.touched(Refilter)) {
                publishFilteredApps(filter());
            }
        } };
    AppFinder &m_appFinder;
    AnalyticsReporter *m_analytics;
    ApplicationLauncher &m_workspace;
    Scheduler &m_scheduler;
    NotificationCenter *m_notifications;
    HiddenItemsLock m_lock;

    std::optional<SidebarSelection> m_selection = SidebarSelection(SidebarSelection::Kind::allApps);
    QString m_searchQuery;
    bool m_searchFocusTrigger = false;
    bool m_showingAppPicker = false;
    std::optional<AppFolder> m_folderForPicker;
    std::optional<AppItem> m_draggedApp;
    std::optional<AppItem> m_appToUninstall;
    QList<AppItem> m_filteredApps;
    QHash<QString, QList<AppItem>> m_groupedAppsByCategory;

    std::optional<quint64> m_pendingSearchReport;
};

} // namespace brimlark
