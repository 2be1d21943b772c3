#pragma once

#include "model/AppFolder.h"
#include "model/AppItem.h"
#include "model/AppSortOption.h"
#include "model/CatalogFolders.h"
#include "model/CatalogOrdering.h"
#include "model/FileItem.h"
#include "model/FoldedNames.h"
#include "model/GridItemIdentifier.h"
#include "model/HiddenItems.h"
#include "model/NewlyAddedTracker.h"
#include "model/RecentsAndFavorites.h"
#include "model/UrlTextIndex.h"
#include "platform/core/ChangeBatch.h"
#include "platform/core/NameComparison.h"

#include <QDateTime>
#include <QHash>
#include <QList>
#include <QObject>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QUuid>

#include <functional>
#include <optional>
#include <set>
#include <vector>

namespace brimlark {

class Defaults;
class NotificationCenter;
class WorkspaceManager;

// The application catalog: the scanned applications and everything derived
// from them for the active workspace (recents, favourites, folders, grid
// order, newly added applications, sort option), plus the hidden applications
// and folders, which are global. Main thread only.
//
// A facade over its parts (CatalogOrdering, NewlyAddedTracker,
// CatalogFolders, HiddenItems, RecentsAndFavorites). Each operation is one
// change: once it has stored everything, the NOTIFY signal of each part it
// touched goes out once, then changed() once. Operations that change nothing
// (an unknown folder) announce nothing.
//
// Discovery (scanning, watching, icons, recent files) lives in its owner,
// AppDiscovery; its scan results come in through beginScan() / publishScan().
class AppFinder : public QObject
{
    Q_OBJECT

public:
    using FileDates = NewlyAddedTracker::FileDates;
    using Clock = std::function<QDateTime()>;
    using FileDateReader = NewlyAddedTracker::FileDateReader;
    // Runs a task the catalog left for later, on the main thread.
    using Deferral = std::function<void(std::function<void()> task)>;

    // What a background scan works out for its publish step, so that the main
    // thread reads no file and collates no text per application.
    struct ScanDetails
    {
        // File dates by bundle path (AppItem::id()), read during the scan. They
        // take the place of the catalog's own reader in that scan's update of
        // the newly added applications; a path without an entry is read there.
        QHash<QString, std::optional<FileDates>> fileDates;
        // Collation ranks of the scan's names and of its categories.
        QHash<QString, int> nameRanks;
        QHash<QString, int> categoryRanks;
        // The names folded for search, the index by URL text, and the list
        // they and the ranks were made from: taken only by a publish of that
        // very list.
        FoldedNames foldedNames;
        UrlTextIndex urlTextIndex;
        QList<AppItem> preparedFrom;
    };

    static inline const QString hiddenAppsKey = QStringLiteral("brimlark_hidden_apps");
    static inline const QString hiddenFoldersKey = QStringLiteral("brimlark_hidden_folders");
    static inline const QString newlyAddedKey = QStringLiteral("NewlyAddedAppURLs");
    static inline const QString allAppsSortKey = QStringLiteral("AllAppsSortOption");
    static inline const QString firstSeenDatesKey = QStringLiteral("AppFirstSeenDates");
    static inline const QString recentAppsBase = QStringLiteral("recentApps");
    static inline const QString favoriteAppsBase = QStringLiteral("favoriteApps");
    static inline const QString foldersBase = QStringLiteral("AppFolders");
    static inline const QString unifiedGridOrderBase = QStringLiteral("unifiedGridOrder");

    static constexpr int maxRecentApps = RecentsAndFavorites::maxRecentApps;
    static constexpr int maxSearchSuggestions = 8;
    static constexpr int maxRecentAppsForSearch = 6;
    static constexpr qint64 newlyAddedWindowSeconds = NewlyAddedTracker::windowSeconds;

    // Loads the hidden applications and folders and follows workspace
    // switches; scans nothing.
    AppFinder(Defaults &defaults, WorkspaceManager &workspaces, NotificationCenter &center,
        Clock clock = systemClock, FileDateReader fileDates = systemFileDates, QObject *parent = nullptr);
    ~AppFinder() override;

