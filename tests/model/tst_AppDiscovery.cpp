#include "BundleFixtures.h"
#include "TestSupport.h"

#include "model/AppDiscovery.h"
#include "model/AppFinder.h"
#include "model/AppScanner.h"
#include "model/WorkspaceManager.h"
#include "platform/base/Defaults.h"
#include "platform/core/BundleUrl.h"
#include "platform/core/NotificationCenter.h"
#include "support/CatalogApps.h"
#include "support/ManualScheduler.h"

#include <QMutex>
#include <QMutexLocker>
#include <QSignalSpy>
#include <QThread>
#include <QWaitCondition>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

using namespace brimlark;
using namespace brimlark::test;

namespace {
// Blocks chosen calls until the test lets them go.
class Gate
{
public:
    void close(int call)
    {
        QMutexLocker lock(&m_mutex);
        m_closed.insert(call);
    }
    void open(int call)
    {
        QMutexLocker lock(&m_mutex);
        m_closed.erase(call);
        m_changed.wakeAll();
    }
    // Returns the call's number, once the call may go on.
    int pass()
    {
        QMutexLocker lock(&m_mutex);
        const int call = m_calls++;
        m_entered.insert(call);
        while (m_closed.count(call)) {
            m_changed.wait(&m_mutex);
        }
        return call;
    }
    // Marks the call as done with its work.
    void leave(int call)
    {
        QMutexLocker lock(&m_mutex);
        m_returned.insert(call);
    }
    bool returned(int call) const
    {
        QMutexLocker lock(&m_mutex);
        return m_returned.count(call) > 0;
    }
    bool entered(int call) const
    {
        QMutexLocker lock(&m_mutex);
        return m_entered.count(call) > 0;
    }
    int calls() const
    {
        QMutexLocker lock(&m_mutex);
        return m_calls;
    }

private:
    mutable QMutex m_mutex;
    QWaitCondition m_changed;
    std::set<int> m_closed;
    std::set<int> m_entered;
    std::set<int> m_returned;
    int m_calls = 0;
};

// Hands over what the background work queued for the main thread.
void deliverPosted()
{
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
}

struct Catalog
{
    TemporaryRoots roots;
    Defaults defaults;
    NotificationCenter center;
    WorkspaceManager workspaces { defaults, center };
    std::unique_ptr<AppFinder> finder = std::make_unique<AppFinder>(defaults, workspaces, center);
    ManualScheduler scheduler;
    QStringList lines;
    QList<QStringList> prefetches;
    QList<QList<quint64>> prefetchStamps;

    AppDiscovery::Services services()
    {
        AppDiscovery::Services s;
        s.console = [this](const QString &line) { lines << line; };
        s.iconPrefetch = [this](const QStringList &paths, const QList<quint64> &stamps) {
            prefetches << paths;
            prefetchStamps << stamps;
        };
        s.recentDocuments = [] { return QList<RecentDocuments::Document>(); };
        return s;
    }
    QString folder(int i) const { return AppScanner::applicationFolders().at(i); }
};
} // namespace

TEST(AppDiscovery, ScanPublishesTheSortedFolderContents)
{
    Catalog c;
    makeBundle(c.folder(2), QStringLiteral("beta.app"),
        { { AppScanner::categoryKey, QStringLiteral("x.games") } }, true);
    makeBundle(c.folder(0), QStringLiteral("Alpha.app"),
        { { AppScanner::categoryKey, QStringLiteral("x.music") } }, false);
    AppDiscovery discovery(*c.finder, c.scheduler, c.services());
    QSignalSpy scanning(c.finder.get(), &AppFinder::isScanningChanged);
    QList<std::function<void()>> later;
    c.finder->setDeferral([&later](std::function<void()> task) { later << std::move(task); });

    discovery.scanApps();
    EXPECT_TRUE(c.finder->isScanning());
    ASSERT_TRUE(waitUntil([&] { return !c.finder->isScanning(); }));
    // The icon prefetch waits with the rest of the work the first frame does not need.
    EXPECT_TRUE(c.prefetches.isEmpty());
    for (const auto &task : std::exchange(later, {})) {
        task();
    }
    EXPECT_EQ(names(c.finder->apps()), (QStringList { QStringLiteral("Alpha"), QStringLiteral("beta") }));
    EXPECT_EQ(c.finder->apps()[1].category(), QStringLiteral("Games"));
    ASSERT_EQ(c.prefetches.size(), 1);
    EXPECT_EQ(c.prefetches[0],
        (QStringList {
            c.folder(0) + QStringLiteral("/Alpha.app"), c.folder(2) + QStringLiteral("/beta.app") }));
    // The prefetch gets the stamps the scan read, so it need not open each bundle again.
    EXPECT_EQ(c.prefetchStamps[0],
        (QList<quint64> { c.finder->apps()[0].iconStamp(), c.finder->apps()[1].iconStamp() }));
    EXPECT_NE(c.prefetchStamps[0][0], 0u);
    EXPECT_EQ(scanning.count(), 2);
}

