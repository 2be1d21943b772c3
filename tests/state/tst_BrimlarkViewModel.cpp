#include "state/BrimlarkViewModel.h"

#include "model/AppFinder.h"
#include "model/WorkspaceManager.h"
#include "platform/base/Defaults.h"
#include "platform/core/ApplicationLauncher.h"
#include "platform/core/Biometrics.h"
#include "platform/core/BundleUrl.h"
#include "platform/core/NotificationCenter.h"
#include "state/AnalyticsReporter.h"
#include "state/HiddenItemsPassword.h"
#include "state/ObjectGraph.h"
#include "support/ManualScheduler.h"

#include "TestSupport.h"
#include "support/GraphOptions.h"
#include "support/LockOutcome.h"
#include "support/StoredFolders.h"
#include "support/ThreadedBiometrics.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QSemaphore>
#include <QSignalSpy>
#include <QThread>
#include <QThreadPool>
#include <QTimer>

#include <atomic>
#include <mutex>
#include <thread>

using namespace brimlark;
using test::ThreadedBiometrics;
using namespace std::chrono_literals;
using Kind = SidebarSelection::Kind;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace {

struct RecordingAnalytics : AnalyticsReporter
{
    QList<QPair<QString, QVariantMap>> events;
    void trackEvent(const QString &name, const QVariantMap &properties) override
    {
        events.append({ name, properties });
    }
};

class RecordingWorkspace : public ApplicationLauncher
{
public:
    bool openApplication(const QString &bundlePath) override
    {
        opened << bundlePath;
        return result;
    }
    QStringList opened;
    bool result = true;
};

using Names = std::vector<std::string>;

Names names(const QList<AppItem> &apps)
{
    Names out;
    for (const auto &a : apps) {
        out.push_back(a.name().toStdString());
    }
    return out;
}

class ViewModelTest : public ::testing::Test
{
protected:
    ObjectGraph::Options options()
    {
        ObjectGraph::Options o = test::fixedClockOptions(scheduler, workspace, biometrics);
        o.analytics = &analytics;
        return o;
    }
    BrimlarkViewModel::Services services() { return graph.viewModelServices(); }
    BrimlarkViewModel &makeVm()
    {
        vm = std::make_unique<BrimlarkViewModel>(finder, services());
        return *vm;
    }

    AppItem app(const QString &name, const QString &category = QStringLiteral("Utilities"))
    {
        return AppItem(name,
            BundleUrl::directoryUrl(
                roots.root() + QStringLiteral("/Applications/") + name + QStringLiteral(".app")),
            category);
    }
    void publish(const QList<AppItem> &apps) { finder.publishScan(apps, finder.beginScan()); }
    AppFolder makeFolder(const QString &name, const QList<AppItem> &members = {})
    {
        finder.createFolder(name, QStringLiteral("folder"), QStringLiteral("#336699"));
        AppFolder created;
        for (const auto &f : finder.folders()) {
            if (f.name == name) {
                created = f;
            }
        }
        for (const auto &m : members) {
            finder.addAppToFolder(m, created);
        }
        return current(created);
    }
    // The catalog's state of a folder (values held by tests go stale).
    AppFolder current(const AppFolder &folder) const
    {
        return *std::find(finder.folders().begin(), finder.folders().end(), folder);
    }
    AppItem byName(const QString &name) const
    {
        for (const auto &a : finder.apps()) {
            if (a.name() == name) {
                return a;
            }
        }
        return {};
    }
    // A catalog of six applications, Delta hidden.
    void standardCatalog()
    {
        publish({ app(QStringLiteral("Alpha"), QStringLiteral("Games")),
            app(QStringLiteral("Bravo"), QStringLiteral("Utilities")),
            app(QStringLiteral("Charlie"), QStringLiteral("Games")),
            app(QStringLiteral("Delta"), QStringLiteral("Utilities")),
            app(QStringLiteral("Echo"), QStringLiteral("Productivity")),
            app(QStringLiteral("Foxtrot"), QStringLiteral("Games")) });
        finder.hideApp(byName(QStringLiteral("Delta")));
    }
    test::TemporaryRoots roots;
    ManualScheduler scheduler;
    RecordingAnalytics analytics;
    RecordingWorkspace workspace;
    ThreadedBiometrics biometrics;
    ObjectGraph graph { options() };
    Defaults &defaults = graph.defaults();
    NotificationCenter &center = graph.center();
    WorkspaceManager &workspaces = graph.workspaces();
    AppFinder &finder = graph.finder();
    std::unique_ptr<BrimlarkViewModel> vm;
};

} // namespace

// ---- construction and observers

TEST_F(ViewModelTest, ConstructionFollowsTheCatalog)
{
    auto &v = makeVm();
    EXPECT_EQ(v.selection(), SidebarSelection(Kind::allApps));
    EXPECT_THAT(v.filteredApps(), IsEmpty());

    QSignalSpy filtered(&v, &BrimlarkViewModel::filteredAppsChanged);
    standardCatalog();
    EXPECT_GE(filtered.count(), 1);
    EXPECT_THAT(names(v.filteredApps()), ElementsAre("Alpha", "Bravo", "Charlie", "Echo", "Foxtrot"));
}

