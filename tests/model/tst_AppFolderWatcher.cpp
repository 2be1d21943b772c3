#include "TestSupport.h"

#include "model/AppFolderWatcher.h"

#include <QDir>
#include <QSignalSpy>

#include <gtest/gtest.h>

using namespace brimlark;
using namespace brimlark::test;

namespace {
// Fired by the test; records every start.
class ManualTimer : public OneShotTimer
{
public:
    struct State
    {
        int starts = 0;
        int lastMsec = 0;
        std::function<void()> pending;
    };
    explicit ManualTimer(std::shared_ptr<State> state)
        : m_state(std::move(state))
    {
    }
    void start(int msec, std::function<void()> fire) override
    {
        ++m_state->starts;
        m_state->lastMsec = msec;
        m_state->pending = std::move(fire);
    }
    void stop() override { m_state->pending = nullptr; }
    bool isActive() const override { return bool(m_state->pending); }

private:
    std::shared_ptr<State> m_state;
};

struct Watch
{
    std::shared_ptr<ManualTimer::State> timer = std::make_shared<ManualTimer::State>();
    QStringList lines;
    AppFolderWatcher watcher { std::make_unique<ManualTimer>(timer),
        [this](const QString &l) { lines << l; } };

    bool fire()
    {
        auto f = std::move(timer->pending);
        timer->pending = nullptr;
        if (!f) {
            return false;
        }
        f();
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
    }
    EXPECT_EQ(w.timer->starts, 3);
    EXPECT_EQ(w.timer->lastMsec, 1000);
    EXPECT_EQ(rescans.count(), 0);
    EXPECT_TRUE(w.fire());
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
    ASSERT_TRUE(waitUntil([&] { return w.timer->starts > 0; }));
    EXPECT_TRUE(w.timer->pending);

    // Changes deeper inside a bundle are not the folder's own.
    EXPECT_TRUE(w.fire());
    const int before = w.timer->starts;
    TemporaryRoots::writeFile(a + QStringLiteral("/New.app/Contents/Info.plist"), "x");
    // A change of the folder's own, made after: once it is seen, every event
    // before it has been handled too.
    QDir().mkpath(a + QStringLiteral("/Later.app"));
    ASSERT_TRUE(waitUntil([&] { return w.timer->starts > before; }));
    QCoreApplication::processEvents();
    EXPECT_EQ(w.timer->starts, before + 1);
}

TEST(AppFolderWatcher, RealTimerWaitsBeforeFiring)
{
    std::unique_ptr<OneShotTimer> timer = OneShotTimer::create();
    int fired = 0;
    timer->start(10, [&] { ++fired; });
    timer->start(10, [&] { fired += 10; });
    EXPECT_TRUE(timer->isActive());
    ASSERT_TRUE(waitUntil([&] { return fired > 0; }));
    EXPECT_EQ(fired, 10);
    EXPECT_FALSE(timer->isActive());
}

TEST(AppFolderWatcher, RenamingAWatchedFolderStartsTheWait)
{
    TemporaryRoots roots;
    const QString a = roots.root() + QStringLiteral("/Applications");
    QDir().mkpath(a);
    Watch w;
    ASSERT_EQ(w.watcher.startMonitoring({ a }), 1);
    ASSERT_TRUE(QDir().rename(a, a + QStringLiteral(" (old)")));
    ASSERT_TRUE(waitUntil([&] { return w.timer->starts > 0; }));
    EXPECT_TRUE(w.fire());
    EXPECT_TRUE(w.watcher.watchedFolders().isEmpty());
}
