#pragma once

#include "model/AppFolder.h"
#include "model/AppItem.h"
#include "model/AppSortOption.h"
#include "model/FileItem.h"
#include "model/GridItemIdentifier.h"

#include <QDateTime>
#include <QHash>
#include <QList>
#include <QObject>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QUuid>
#include <QVariantList>

#include <functional>
#include <optional>
#include <set>

namespace brimlark {

class Defaults;
class NotificationCenter;
class WorkspaceManager;

// The application catalog: the scanned applications and everything derived
// from them for the active workspace (recents, favourites, folders, grid
// order, newly added applications, sort option), plus the hidden applications
// and folders, which are global. Main thread only.
//
// Every published property emits its own NOTIFY signal and then changed()
// once the new value is stored. changed() is also sent on its own after an
// operation that consumers must refilter for once more (hiding, showing, a
// workspace reload, a grid reorder).
//
// Discovery (scanning, watching, icons, recent files) lives elsewhere and is
// attached through the hooks below; its scan results come in through
// beginScan() / publishScan().
class AppFinder : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QVariantList apps READ appList NOTIFY appsChanged)
    Q_PROPERTY(QVariantList recentApps READ recentAppList NOTIFY recentAppsChanged)
    Q_PROPERTY(QVariantList favoriteApps READ favoriteAppList NOTIFY favoriteAppsChanged)
    Q_PROPERTY(QVariantList folders READ folderList NOTIFY foldersChanged)
    Q_PROPERTY(QVariantList recentFiles READ recentFileList NOTIFY recentFilesChanged)
    Q_PROPERTY(QVariantList newlyAddedApps READ newlyAddedAppList NOTIFY newlyAddedAppsChanged)
    Q_PROPERTY(QString allAppsSortOption READ allAppsSortOptionText WRITE setAllAppsSortOptionText NOTIFY
                   allAppsSortOptionChanged)
    Q_PROPERTY(bool isScanning READ isScanning NOTIFY isScanningChanged)
    Q_PROPERTY(QStringList hiddenAppPaths READ hiddenAppPathList NOTIFY hiddenAppPathsChanged)
    Q_PROPERTY(QStringList hiddenFolderIDs READ hiddenFolderIDList NOTIFY hiddenFolderIDsChanged)

public:
    // What the file system says about an item; an empty optional means the
    // attributes could not be read at all.
    struct FileDates
    {
        std::optional<QDateTime> creation;
        std::optional<QDateTime> modification;
    };
    using Clock = std::function<QDateTime()>;
    using FileDateReader = std::function<std::optional<FileDates>(const QString &path)>;

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

    static constexpr int maxRecentApps = 7;
    static constexpr int maxSearchSuggestions = 8;
    static constexpr int maxRecentAppsForSearch = 6;
    static constexpr qint64 newlyAddedWindowSeconds = 2592000; // 30 days

    // Loads the hidden applications and folders and follows workspace
    // switches; scans nothing.
    AppFinder(Defaults &defaults, WorkspaceManager &workspaces, NotificationCenter &center,
              Clock clock = systemClock, FileDateReader fileDates = systemFileDates, QObject *parent = nullptr);
    // Over the standard domain, the shared workspace manager and the default centre.
    explicit AppFinder(QObject *parent = nullptr);
    ~AppFinder() override;

    static QDateTime systemClock();
    // Thread-safe. The dates are UTC.
    static std::optional<FileDates> systemFileDates(const QString &path);
    // The details of a scanned list; thread-safe, meant for the scan's pool.
    // Without a reader no dates are handed in.
    static ScanDetails prepareScan(const QList<AppItem> &apps, const FileDateReader &fileDates);

    // Published state.
    const QList<AppItem> &apps() const { return m_apps; }
    const QList<AppItem> &recentApps() const { return m_recentApps; }
    const QList<AppItem> &favoriteApps() const { return m_favoriteApps; }
    const QList<AppFolder> &folders() const { return m_folders; }
    const QList<FileItem> &recentFiles() const { return m_recentFiles; }
    const QList<AppItem> &newlyAddedApps() const { return m_newlyAddedApps; }
    AppSortOption allAppsSortOption() const { return m_allAppsSortOption; }
    bool isScanning() const { return m_isScanning; }
    const QSet<QString> &hiddenAppPaths() const { return m_hiddenAppPaths; }
    const QSet<QUuid> &hiddenFolderIDs() const { return m_hiddenFolderIDs; }

    // Replaces the folder list as it stands (published); the caller saves.
    void setFolders(QList<AppFolder> folders);
    // Filled by the recent-files hook when its query has finished.
    void setRecentFiles(QList<FileItem> files);

    // Discovery.
    void scanApps();
    void startMonitoring();
    // Marks a scan as running and returns its generation.
    quint64 beginScan();
    // The publish step of a scan, in its fixed order. Only the newest scan
    // begun publishes; an older one is dropped and false is returned.
    bool publishScan(const QList<AppItem> &apps, quint64 generation);
    // The same with the work prepareScan() did on the scan's pool.
    bool publishScan(const QList<AppItem> &apps, quint64 generation, const ScanDetails &details);
    quint64 latestScanGeneration() const { return m_scanGeneration; }

    void setScanAppsHook(std::function<void()> hook) { m_scanAppsHook = std::move(hook); }
    void setStartMonitoringHook(std::function<void()> hook) { m_startMonitoringHook = std::move(hook); }
    void setIconPrefetchHook(std::function<void(const QStringList &paths)> hook) { m_iconPrefetchHook = std::move(hook); }
    void setRecentFilesHook(std::function<void()> hook) { m_recentFilesHook = std::move(hook); }

    // Workspace switch.
    void reloadWorkspaceData();

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
    void saveFolders();

    // Unified grid order (per workspace, read from the defaults at each call).
    QList<GridItemIdentifier> getUnifiedGridOrder() const;
    void reorderUnifiedItems(const std::set<int> &source, int destination,
                             const QList<GridItemIdentifier> &currentItems);

    // Search.
    QList<AppItem> searchApps(const QString &query) const;
    QList<AppItem> getSearchSuggestions(const QString &query) const;
    QList<AppItem> getRecentAppsForSearch() const;

    // Sort order and newly added applications.
    void setAllAppsSortOption(AppSortOption option);
    QList<AppItem> getSortedApps(const QList<AppItem> &apps) const;

    // Property adapters for QML.
    QVariantList appList() const;
    QVariantList recentAppList() const;
    QVariantList favoriteAppList() const;
    QVariantList folderList() const;
    QVariantList recentFileList() const;
    QVariantList newlyAddedAppList() const;
    QString allAppsSortOptionText() const;
    void setAllAppsSortOptionText(const QString &text);
    QStringList hiddenAppPathList() const;
    QStringList hiddenFolderIDList() const;

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
    void changed();