TEST(AppDiscovery, TheFileDatesAreReadOnThePoolAndNotByThePublish)
{
    Catalog c;
    const QString older = makeBundle(c.folder(0), QStringLiteral("Older.app"), QByteArray());
    const QString newer = makeBundle(c.folder(2), QStringLiteral("Newer.app"), QByteArray());
    const QDateTime now = QDateTime::currentDateTimeUtc();
    // The catalog's own reader says the opposite and must not be asked.
    std::atomic<int> catalogReads { 0 };
    c.finder = std::make_unique<AppFinder>(
        c.defaults, c.workspaces, c.center, [now] { return now; },
        [&catalogReads, newer, now](const QString &path) -> std::optional<AppFinder::FileDates> {
            ++catalogReads;
            return AppFinder::FileDates { path == newer ? now.addDays(-9) : now.addDays(-1), std::nullopt };
        });
    QStringList dated;
    bool onMainThread = true;
    auto services = c.services();
    services.scanner = [&](const QStringList &folders, NewlyAddedTracker::ScanDates *dates) {
        QList<AppItem> apps = AppScanner::scan(folders, dates);
        onMainThread = QThread::currentThread() == qApp->thread();
        dated = dates->keys();
        for (auto it = dates->begin(); it != dates->end(); ++it) {
            *it = AppFinder::FileDates { it.key() == newer ? now.addDays(-1) : now.addDays(-9),
                std::nullopt };
        }
        return apps;
    };
    AppDiscovery discovery(*c.finder, c.scheduler, std::move(services));

    discovery.scanApps();
    ASSERT_TRUE(waitUntil([&] { return !c.finder->isScanning(); }));
    // Both first seen in this scan: the bundles' creation dates decide.
    ASSERT_EQ(c.finder->newlyAddedApps().size(), 2);
    EXPECT_EQ(c.finder->newlyAddedApps()[0].id(), newer);
    EXPECT_EQ(c.finder->newlyAddedApps()[1].id(), older);
    EXPECT_EQ(catalogReads.load(), 0);
    dated.sort();
    EXPECT_EQ(dated, (QStringList { newer, older }));
    EXPECT_FALSE(onMainThread);
}

TEST(AppDiscovery, OnlyTheNewestOfOverlappingScansPublishes)
{
    struct Case
    {
        const char *name;
        bool olderFinishesFirst;
    };
    for (const Case &k : { Case { "older finishes last", false }, Case { "older finishes first", true } }) {
        Catalog c;
        Gate gate;
        auto services = c.services();
        services.scanner = [&gate](const QStringList &, NewlyAddedTracker::ScanDates *) {
            const int call = gate.pass();
            QList<AppItem> found { app(call == 0 ? QStringLiteral("Old") : QStringLiteral("New")) };
            gate.leave(call);
            return found;
        };
        AppDiscovery discovery(*c.finder, c.scheduler, std::move(services));
        gate.close(0);
        gate.close(1);
        discovery.scanApps();
        ASSERT_TRUE(waitUntil([&] { return gate.entered(0); })) << k.name;
        discovery.scanApps();
        ASSERT_TRUE(waitUntil([&] { return gate.entered(1); })) << k.name;

        // What the catalog holds whenever its scanning flag changes: the old
        // list must never be published, nor end the newer scan.
        QList<QStringList> published;
        QObject::connect(c.finder.get(), &AppFinder::isScanningChanged, c.finder.get(),
            [&] { published << names(c.finder->apps()); });
        if (k.olderFinishesFirst) {
            gate.open(0);
            ASSERT_TRUE(waitUntil([&] { return gate.returned(0); })) << k.name;
            gate.open(1);
        } else {
            gate.open(1);
            ASSERT_TRUE(waitUntil([&] { return !c.finder->isScanning(); })) << k.name;
            gate.open(0);
        }
        // Every scan has ended and handed its result over.
        ASSERT_TRUE(discovery.waitForBackground(5000)) << k.name;
        deliverPosted();
        EXPECT_EQ(published, QList<QStringList> { QStringList { QStringLiteral("New") } }) << k.name;
        EXPECT_EQ(names(c.finder->apps()), QStringList { QStringLiteral("New") }) << k.name;
        EXPECT_FALSE(c.finder->isScanning()) << k.name;
        EXPECT_EQ(c.prefetches.size(), 1) << k.name;
    }
}