TEST_F(ViewModelTest, EachOperationIsOneChangeAndOneRefilter)
{
    standardCatalog();
    const AppFolder box = makeFolder(QStringLiteral("Box"), { byName(QStringLiteral("Alpha")) });
    auto &v = makeVm();
    QSignalSpy catalogChanges(&finder, &AppFinder::changed);
    QSignalSpy changes(&v, &BrimlarkViewModel::changed);
    QSignalSpy refilters(&v, &BrimlarkViewModel::refiltered);
    const auto clear = [&] {
        catalogChanges.clear();
        changes.clear();
        refilters.clear();
    };
    const struct
    {
        const char *what;
        // Whether the catalog itself changes.
        int catalogChanges;
        std::function<void()> act;
    } operations[] = {
        { "publish", 1,
            [&] {
                const QList<AppItem> apps = finder.apps() + QList<AppItem> { app(QStringLiteral("Golf")) };
                const quint64 generation = finder.beginScan();
                clear();
                finder.publishScan(apps, generation);
            } },
        { "folder edit", 1, [&] { finder.addAppToFolder(byName(QStringLiteral("Bravo")), box); } },
        // The edit sheet's "Save": name, icon and colour at once.
        { "folder sheet save", 1,
            [&] {
                finder.updateFolder(
                    box.id, QStringLiteral("Crate"), QStringLiteral("star"), QStringLiteral("#FF9500"));
            } },
        { "folder reorder", 1, [&] { finder.reorderFolders({ 0 }, 1); } },
        { "grid reorder", 1, [&] { finder.reorderUnifiedItems({ 0 }, 2, v.unifiedGridItems()); } },
        { "keystroke", 0, [&] { v.setSearchQuery(QStringLiteral("a")); } },
        { "second keystroke", 0, [&] { v.setSearchQuery(QStringLiteral("al")); } },
        { "cleared search", 0, [&] { v.setSearchQuery(QString()); } },
        { "selection", 0, [&] { v.setSelection(SidebarSelection::ofCategory(QStringLiteral("Games"))); } },
        { "same selection", 0,
            [&] { v.setSelection(SidebarSelection::ofCategory(QStringLiteral("Games"))); } },
        { "folder selection", 0, [&] { v.selectFolder(current(box)); } },
        // Without a password hiding also selects the hidden section.
        { "hide", 1, [&] { v.hideAppGlobally(byName(QStringLiteral("Bravo"))); } },
        { "show", 1, [&] { finder.unhideApp(byName(QStringLiteral("Delta"))); } },
        { "hide folder", 1, [&] { v.hideFolderGlobally(current(box)); } },
        { "show folder", 1, [&] { finder.unhideFolder(current(box)); } },
        { "delete selected folder", 1,
            [&] {
                v.selectFolder(current(box));
                clear();
                v.deleteFolder(box);
            } },
    };
    for (const auto &op : operations) {
        clear();
        op.act();
        EXPECT_EQ(catalogChanges.count(), op.catalogChanges) << op.what;
        EXPECT_EQ(changes.count(), 1) << op.what;
        EXPECT_EQ(refilters.count(), 1) << op.what;
    }
    EXPECT_EQ(v.selection(), SidebarSelection(Kind::allApps));
}

// Any selection but the hidden section locks it, in the selection's own
// change.
TEST_F(ViewModelTest, SelectionOutsideTheHiddenSectionLocksInTheSameChange)
{
    auto &v = makeVm();
    QSignalSpy changes(&v, &BrimlarkViewModel::changed);
    QSignalSpy unlocked(&v, &BrimlarkViewModel::isHiddenUnlockedChanged);
    QSignalSpy refilters(&v, &BrimlarkViewModel::refiltered);
    const struct
    {
        SidebarSelection from;
        std::optional<SidebarSelection> to;
        bool staysUnlocked;
    } rows[] = {
        { SidebarSelection(Kind::hidden), SidebarSelection(Kind::hidden), true },
        { SidebarSelection(Kind::hidden), SidebarSelection(Kind::allApps), false },
        { SidebarSelection(Kind::hidden), std::nullopt, false },
        { SidebarSelection(Kind::hidden), SidebarSelection(Kind::recents), false },
        { SidebarSelection(Kind::hidden), SidebarSelection::ofCategory(QStringLiteral("Games")), false },
        // The same value again still locks.
        { SidebarSelection(Kind::allApps), SidebarSelection(Kind::allApps), false },
    };
    for (const auto &row : rows) {
        v.setSelection(row.from);
        v.hiddenItemsLock()->setUnlocked(true);
        changes.clear();
        unlocked.clear();
        refilters.clear();
        v.setSelection(row.to);
        const int what = row.to ? int(row.to->kind()) : -1;
        EXPECT_EQ(v.hiddenItemsLock()->isUnlocked(), row.staysUnlocked) << what;
        EXPECT_EQ(changes.count(), 1) << what;
        EXPECT_EQ(unlocked.count(), row.staysUnlocked ? 0 : 1) << what;
        EXPECT_EQ(refilters.count(), 1) << what;
    }
    // Leaving and coming back shows the unlock screen again.
    v.setSelection(SidebarSelection(Kind::hidden));
    v.hiddenItemsLock()->setUnlocked(true);
    v.selectSection(Kind::favorites);
    v.selectSection(Kind::hidden);
    EXPECT_FALSE(v.hiddenItemsLock()->isUnlocked());
}

