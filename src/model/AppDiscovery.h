#pragma once

#include "model/AppFinder.h"
#include "model/AppFolderWatcher.h"
#include "model/AppItem.h"
#include "platform/core/RecentDocuments.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QThreadPool>

#include <functional>
#include <memory>

namespace brimlark {

// Keeps a catalog's application list current: scans the application folders
// on a background pool and hands the result to the catalog's publish step,
// watches the folders for changes, and refreshes the recently used files at
// the end of each published scan. Its owner starts the first scan and the
// watching. Main thread only.
class AppDiscovery : public QObject
{
    Q_OBJECT
public:
    struct Services
    {
        // Folders to scan and watch (AppScanner::applicationFolders()).
        std::function<QStringList()> folders;
        // Runs on the pool (AppScanner::scan), with the bundles' file dates
        // for the publish step; a path it gives no dates is read there.
        std::function<QList<AppItem>(const QStringList &folders, NewlyAddedTracker::ScanDates *dates)>
            scanner;
        // Runs on the pool (RecentDocuments().fetch()).
        std::function<QList<RecentDocuments::Document>()> recentDocuments;
        // Given the paths of every published scan with the bundles' icon
        // stamps the scan read, through the catalog's deferral; none: no
        // prefetch.
        std::function<void(const QStringList &paths, const QList<quint64> &stamps)> iconPrefetch;
        // The console; the model's log category when empty.
        AppFolderWatcher::Console console;
    };

    // The rescan debounce goes through the scheduler.
    AppDiscovery(AppFinder &finder, Scheduler &scheduler, Services services = {}, QObject *parent = nullptr);
    ~AppDiscovery() override;

    // Marks the catalog as scanning and starts a background pass; returns at
    // once. The pass scans, ranks the names and hands the scan to the catalog.
    void scanApps();
    // Watches the folders; the console tells how many.
    void startMonitoring();
    // Starts a refresh of the catalog's recent files; a newer refresh
    // supersedes an older one still running.
    void fetchRecentFiles();

    AppFolderWatcher &watcher() { return m_watcher; }
    // Waits for the background work (tests and benchmarks).
    bool waitForBackground(int msecs = -1);

    // How long going away waits for passes still running; one that takes
    // longer is left to end on its own and its result is dropped.
    static constexpr int ShutdownWaitMsec = 2000;

private:
    // The way back from the pool: cut when this object goes, so a pass that
    // outlives it hands its result to no one.
    struct Relay;
    template <typename Step> static void post(const std::shared_ptr<Relay> &relay, Step step);
    // After a scan has published: icon prefetch, then the recent files.
    void published(const QList<AppItem> &apps);

    QPointer<AppFinder> m_finder;
    Services m_services;
    AppFolderWatcher m_watcher;
    quint64 m_recentGeneration = 0;
    std::shared_ptr<Relay> m_relay;
    QThreadPool *m_pool;
};

} // namespace brimlark