TEST(AppDiscovery, FolderChangesLeadToOneRescan)
{
    Catalog c;
    QDir().mkpath(c.folder(0));
    QDir().mkpath(c.folder(1));
    std::atomic<int> scans { 0 };
    auto services = c.services();
    services.scanner = [&scans](const QStringList &folders, NewlyAddedTracker::ScanDates *dates) {
        ++scans;
        return AppScanner::scan(folders, dates);
    };
    AppDiscovery discovery(*c.finder, c.scheduler, std::move(services));
    discovery.scanApps();
    discovery.startMonitoring();
    ASSERT_TRUE(waitUntil([&] { return !c.finder->isScanning(); }));
    EXPECT_EQ(c.lines, QStringList { QStringLiteral("📡 Monitoring 2 directories for app changes") });

    for (const char *name : { "One.app", "Two.app", "Three.app" }) {
        makeBundle(c.folder(0), QString::fromLatin1(name), QByteArray());
        ASSERT_TRUE(waitUntil([&] { return c.scheduler.pendingCount() == 1; })) << name;
    }
    EXPECT_EQ(scans.load(), 1);
    c.scheduler.advance(std::chrono::milliseconds(AppFolderWatcher::DebounceMsec));
    EXPECT_EQ(c.lines.last(), QStringLiteral("🔄 Rescanning apps due to file system change..."));
    EXPECT_TRUE(c.finder->isScanning());
    ASSERT_TRUE(waitUntil([&] { return !c.finder->isScanning(); }));
    EXPECT_EQ(scans.load(), 2);
    EXPECT_EQ(names(c.finder->apps()),
        (QStringList { QStringLiteral("One"), QStringLiteral("Three"), QStringLiteral("Two") }));
    EXPECT_EQ(c.lines.count(QStringLiteral("🔄 Rescanning apps due to file system change...")), 1);
}

// A bundle copied slowly is listed before its information list and icon are
// there; nothing in the application folder itself changes when they arrive.
TEST(AppDiscovery, ABundleCopiedSlowlyIsReadAgainWhenItsFilesArrive)
{
    Catalog c;
    QDir().mkpath(c.folder(0));
    const QString bundle = makeBundle(c.folder(0), QStringLiteral("Slow.app"), QByteArray());
    makeBundle(c.folder(0), QStringLiteral("Done.app"),
        infoPlist({ { QStringLiteral("LSApplicationCategoryType"), QStringLiteral("x.music") },
                      { QStringLiteral("CFBundleIconFile"), QStringLiteral("icon") } },
            true));
    TemporaryRoots::writeFile(c.folder(0) + QStringLiteral("/Done.app/Contents/Resources/icon.png"), "png");
    auto services = c.services();
    AppDiscovery discovery(*c.finder, c.scheduler, std::move(services));
    discovery.scanApps();
    discovery.startMonitoring();
    ASSERT_TRUE(waitUntil([&] { return !c.finder->isScanning(); }));
    ASSERT_EQ(c.finder->apps().size(), 2);
    const AppItem before = c.finder->apps().at(1);
    ASSERT_EQ(before.name(), QStringLiteral("Slow"));
    EXPECT_EQ(before.category(), QStringLiteral("Other"));
    // Only the unfinished bundle is watched.
    EXPECT_EQ(discovery.watcher().watchedBundleFolders().size(), 2);

    makeBundle(c.folder(0), QStringLiteral("Slow.app"),
        infoPlist({ { QStringLiteral("LSApplicationCategoryType"), QStringLiteral("x.games") },
                      { QStringLiteral("CFBundleIconFile"), QStringLiteral("icon") } },
            false));
    ASSERT_TRUE(waitUntil([&] { return c.scheduler.pendingCount() == 1; }));
    c.scheduler.advance(std::chrono::milliseconds(AppFolderWatcher::DebounceMsec));
    ASSERT_TRUE(waitUntil([&] { return !c.finder->isScanning(); }));
    // The icon is the last file to come; its folder is watched by now.
    TemporaryRoots::writeFile(bundle + QStringLiteral("/Contents/Resources/icon.png"), "png");
    ASSERT_TRUE(waitUntil([&] { return c.scheduler.pendingCount() == 1; }));
    c.scheduler.advance(std::chrono::milliseconds(AppFolderWatcher::DebounceMsec));
    ASSERT_TRUE(waitUntil([&] { return !c.finder->isScanning(); }));

    const AppItem after = c.finder->apps().at(1);
    EXPECT_EQ(after.category(), QStringLiteral("Games"));
    EXPECT_NE(after.iconStamp(), before.iconStamp());
    EXPECT_FALSE(after.awaitsFiles());
    EXPECT_TRUE(discovery.watcher().watchedBundleFolders().isEmpty());
}