// The lock's own operations reach the view model as one change each.
TEST_F(ViewModelTest, LockOperationsAreOneChangeOfTheViewModel)
{
    auto &v = makeVm();
    QSignalSpy changes(&v, &BrimlarkViewModel::changed);
    QSignalSpy unlocked(&v, &BrimlarkViewModel::isHiddenUnlockedChanged);
    QSignalSpy refilters(&v, &BrimlarkViewModel::refiltered);
    const struct
    {
        const char *what;
        std::function<void()> act;
        int changes;
        int unlocked;
    } rows[] = {
        { "unlock", [&] { v.hiddenItemsLock()->setUnlocked(true); }, 1, 1 },
        { "lock", [&] { v.hiddenItemsLock()->lock(); }, 1, 1 },
        { "lock again", [&] { v.hiddenItemsLock()->lock(); }, 0, 0 },
        // Only the stored password changes: still one change.
        { "disable while locked", [&] { v.hiddenItemsLock()->disableSecurity(); }, 1, 0 },
    };
    for (const auto &row : rows) {
        changes.clear();
        unlocked.clear();
        refilters.clear();
        row.act();
        EXPECT_EQ(changes.count(), row.changes) << row.what;
        EXPECT_EQ(unlocked.count(), row.unlocked) << row.what;
        EXPECT_LE(refilters.count(), 1) << row.what;
    }
}

TEST_F(ViewModelTest, LeavingTheHiddenSectionVoidsACheckStillRunning)
{
    // One worker, held by a task of the test's own: the check can only run
    // once the test lets it go.
    QThreadPool pool;
    pool.setMaxThreadCount(1);
    QSemaphore gate;
    auto s = services();
    s.passwordPool = &pool;
    BrimlarkViewModel v(finder, s);
    v.setSelection(SidebarSelection(Kind::hidden));

    pool.start([&gate] { gate.acquire(); });
    std::optional<bool> answer;
    ASSERT_TRUE(v.hiddenItemsLock()->checkPassword(QString(), [&answer](bool ok) { answer = ok; }));
    v.setSelection(SidebarSelection(Kind::allApps));
    gate.release();
    ASSERT_TRUE(test::waitUntil([&] { return answer.has_value(); }));
    EXPECT_FALSE(*answer);
    EXPECT_FALSE(v.hiddenItemsLock()->isUnlocked());
}

TEST_F(ViewModelTest, NotifySignalsComeAfterTheStore)
{
    auto &v = makeVm();
    QString seenQuery;
    int seenKind = -2;
    QObject::connect(&v, &BrimlarkViewModel::searchQueryChanged, [&] { seenQuery = v.searchQuery(); });
    QObject::connect(
        &v, &BrimlarkViewModel::selectionChanged, [&] { seenKind = int(v.selection()->kind()); });
    v.setSearchQuery(QStringLiteral("abc"));
    v.selectSection(Kind::favorites);
    EXPECT_EQ(seenQuery, QStringLiteral("abc"));
    EXPECT_EQ(seenKind, int(Kind::favorites));
}

TEST_F(ViewModelTest, SearchIsReportedOnlyAfterTwoQuietSeconds)
{
    const struct
    {
        const char *name;
        std::vector<std::pair<std::chrono::milliseconds, QString>> typed; // delay before, text
        Names reported;
    } rows[] = {
        { "extended within the delay", { { 0ms, QStringLiteral("sa") }, { 1500ms, QStringLiteral("saf") } },
            { "saf" } },
        { "cleared within the delay", { { 0ms, QStringLiteral("x") }, { 1000ms, QString() } }, {} },
        { "two pauses, same text", { { 0ms, QStringLiteral("a") }, { 2000ms, QStringLiteral("a") } },
            { "a", "a" } },
        { "paused then changed", { { 0ms, QStringLiteral("ab") }, { 2500ms, QStringLiteral("abc") } },
            { "ab", "abc" } },
        { "cleared after a report", { { 0ms, QStringLiteral("q") }, { 2000ms, QString() } }, { "q" } },
    };
    for (const auto &row : rows) {
        analytics.events.clear();
        auto &v = makeVm();
        scheduler.advance(10s); // the empty text at start is never reported
        ASSERT_THAT(analytics.events, IsEmpty());
        for (const auto &[delay, text] : row.typed) {
            scheduler.advance(delay);
            v.setSearchQuery(text);
        }
        scheduler.advance(1999ms);
        const auto beforeLast = analytics.events.size();
        scheduler.advance(1ms);
        scheduler.advance(10s);
        Names reported;
        for (const auto &[name, props] : analytics.events) {
            EXPECT_EQ(name, QStringLiteral("Search Used")) << row.name;
            EXPECT_EQ(props.keys(), QStringList { QStringLiteral("query") }) << row.name;
            reported.push_back(props.value(QStringLiteral("query")).toString().toStdString());
        }
        EXPECT_EQ(reported, row.reported) << row.name;
        // Nothing of the last text goes out before its full two seconds.
        if (!row.typed.back().second.isEmpty()) {
            EXPECT_EQ(beforeLast + 1, analytics.events.size()) << row.name;
        }
    }
}