    static QDateTime systemClock();
    // Thread-safe. The dates are UTC.
    static std::optional<FileDates> systemFileDates(const QString &path);
    // The details of a scanned list; thread-safe, meant for the scan's pool.
    // Without a reader no dates are handed in.
    static ScanDetails prepareScan(const QList<AppItem> &apps, const FileDateReader &fileDates);

    // Published state.
    const QList<AppItem> &apps() const { return m_apps; }
    // The names of apps(), folded for search.
    const FoldedNames &foldedNames() const { return m_foldedNames; }
    const QList<AppItem> &recentApps() const { return m_recentApps; }
    const QList<AppItem> &favoriteApps() const { return m_favoriteApps; }
    const QList<AppFolder> &folders() const { return m_folders.folders(); }
    const QList<FileItem> &recentFiles() const { return m_recentFiles; }
    // Brought up to date here when a publish left it for later.
    const QList<AppItem> &newlyAddedApps() const;
    AppSortOption allAppsSortOption() const { return m_allAppsSortOption; }
    bool isScanning() const { return m_isScanning; }
    const QSet<QString> &hiddenAppPaths() const { return m_hidden.appPaths(); }
    const QSet<QUuid> &hiddenFolderIDs() const { return m_hidden.folderIDs(); }
    // The catalog's folder with that id, if any.
    std::optional<AppFolder> folder(const QUuid &id) const;
    // The main thread's name collation, which the catalog's orders follow.
    const NameComparison &collation() const { return m_collation; }

    // The recently used files, as discovery found them.
    void setRecentFiles(QList<FileItem> files);

    // Scans: marks a scan as running and returns its generation.
    quint64 beginScan();
    // The publish step of a scan, in its fixed order. Only the newest scan
    // begun publishes; an older one is dropped and false is returned.
    bool publishScan(const QList<AppItem> &apps, quint64 generation);
    // The same with the work prepareScan() did on the scan's pool.
    bool publishScan(const QList<AppItem> &apps, quint64 generation, const ScanDetails &details);
    quint64 latestScanGeneration() const { return m_scanGeneration; }

    // Workspace switch.
    void reloadWorkspaceData();

    // A publish or a workspace switch works out the newly added applications
    // (stamping and storing the new ones) after the change it announces, as a
    // task handed to the deferral, so the first screen of a start does not
    // wait for it; the list is what the publish found, whenever it is worked
    // out. Without a deferral the task runs at once.
    void setDeferral(Deferral deferral) { m_deferral = std::move(deferral); }
    // Works out now what is still left for later (at quit, say).
    void runDeferredWork() { settleNewlyAdded(); }
    // Hands other work that can wait for the first screen to the same
    // deferral; without one it runs at once.
    void defer(std::function<void()> task)
    {
        if (m_deferral) {
            m_deferral(std::move(task));
        } else {
            task();
        }
    }

    // Hidden items (global).
    void hideApp(const AppItem &app);
    void unhideApp(const AppItem &app);
    QList<AppItem> getHiddenApps() const;
    void hideFolder(const AppFolder &folder);
    void unhideFolder(const AppFolder &folder);

    // Recents and favourites (per workspace).
    void addToRecents(const AppItem &app);
    void toggleFavorite(const AppItem &app);
    bool isFavorite(const AppItem &app) const;

    // Folders (per workspace).
    // Returns the new folder's id.
    QUuid createFolder(const QString &name, const QString &icon, const QString &color,
        const std::optional<QUuid> &parentFolderID = std::nullopt);
    void deleteFolder(const AppFolder &folder);
    void renameFolder(const AppFolder &folder, const QString &newName);
    void togglePinFolder(const AppFolder &folder);
    void reorderFolders(const std::set<int> &source, int destination);
    void addAppToFolder(const AppItem &app, const AppFolder &folder);
    void removeAppFromFolder(const AppItem &app, const AppFolder &folder);
    void reorderAppsInFolder(const AppFolder &folder, const std::set<int> &source, int destination);
    QList<AppItem> getAppsInFolder(const AppFolder &folder) const;
    QList<AppFolder> getChildFolders(const QUuid &parentID) const;
    QList<AppFolder> getRootFolders() const;
    void setFolderColor(const AppFolder &folder, const QString &color);
    void setFolderIcon(const AppFolder &folder, const QString &icon);
    // Name, icon and colour at once: one change and one save.
    void updateFolder(const QUuid &id, const QString &name, const QString &icon, const QString &color);