TEST(AppDiscovery, RecentFilesFollowEachScanAndTheNewestRefreshWins)
{
    Catalog c;
    Gate gate;
    auto services = c.services();
    const QString home = c.roots.home();
    services.recentDocuments = [&gate, home] {
        const int call = gate.pass();
        const QString path = home + QStringLiteral("/Documents/file%1.txt").arg(call);
        return QList<RecentDocuments::Document> { { path, QStringLiteral("file%1.txt").arg(call),
            QDateTime() } };
    };
    AppDiscovery discovery(*c.finder, c.scheduler, std::move(services));
    discovery.scanApps();
    ASSERT_TRUE(waitUntil([&] { return c.finder->recentFiles().size() == 1; }));
    const FileItem first = c.finder->recentFiles()[0];
    EXPECT_EQ(first.name(), QStringLiteral("file0.txt"));
    EXPECT_EQ(first.url(), QUrl::fromLocalFile(home + QStringLiteral("/Documents/file0.txt")));
    EXPECT_EQ(first.iconPath(), home + QStringLiteral("/Documents/file0.txt"));

    // A refresh overtaken by a newer one is dropped when it ends late.
    gate.close(1);
    discovery.fetchRecentFiles();
    ASSERT_TRUE(waitUntil([&] { return gate.entered(1); }));
    discovery.fetchRecentFiles();
    ASSERT_TRUE(waitUntil([&] { return c.finder->recentFiles()[0].name() == QStringLiteral("file2.txt"); }));
    gate.open(1);
    ASSERT_TRUE(discovery.waitForBackground(5000));
    deliverPosted();
    EXPECT_EQ(c.finder->recentFiles()[0].name(), QStringLiteral("file2.txt"));
    EXPECT_NE(c.finder->recentFiles()[0].id(), first.id());
}

TEST(AppDiscovery, GoingAwayMidScanIsSafe)
{
    Catalog c;
    Gate gate;
    gate.close(0);
    auto services = c.services();
    services.scanner = [&gate](const QStringList &, NewlyAddedTracker::ScanDates *) {
        gate.pass();
        return QList<AppItem> { app(QStringLiteral("Late")) };
    };
    auto discovery = std::make_unique<AppDiscovery>(*c.finder, c.scheduler, std::move(services));
    discovery->scanApps();
    ASSERT_TRUE(waitUntil([&] { return gate.entered(0); }));
    gate.open(0);
    discovery.reset(); // waits for its pool
    deliverPosted();
    EXPECT_TRUE(c.finder->apps().isEmpty());

    // Owned by the catalog: both go together with a scan in flight.
    Gate second;
    second.close(0);
    auto more = c.services();
    more.scanner = [&second](const QStringList &, NewlyAddedTracker::ScanDates *) {
        second.pass();
        return QList<AppItem> {};
    };
    (new AppDiscovery(*c.finder, c.scheduler, std::move(more), c.finder.get()))->scanApps();
    ASSERT_TRUE(waitUntil([&] { return second.entered(0); }));
    second.open(0);
    c.finder.reset(); // the discovery goes with it and waits for its pool
    deliverPosted();
}

TEST(AppDiscovery, GoingAwayDoesNotWaitWithoutBoundForAStuckScan)
{
    Catalog c;
    auto gate = std::make_shared<Gate>();
    gate->close(0);
    auto services = c.services();
    services.scanner = [gate](const QStringList &, NewlyAddedTracker::ScanDates *) {
        gate->pass();
        return QList<AppItem> { app(QStringLiteral("Late")) };
    };
    auto discovery = std::make_unique<AppDiscovery>(*c.finder, c.scheduler, std::move(services));
    discovery->scanApps();
    ASSERT_TRUE(waitUntil([&] { return gate->entered(0); }));
    // Let the scan go in any case, so that a waiting shutdown ends too.
    std::atomic<bool> gone { false };
    std::atomic<bool> released { false };
    std::thread watchdog([&] {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (!gone && std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        released = true;
        gate->open(0);
    });
    discovery.reset();
    gone = true;
    const bool returnedWhileStuck = !released;
    watchdog.join();
    EXPECT_TRUE(returnedWhileStuck);
    QCoreApplication::processEvents();
    EXPECT_TRUE(c.finder->apps().isEmpty());
}