TEST_F(ViewModelTest, DestroyedViewModelReportsNothingLater)
{
    makeVm().setSearchQuery(QStringLiteral("late"));
    vm.reset();
    scheduler.advance(5s);
    EXPECT_THAT(analytics.events, IsEmpty());
    EXPECT_EQ(scheduler.pendingCount(), 0u);
}

TEST_F(ViewModelTest, EverySectionLeavesHiddenAppsOut)
{
    standardCatalog();
    const AppItem delta = byName(QStringLiteral("Delta"));
    const AppFolder folder = makeFolder(
        QStringLiteral("Mixed"), { byName(QStringLiteral("Echo")), delta, byName(QStringLiteral("Alpha")) });
    finder.addToRecents(byName(QStringLiteral("Bravo")));
    finder.addToRecents(delta);
    finder.addToRecents(byName(QStringLiteral("Charlie")));
    finder.toggleFavorite(byName(QStringLiteral("Foxtrot")));
    finder.toggleFavorite(delta);
    auto &v = makeVm();

    const struct
    {
        std::optional<SidebarSelection> selection;
        Names expected;
    } rows[] = {
        { SidebarSelection(Kind::allApps), { "Alpha", "Bravo", "Charlie", "Echo", "Foxtrot" } },
        { std::nullopt, { "Alpha", "Bravo", "Charlie", "Echo", "Foxtrot" } },
        { SidebarSelection::ofFolder(folder), { "Echo", "Alpha" } },
        { SidebarSelection::ofCategory(QStringLiteral("Utilities")), { "Bravo" } },
        { SidebarSelection::ofCategory(QStringLiteral("utilities")), {} },
        { SidebarSelection(Kind::recents), { "Charlie", "Bravo" } },
        { SidebarSelection(Kind::favorites), { "Foxtrot" } },
        { SidebarSelection(Kind::newlyAdded), { "Alpha", "Bravo", "Charlie", "Echo", "Foxtrot" } },
        { SidebarSelection(Kind::hidden), { "Delta" } },
    };
    for (const auto &row : rows) {
        v.setSelection(row.selection);
        EXPECT_EQ(names(v.filteredApps()), row.expected) << int(v.selection()->kind());
    }
}

TEST_F(ViewModelTest, SearchLooksThroughAllVisibleAppsInSortOrder)
{
    standardCatalog();
    const AppFolder folder = makeFolder(QStringLiteral("Solo"), { byName(QStringLiteral("Bravo")) });
    finder.setAllAppsSortOption(AppSortOption::nameDescending);
    auto &v = makeVm();

    const std::optional<SidebarSelection> sections[]
        = { SidebarSelection::ofFolder(folder), SidebarSelection::ofCategory(QStringLiteral("Productivity")),
              SidebarSelection(Kind::recents), SidebarSelection(Kind::favorites), std::nullopt };
    for (const auto &section : sections) {
        v.setSelection(section);
        v.setSearchQuery(QStringLiteral("A")); // case-insensitive: Alpha, Bravo, Charlie, Delta(hidden)
        EXPECT_THAT(names(v.filteredApps()), ElementsAre("Charlie", "Bravo", "Alpha"))
            << int(v.selection()->kind());
    }
    v.setSelection(SidebarSelection::ofFolder(folder));
    v.setSearchQuery(QString());
    EXPECT_THAT(names(v.filteredApps()), ElementsAre("Bravo"));

    v.selectSection(Kind::hidden);
    v.setSearchQuery(QStringLiteral("a"));
    EXPECT_THAT(names(v.filteredApps()), ElementsAre("Delta"));
    v.setSearchQuery(QStringLiteral("echo"));
    EXPECT_THAT(v.filteredApps(), IsEmpty());
}

