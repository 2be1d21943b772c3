#include "TestSupport.h"

#include "model/AppFolderWatcher.h"
#include "support/ManualScheduler.h"

#include <QDir>
#include <QSignalSpy>

#include <gtest/gtest.h>

using namespace brimlark;
using namespace brimlark::test;

namespace {
struct Watch
{
    ManualScheduler scheduler;
    QStringList lines;
    AppFolderWatcher watcher { scheduler, [this](const QString &l) { lines << l; } };

    // Runs the pending rescan, if any.
    bool fire()
    {
        if (scheduler.pendingCount() == 0) {
            return false;
        }
        scheduler.advance(std::chrono::milliseconds(AppFolderWatcher::DebounceMsec));
        return true;
    }
};
} // namespace

TEST(AppFolderWatcher, ReportsHowManyFoldersAreWatched)
{
    TemporaryRoots roots;
    const QString a = roots.root() + QStringLiteral("/Applications");
    const QString b = roots.root() + QStringLiteral("/System/Applications");
    const QString c = roots.home() + QStringLiteral("/Applications");
    struct Case
    {
        QStringList existing;
        int count;
    };
    for (const Case &k : { Case { {}, 0 }, Case { { a, b }, 2 }, Case { { a, b, c }, 3 } }) {
        for (const QString &folder : { a, b, c }) {
            QDir(folder).removeRecursively();
        }
        for (const QString &folder : k.existing) {
            QDir().mkpath(folder);
        }
        Watch w;
        EXPECT_EQ(w.watcher.startMonitoring({ a, b, c }), k.count);
        ASSERT_EQ(w.lines.size(), 1);
        EXPECT_EQ(w.lines[0], QStringLiteral("📡 Monitoring %1 directories for app changes").arg(k.count));
    }
}

TEST(AppFolderWatcher, ASecondStartKeepsTheWatches)
{
    TemporaryRoots roots;
    const QString a = roots.root() + QStringLiteral("/Applications");
    QDir().mkpath(a);
    Watch w;
    EXPECT_EQ(w.watcher.startMonitoring({ a }), 1);
    EXPECT_EQ(w.watcher.startMonitoring({ a }), 1);
    EXPECT_EQ(w.watcher.watchedFolders(), QStringList { a });
}

TEST(AppFolderWatcher, BurstOfChangesGivesOneRescan)
{
    Watch w;
    QSignalSpy rescans(&w.watcher, &AppFolderWatcher::rescanRequested);
    for (int i = 0; i < 3; ++i) {
        w.watcher.scheduleRescan();
        w.scheduler.advance(std::chrono::milliseconds(999));
    }
    // Each change restarted the one-second wait.
    EXPECT_EQ(w.scheduler.pendingCount(), 1u);
    EXPECT_EQ(rescans.count(), 0);
    w.scheduler.advance(std::chrono::milliseconds(1));
    EXPECT_EQ(rescans.count(), 1);
    EXPECT_FALSE(w.fire());
    EXPECT_EQ(rescans.count(), 1);
    EXPECT_EQ(w.lines, QStringList { QStringLiteral("🔄 Rescanning apps due to file system change...") });

    // A later change starts a new wait.
    w.watcher.scheduleRescan();
    EXPECT_TRUE(w.fire());
    EXPECT_EQ(rescans.count(), 2);
}

TEST(AppFolderWatcher, ChangesInAWatchedFolderStartTheWait)
{
    // Counts every (re)start of the wait, so a change that was noticed
    // shows even when a later one restarts the same wait.
    struct CountingScheduler : ManualScheduler
    {
        int started = 0;
        TaskId schedule(std::chrono::milliseconds delay, std::function<void()> task) override
        {
            ++started;
            return ManualScheduler::schedule(delay, std::move(task));
        }
    };
    TemporaryRoots roots;
    const QString a = roots.root() + QStringLiteral("/Applications");
    const QString b = roots.home() + QStringLiteral("/Applications");
    QDir().mkpath(a);
    QDir().mkpath(b);
    CountingScheduler scheduler;
    AppFolderWatcher watcher(scheduler, [](const QString &) {});
    ASSERT_EQ(watcher.startMonitoring({ a, b }), 2);
    QDir().mkpath(a + QStringLiteral("/New.app"));
    ASSERT_TRUE(waitUntil([&] { return scheduler.started == 1; }));

    // Changes deeper inside a bundle are not the folder's own. Both folders
    // share one watch queue, so once the later change in the other folder
    // has been seen, any report of the deeper one has been seen before it.
    TemporaryRoots::writeFile(a + QStringLiteral("/New.app/Contents/Info.plist"), "x");
    QDir().mkpath(b + QStringLiteral("/Later.app"));
    ASSERT_TRUE(waitUntil([&] { return scheduler.started > 1; }));
    QCoreApplication::processEvents();
    EXPECT_EQ(scheduler.started, 2);
}

TEST(AppFolderWatcher, RenamingAWatchedFolderStartsTheWait)
{
    TemporaryRoots roots;
    const QString a = roots.root() + QStringLiteral("/Applications");
    QDir().mkpath(a);
    Watch w;
    ASSERT_EQ(w.watcher.startMonitoring({ a }), 1);
    ASSERT_TRUE(QDir().rename(a, a + QStringLiteral(" (old)")));
    ASSERT_TRUE(waitUntil([&] { return w.scheduler.pendingCount() > 0; }));
    EXPECT_TRUE(w.fire());
    EXPECT_TRUE(w.watcher.watchedFolders().isEmpty());
}

// The user's own application folder is often made after the program started.
TEST(AppFolderWatcher, AFolderMadeAfterTheStartIsWatchedFromThenOn)
{
    TemporaryRoots roots;
    const QString a = roots.root() + QStringLiteral("/Applications");
    const QString mine = roots.home() + QStringLiteral("/Applications");
    QDir().mkpath(a);
    QDir(mine).removeRecursively();
    Watch w;
    ASSERT_EQ(w.watcher.startMonitoring({ a, mine }), 1);
    ASSERT_TRUE(QDir().mkpath(mine));
    ASSERT_TRUE(waitUntil([&] { return w.scheduler.pendingCount() > 0; }));
    EXPECT_TRUE(w.fire());
    EXPECT_EQ(w.watcher.watchedFolders().size(), 2);
    EXPECT_TRUE(w.watcher.watchedFolders().contains(mine));
    // Changes inside it count like those of any other folder.
    QDir().mkpath(mine + QStringLiteral("/New.app"));
    ASSERT_TRUE(waitUntil([&] { return w.scheduler.pendingCount() > 0; }));
}