    // Unified grid order (per workspace, read from the defaults at each call).
    QList<GridItemIdentifier> getUnifiedGridOrder() const;
    void reorderUnifiedItems(
        const std::set<int> &source, int destination, const QList<GridItemIdentifier> &currentItems);

    // Search.
    QList<AppItem> searchApps(const QString &query) const;
    QList<AppItem> getSearchSuggestions(const QString &query) const;
    QList<AppItem> getRecentAppsForSearch() const;

    // Sort order and newly added applications.
    void setAllAppsSortOption(AppSortOption option);
    QList<AppItem> getSortedApps(const QList<AppItem> &apps) const;
    // The indexes of apps() in that order.
    std::vector<quint32> sortOrder() const;

signals:
    void appsChanged();
    void recentAppsChanged();
    void favoriteAppsChanged();
    void foldersChanged();
    void recentFilesChanged();
    void newlyAddedAppsChanged();
    void allAppsSortOptionChanged();
    void isScanningChanged();
    void hiddenAppPathsChanged();
    void hiddenFolderIDsChanged();
    // Once per operation, after every NOTIFY signal of that operation.
    void changed();

private:
    // What an operation touched; announced when the outermost one ends.
    enum Part : unsigned {
        Apps = 1u << 0,
        Scanning = 1u << 1,
        SortOption = 1u << 2,
        NewlyAdded = 1u << 3,
        Recents = 1u << 4,
        Favorites = 1u << 5,
        Folders = 1u << 6,
        RecentFiles = 1u << 7,
        HiddenApps = 1u << 8,
        HiddenFolders = 1u << 9,
        // Nothing published changed, but consumers refilter once more.
        Refilter = 1u << 10,
    };
    void touch(unsigned parts) { m_changes.touch(parts); }
    void announce(unsigned touched);

    QList<AppItem> appsForUrlTexts(const QStringList &texts) const;
    QSet<QString> recentUrlTexts() const;
    bool publish(const QList<AppItem> &apps, quint64 generation, const ScanDetails *details);
    void setApps(QList<AppItem> apps, const ScanDetails *details);
    void loadSortOption();
    // Marks the list as out of date as of now and hands its update to the deferral.
    void updateNewlyAddedApps(const NewlyAddedTracker::ScanDates *scanDates = nullptr);
    void settleNewlyAdded() const;
    void loadRecents();
    void loadFavorites();
    void loadFolders();

    // Declared first, so it outlives every member that may still report
    // a change as it goes.
    ChangeBatch m_changes { [this](unsigned touched) { announce(touched); } };
    Defaults &m_defaults;
    NameComparison m_collation;
    HiddenItems m_hidden;
    RecentsAndFavorites m_lists;
    CatalogFolders m_folders;
    // Settled from the const reader; it writes only the tracker's own keys.
    mutable NewlyAddedTracker m_newlyAdded;

    QList<AppItem> m_apps;
    QList<AppItem> m_recentApps;
    QList<AppItem> m_favoriteApps;
    QList<FileItem> m_recentFiles;
    mutable QList<AppItem> m_newlyAddedApps;
    // The update a publish or switch left for later: when, and the scan's dates.
    struct PendingNewlyAdded
    {
        QDateTime now;
        std::optional<NewlyAddedTracker::ScanDates> scanDates;
    };
    mutable std::optional<PendingNewlyAdded> m_pendingNewlyAdded;
    Deferral m_deferral;
    AppSortOption m_allAppsSortOption = AppSortOption::nameAscending;
    bool m_isScanning = false;

    quint64 m_scanGeneration = 0;
    bool m_hasPublishedScan = false;
    UrlTextIndex m_indexByUrlText;
    CatalogOrdering::Ranks m_ranks;
    FoldedNames m_foldedNames;
};

} // namespace brimlark