// Each keystroke gives what a fresh search would, whatever came before it:
// typed on, erased, or across a rescan, a change of what is hidden, of the
// sort or of the section. Case is ignored letter for letter; accents are not.
TEST_F(ViewModelTest, SearchAnswersEachKeystrokeAsAFreshSearchWould)
{
    standardCatalog();
    QList<AppItem> apps = finder.apps();
    apps << app(QStringLiteral("Éclair Studio")) << app(QStringLiteral("Straße"))
         << app(QStringLiteral("𐐀Dox"));
    publish(apps);
    auto &v = makeVm();
    const auto sortBy
        = [&](AppSortOption option) { return [&, option] { finder.setAllAppsSortOption(option); }; };
    const auto show = [&](Kind kind) { return [&, kind] { v.selectSection(kind); }; };

    const struct
    {
        std::function<void()> before;
        const char *query;
        // Left out where the section's own list is the answer.
        std::optional<Names> expected;
    } rows[] = {
        { {}, "e", Names { "Charlie", "Echo", "Straße" } },
        { {}, "ec", Names { "Echo" } },
        { {}, "e", Names { "Charlie", "Echo", "Straße" } },
        { [&] { publish(apps << app(QStringLiteral("Eclipse"))); }, "ec", Names { "Echo", "Eclipse" } },
        { {}, "ÉC", Names { "Éclair Studio" } },
        { {}, "ßE", Names { "Straße" } },
        { {}, "SSE", Names {} },
        { {}, "𐐨", Names { "𐐀Dox" } },
        { {}, "DE", Names {} },
        { [&] { finder.unhideApp(byName(QStringLiteral("Delta"))); }, "DEL", Names { "Delta" } },
        { sortBy(AppSortOption::nameDescending), "e",
            Names { "Straße", "Eclipse", "Echo", "Delta", "Charlie" } },
        { {}, "ec", Names { "Eclipse", "Echo" } },
        { sortBy(AppSortOption::category), "e", Names { "Charlie", "Echo", "Delta", "Straße", "Eclipse" } },
        { [&] {
             finder.setAllAppsSortOption(AppSortOption::recentlyUsed);
             finder.addToRecents(byName(QStringLiteral("Straße")));
         },
            "e", Names { "Straße", "Charlie", "Delta", "Echo", "Eclipse" } },
        { [&] { finder.addToRecents(byName(QStringLiteral("Echo"))); }, "e",
            Names { "Echo", "Straße", "Charlie", "Delta", "Eclipse" } },
        { [&] { finder.hideApp(byName(QStringLiteral("Echo"))); }, "ec", Names { "Eclipse" } },
        { show(Kind::hidden), "e", Names { "Echo" } },
        { {}, "", Names { "Echo" } },
        { [&] {
             finder.toggleFavorite(byName(QStringLiteral("Bravo")));
             v.selectSection(Kind::favorites);
         },
            "", Names { "Bravo" } },
        { {}, "a", Names { "Straße", "Alpha", "Bravo", "Charlie", "Delta", "Éclair Studio" } },
        { {}, "", Names { "Bravo" } },
        { show(Kind::newlyAdded), "", std::nullopt },
        { {}, "l", Names { "Alpha", "Charlie", "Delta", "Éclair Studio", "Eclipse" } },
        { {}, "", std::nullopt },
        { [&] {
             v.selectFolder(makeFolder(QStringLiteral("Box"),
                 { byName(QStringLiteral("Foxtrot")), byName(QStringLiteral("Alpha")) }));
         },
            "", Names { "Foxtrot", "Alpha" } },
        { {}, "t", Names { "Straße", "Delta", "Éclair Studio", "Foxtrot" } },
        { [&] {
             apps.removeIf([](const AppItem &a) { return a.name() == u"Foxtrot"; });
             publish(apps);
         },
            "tr", Names { "Straße" } },
        { {}, "", Names { "Alpha" } },
        { [&] { publish(apps << app(QStringLiteral("Odd") + QChar(0xD800))); }, "?", Names {} },
        { sortBy(AppSortOption::nameDescending), "c", Names { "Eclipse", "Éclair Studio", "Charlie" } },
        { [&] { v.setSelection(SidebarSelection::ofCategory(QStringLiteral("Games"))); }, "",
            Names { "Alpha", "Charlie" } },
        { [&] { finder.hideApp(byName(QStringLiteral("Charlie"))); }, "", Names { "Alpha" } },
    };
    for (const auto &row : rows) {
        if (row.before) {
            row.before();
        }
        const QString query = QString::fromUtf8(row.query);
        v.setSearchQuery(query);
        EXPECT_EQ(names(v.filteredApps()), names(CatalogFilter(finder).apps(v.selection(), query)))
            << row.query;
        if (row.expected) {
            EXPECT_EQ(names(v.filteredApps()), *row.expected) << row.query;
        }
    }
}

TEST_F(ViewModelTest, CategoryKeepsNameOrderWhileAllAppsFollowsTheSortOption)
{
    standardCatalog();
    auto &v = makeVm();
    v.setSelection(SidebarSelection::ofCategory(QStringLiteral("Games")));
    for (auto option : AppSortOptions::allCases()) {
        finder.setAllAppsSortOption(option);
        EXPECT_THAT(names(v.filteredApps()), ElementsAre("Alpha", "Charlie", "Foxtrot"));
    }
    v.selectSection(Kind::allApps);
    finder.setAllAppsSortOption(AppSortOption::nameDescending);
    EXPECT_THAT(names(v.filteredApps()), ElementsAre("Foxtrot", "Echo", "Charlie", "Bravo", "Alpha"));
    finder.setAllAppsSortOption(AppSortOption::category);
    EXPECT_THAT(names(v.filteredApps()), ElementsAre("Alpha", "Charlie", "Foxtrot", "Echo", "Bravo"));
}