private:
    QString workspaceKey(const QString &base) const;
    QStringList storedStrings(const QString &key) const;
    void storeStrings(const QString &key, const QStringList &strings);
    QList<AppItem> appsForUrlTexts(const QStringList &texts) const;
    const AppItem *appForUrlText(const QString &text) const;

    bool publish(const QList<AppItem> &apps, quint64 generation, const ScanDetails *details);
    void setApps(QList<AppItem> apps, const ScanDetails *details = nullptr);
    void setScanning(bool scanning);
    void publishFolders();

    void loadHiddenApps();
    void saveHiddenApps();
    void loadHiddenFolders();
    void saveHiddenFolders();
    void loadRecents();
    void loadFavorites();

    qsizetype folderIndex(const QUuid &id) const;
    void sortFolders();
    void loadFolders();

    void loadNewlyAdded();
    void saveNewlyAdded();
    // Dates handed in by a scan go before the injected reader.
    void updateNewlyAddedApps(const QHash<QString, std::optional<FileDates>> *scanDates = nullptr);
    void saveSortOption();
    void loadSortOption();

    // Name and category ranks of the current scan: equal ranks for texts the
    // collation calls equal, so ordering by rank is ordering by name.
    void rebuildRanks(const ScanDetails *details);
    std::vector<int> nameRanks(const QList<AppItem> &apps) const;
    std::vector<int> categoryRanks(const QList<AppItem> &apps) const;

    Defaults &m_defaults;
    WorkspaceManager &m_workspaces;
    Clock m_clock;
    FileDateReader m_fileDates;

    QList<AppItem> m_apps;
    QList<AppItem> m_recentApps;
    QList<AppItem> m_favoriteApps;
    QList<AppFolder> m_folders;
    QList<FileItem> m_recentFiles;
    QList<AppItem> m_newlyAddedApps;
    AppSortOption m_allAppsSortOption = AppSortOption::nameAscending;
    bool m_isScanning = false;
    QSet<QString> m_hiddenAppPaths;
    QSet<QUuid> m_hiddenFolderIDs;

    quint64 m_scanGeneration = 0;
    bool m_hasPublishedScan = false;
    QHash<QString, qsizetype> m_indexByUrlText;
    QHash<QString, int> m_nameRank;
    QHash<QString, int> m_categoryRank;

    std::function<void()> m_scanAppsHook;
    std::function<void()> m_startMonitoringHook;
    std::function<void(const QStringList &)> m_iconPrefetchHook;
    std::function<void()> m_recentFilesHook;
};

} // namespace brimlark
