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
    TemporaryRoots roots;
    const QString a = roots.root() + QStringLiteral("/Applications");
    QDir().mkpath(a);
    Watch w;
    w.watcher.startMonitoring({ a });
    QDir().mkpath(a + QStringLiteral("/New.app"));
    ASSERT_TRUE(waitUntil([&] { return w.scheduler.pendingCount() > 0; }));

    // Changes deeper inside a bundle are not the folder's own.
    EXPECT_TRUE(w.fire());
    TemporaryRoots::writeFile(a + QStringLiteral("/New.app/Contents/Info.plist"), "x");
    QCoreApplication::processEvents();
    waitUntil([] { return false; }, 200);
    EXPECT_EQ(w.scheduler.pendingCount(), 0u);
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