TEST_F(ViewModelTest, FolderContentsComeFromTheCatalogNotTheSelectionsCopy)
{
    standardCatalog();
    const AppFolder empty = makeFolder(QStringLiteral("Later"));
    auto &v = makeVm();
    v.selectFolder(empty);
    EXPECT_THAT(v.filteredApps(), IsEmpty());
    finder.addAppToFolder(byName(QStringLiteral("Echo")), empty);
    EXPECT_THAT(names(v.filteredApps()), ElementsAre("Echo"));

    AppFolder ghost = empty;
    ghost.id = QUuid::createUuid();
    ghost.appURLs = { byName(QStringLiteral("Alpha")).urlText() };
    v.selectFolder(ghost);
    EXPECT_THAT(v.filteredApps(), IsEmpty());
}

TEST_F(ViewModelTest, FavoritesAndSortChangesShowAtOnce)
{
    standardCatalog();
    finder.toggleFavorite(byName(QStringLiteral("Alpha")));
    finder.toggleFavorite(byName(QStringLiteral("Echo")));
    auto &v = makeVm();
    v.selectSection(Kind::favorites);
    EXPECT_THAT(names(v.filteredApps()), ElementsAre("Alpha", "Echo"));
    finder.toggleFavorite(byName(QStringLiteral("Alpha")));
    EXPECT_THAT(names(v.filteredApps()), ElementsAre("Echo"));
}

TEST_F(ViewModelTest, SameAppsPublishNothingAndGroupingFollowsFilteredApps)
{
    standardCatalog();
    auto &v = makeVm();
    EXPECT_THAT(names(v.groupedAppsByCategory().value(QStringLiteral("Games"))),
        ElementsAre("Alpha", "Charlie", "Foxtrot"));
    // Every category of a visible app and nothing else.
    EXPECT_EQ(QSet<QString>(v.groupedAppsByCategory().keyBegin(), v.groupedAppsByCategory().keyEnd()),
        (QSet<QString> {
            QStringLiteral("Games"), QStringLiteral("Utilities"), QStringLiteral("Productivity") }));

    QSignalSpy filtered(&v, &BrimlarkViewModel::filteredAppsChanged);
    QSignalSpy grouped(&v, &BrimlarkViewModel::groupedAppsByCategoryChanged);
    publish(finder.apps());
    v.setSearchQuery(QString());
    EXPECT_EQ(filtered.count(), 0);
    EXPECT_EQ(grouped.count(), 0);

    // A rescan that finds only new categories still reaches the views.
    QList<AppItem> recategorised;
    for (const auto &a : finder.apps()) {
        recategorised << AppItem(a.name(), a.url(), QStringLiteral("Other"));
    }
    publish(recategorised);
    EXPECT_EQ(filtered.count(), 1);
    EXPECT_EQ(grouped.count(), 1);
    EXPECT_EQ(QSet<QString>(v.groupedAppsByCategory().keyBegin(), v.groupedAppsByCategory().keyEnd()),
        QSet<QString> { QStringLiteral("Other") });
}

TEST_F(ViewModelTest, UnifiedGridMergesStoredOrderWithCurrentFoldersAndCategories)
{
    standardCatalog();
    // Utilities holds only Delta once Bravo is hidden too.
    finder.hideApp(byName(QStringLiteral("Bravo")));
    const AppFolder one = makeFolder(QStringLiteral("One"));
    const AppFolder two = makeFolder(QStringLiteral("Two"));
    auto &v = makeVm();
    const auto f = [](const AppFolder &x) { return GridItemIdentifier::folder(x.id); };
    const auto c = [](const char *n) { return GridItemIdentifier::category(QString::fromUtf8(n)); };

    // No stored order: folders in folder order, then categories by name.
    EXPECT_THAT(
        v.unifiedGridItems(), ElementsAre(f(one), f(two), c("Games"), c("Productivity"), c("Utilities")));
    EXPECT_FALSE(v.groupedAppsByCategory().contains(QStringLiteral("Utilities")));

    // Move Utilities to the front: the order is stored.
    finder.reorderUnifiedItems({ 4 }, 0, v.unifiedGridItems());
    EXPECT_THAT(
        v.unifiedGridItems(), ElementsAre(c("Utilities"), f(one), f(two), c("Games"), c("Productivity")));

    // A new folder comes first; a hidden one leaves and comes back in place.
    const AppFolder three = makeFolder(QStringLiteral("Three"));
    v.hideFolderGlobally(two);
    EXPECT_THAT(
        v.unifiedGridItems(), ElementsAre(f(three), c("Utilities"), f(one), c("Games"), c("Productivity")));
    finder.unhideFolder(two);
    EXPECT_THAT(v.unifiedGridItems(),
        ElementsAre(f(three), c("Utilities"), f(one), f(two), c("Games"), c("Productivity")));

    // A new category goes last; stale stored entries are skipped.
    QList<AppItem> more = finder.apps();
    more << app(QStringLiteral("Zulu"), QStringLiteral("Education"));
    publish(more);
    v.deleteFolder(one);
    EXPECT_THAT(v.unifiedGridItems(),
        ElementsAre(f(three), c("Utilities"), f(two), c("Games"), c("Productivity"), c("Education")));
}

TEST_F(ViewModelTest, AppsNotInFolderOffersHiddenAppsToo)
{
    standardCatalog();
    const AppFolder folder = makeFolder(
        QStringLiteral("F"), { byName(QStringLiteral("Alpha")), byName(QStringLiteral("Echo")) });
    auto &v = makeVm();
    EXPECT_THAT(names(v.appsNotInFolder(folder)), ElementsAre("Bravo", "Charlie", "Delta", "Foxtrot"));
}

// ---- launching

TEST_F(ViewModelTest, LaunchOpensAddsToRecentsAndReportsOnce)
{
    standardCatalog();
    auto &v = makeVm();
    v.selectSection(Kind::recents);
    workspace.result = true;
    const AppItem target = byName(QStringLiteral("Echo"));
    EXPECT_TRUE(v.launchApp(target));
    EXPECT_EQ(workspace.opened.back(), target.id());
    ASSERT_EQ(analytics.events.size(), 1);
    EXPECT_EQ(analytics.events[0].first, QStringLiteral("App Launched"));
    EXPECT_EQ(analytics.events[0].second, (QVariantMap { { QStringLiteral("app_name"), target.name() } }));
    EXPECT_EQ(v.filteredApps().front(), target);

    // A launch that fails is tried, but neither recorded nor reported.
    analytics.events.clear();
    workspace.result = false;
    const AppItem failing = byName(QStringLiteral("Bravo"));
    EXPECT_FALSE(v.launchApp(failing));
    EXPECT_EQ(workspace.opened.back(), failing.id());
    EXPECT_TRUE(analytics.events.empty());
    EXPECT_THAT(names(v.filteredApps()), ElementsAre("Echo"));
}

TEST_F(ViewModelTest, LaunchStartsTheBundlesExecutable)
{
    const QString bundle = roots.root() + QStringLiteral("/Applications/Marker.app");
    const QString marker = roots.home() + QStringLiteral("/launched.txt");
    ASSERT_TRUE(test::TemporaryRoots::writeFile(bundle + QStringLiteral("/Contents/Info.plist"),
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
        "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
        "<plist version=\"1.0\"><dict>"
        "<key>CFBundleExecutable</key><string>marker</string>"
        "<key>CFBundleName</key><string>Marker</string>"
        "</dict></plist>\n"));
    const QString exe = bundle + QStringLiteral("/Contents/MacOS/marker");
    ASSERT_TRUE(test::TemporaryRoots::writeFile(
        exe, QStringLiteral("#!/bin/sh\necho started > '%1'\n").arg(marker).toUtf8()));
    QFile::setPermissions(exe, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    publish(
        { AppItem(QStringLiteral("Marker"), BundleUrl::directoryUrl(bundle), QStringLiteral("Utilities")) });

    ApplicationLauncher real;
    auto s = services();
    s.workspace = &real;
    BrimlarkViewModel v(finder, s);
    EXPECT_TRUE(v.launchApp(finder.apps().front()));
    EXPECT_TRUE(test::waitUntil([&] { return QFile::exists(marker); }));
    EXPECT_EQ(finder.recentApps().front().name(), QStringLiteral("Marker"));

    // An unreadable bundle is a failed open: not a recent application.
    const AppItem broken(QStringLiteral("Broken"),
        BundleUrl::directoryUrl(roots.root() + QStringLiteral("/Broken.app")), QString());
    EXPECT_FALSE(v.launchApp(broken));
    EXPECT_EQ(finder.recentApps().front().name(), QStringLiteral("Marker"));
    EXPECT_EQ(finder.recentApps().size(), 1);
}

// ---- visibility and folders

TEST_F(ViewModelTest, HidingGoesToTheHiddenSectionOnlyWithoutAPassword)
{
    standardCatalog();
    const AppFolder folder = makeFolder(QStringLiteral("Games Folder"));
    auto &v = makeVm();
    v.setSelection(SidebarSelection::ofCategory(QStringLiteral("Games")));
    v.hideAppGlobally(byName(QStringLiteral("Alpha")));
    EXPECT_EQ(v.selection(), SidebarSelection(Kind::hidden));
    EXPECT_THAT(names(v.filteredApps()), ElementsAre("Alpha", "Delta"));

    test::setPassword(*v.hiddenItemsLock(), QStringLiteral("pw"), false);
    v.setSelection(SidebarSelection::ofCategory(QStringLiteral("Games")));
    v.hideAppGlobally(byName(QStringLiteral("Charlie")));
    v.hideFolderGlobally(folder);
    EXPECT_EQ(v.selection(), SidebarSelection::ofCategory(QStringLiteral("Games")));
    EXPECT_THAT(names(v.filteredApps()), ElementsAre("Foxtrot"));
    EXPECT_TRUE(finder.hiddenFolderIDs().contains(folder.id));

    finder.unhideApp(byName(QStringLiteral("Charlie")));
    EXPECT_THAT(names(v.filteredApps()), ElementsAre("Charlie", "Foxtrot"));
}

TEST_F(ViewModelTest, DeletingTheSelectedFolderReturnsToAllApps)
{
    standardCatalog();
    const AppFolder keep = makeFolder(QStringLiteral("Keep"), { byName(QStringLiteral("Alpha")) });
    const AppFolder gone = makeFolder(QStringLiteral("Gone"), { byName(QStringLiteral("Echo")) });
    auto &v = makeVm();
    v.selectFolder(keep);
    v.deleteFolder(gone);
    EXPECT_EQ(v.selection(), SidebarSelection::ofFolder(keep));
    AppFolder renamedCopy = keep;
    renamedCopy.name = QStringLiteral("Old Name");
    v.deleteFolder(renamedCopy);
    EXPECT_EQ(v.selection(), SidebarSelection(Kind::allApps));
    EXPECT_THAT(finder.folders(), IsEmpty());
    EXPECT_EQ(finder.apps().size(), 6); // the applications themselves stay
}

TEST_F(ViewModelTest, MovingAnAppTakesTheTargetsPlace)
{
    standardCatalog();
    const QList<AppItem> abcd = { byName(QStringLiteral("Alpha")), byName(QStringLiteral("Bravo")),
        byName(QStringLiteral("Charlie")), byName(QStringLiteral("Echo")) };
    auto &v = makeVm();
    const struct
    {
        int from;
        int onto;
        Names expected;
    } rows[] = {
        { 3, 1, { "Alpha", "Echo", "Bravo", "Charlie" } },
        { 0, 2, { "Bravo", "Charlie", "Alpha", "Echo" } },
        { 0, 1, { "Bravo", "Alpha", "Charlie", "Echo" } },
        { 2, 2, { "Alpha", "Bravo", "Charlie", "Echo" } },
    };
    int n = 0;
    for (const auto &row : rows) {
        const AppFolder folder = makeFolder(QStringLiteral("F%1").arg(n++), abcd);
        v.moveFolderApp(abcd[row.from], abcd[row.onto], folder);
        EXPECT_EQ(names(finder.getAppsInFolder(current(folder))), row.expected)
            << row.from << "->" << row.onto;
    }
    // A stored member without its trailing "/" is the same bundle.
    const AppFolder bare = makeFolder(QStringLiteral("Bare"), abcd);
    QList<AppFolder> folders = finder.folders();
    for (auto &f : folders) {
        if (f.id == bare.id) {
            f.appURLs[3].chop(1);
        }
    }
    test::storeFolders(defaults, workspaces, finder, folders);
    const QString echoBare = current(bare).appURLs[3];
    v.moveFolderApp(abcd[3], abcd[0], current(bare));
    EXPECT_EQ(current(bare).appURLs,
        (QStringList { echoBare, abcd[0].urlText(), abcd[1].urlText(), abcd[2].urlText() }));
    // An app outside the folder moves nothing.
    const AppFolder folder = makeFolder(QStringLiteral("Last"), abcd);
    v.moveFolderApp(byName(QStringLiteral("Foxtrot")), abcd[0], folder);
    EXPECT_THAT(
        names(finder.getAppsInFolder(current(folder))), ElementsAre("Alpha", "Bravo", "Charlie", "Echo"));
}

namespace {
QStringList *capturedLog = nullptr;
void captureMessage(QtMsgType, const QMessageLogContext &, const QString &message)
{
    if (capturedLog) {
        *capturedLog << message;
    }
}
} // namespace

TEST_F(ViewModelTest, PasswordNeverReachesTheLogOrAnalytics)
{
    standardCatalog();
    QStringList log;
    capturedLog = &log;
    const auto previous = qInstallMessageHandler(captureMessage);
    {
        auto &v = makeVm();
        const QString secret = QStringLiteral("Zebra-Quartz-91");
        test::setPassword(*v.hiddenItemsLock(), secret, true);
        test::check(*v.hiddenItemsLock(), secret);
        test::check(*v.hiddenItemsLock(), secret + QStringLiteral("x"));
        workspace.result = false;
        v.launchApp(byName(QStringLiteral("Echo")));
        v.setSearchQuery(QStringLiteral("Ec"));
        scheduler.advance(3s);
        v.hiddenItemsLock()->disableSecurity();
        ASSERT_FALSE(log.isEmpty()); // the failed launch did print
        for (const auto &line : std::as_const(log)) {
            EXPECT_FALSE(line.contains(QStringLiteral("Zebra"))) << line.toStdString();
        }
        for (const auto &[name, props] : std::as_const(analytics.events)) {
            for (const auto &value : props) {
                EXPECT_FALSE(value.toString().contains(QStringLiteral("Zebra")));
            }
        }
        EXPECT_EQ(analytics.events.size(), 1); // only the search: the failed launch is not reported
    }
    qInstallMessageHandler(previous);
    capturedLog = nullptr;
}
