#include "model/AppFinder.h"
#include "model/StoredJson.h"
#include "model/WorkspaceManager.h"
#include "platform/base/Defaults.h"
#include "platform/core/BundleUrl.h"
#include "platform/core/NotificationCenter.h"
#include "platform/core/UuidText.h"
#include "support/CatalogApps.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <limits>
#include <map>
#include <random>

namespace brimlark {
// Readable failure messages.
void PrintTo(const AppItem &item, std::ostream *os)
{
    *os << item.name().toStdString() << " (" << item.id().toStdString() << ")";
}
} // namespace brimlark

using namespace brimlark;
using test::app;
using test::names;

namespace {

constexpr qint64 kDay = 86400;

QStringList folderNames(const QList<AppFolder> &folders)
{
    QStringList out;
    for (const auto &f : folders) {
        out << f.name;
    }
    return out;
}

QStringList texts(std::initializer_list<const char *> items)
{
    QStringList out;
    for (const char *item : items) {
        out << QString::fromUtf8(item);
    }
    return out;
}

QStringList urlTexts(const QList<AppItem> &apps)
{
    QStringList out;
    for (const auto &a : apps) {
        out << a.urlText();
    }
    return out;
}

class AppFinderTest : public ::testing::Test
{
protected:
    AppFinder &make()
    {
        finder = std::make_unique<AppFinder>(
            defaults, workspaces, center, [this] { return now; },
            [this](const QString &path) -> std::optional<AppFinder::FileDates> {
                ++dateReads[path];
                auto it = fileDates.constFind(path);
                return it == fileDates.constEnd() ? std::optional<AppFinder::FileDates>() : *it;
            });
        return *finder;
    }
    void publish(const QList<AppItem> &apps) { finder->publishScan(apps, finder->beginScan()); }
    void start(const QList<AppItem> &apps)
    {
        make();
        publish(apps);
    }
    // Appends each signal's name to order as it is sent.
    void noteSignals(
        QStringList &order, std::initializer_list<std::pair<const char *, void (AppFinder::*)()>> list)
    {
        for (const auto &[what, signal] : list) {
            QObject::connect(
                finder.get(), signal, [&order, what = what] { order << QString::fromLatin1(what); });
        }
    }

    QStringList stored(const QString &key) const
    {
        QStringList out;
        for (const auto &s : defaults.stringArray(key.toStdString()).value_or(std::vector<std::string> {})) {
            out << QString::fromStdString(s);
        }
        return out;
    }
    void store(const QString &key, const QStringList &strings)
    {
        std::vector<std::string> v;
        for (const auto &s : strings) {
            v.push_back(s.toStdString());
        }
        defaults.setStrings(key.toStdString(), v);
    }
    QString wsKey(const QString &base) const { return workspaces.perWorkspaceKey(base); }
    void storeFolders(const QList<AppFolder> &folders)
    {
        auto json = nlohmann::ordered_json::array();
        for (const auto &f : folders) {
            json.push_back(f.toJson());
        }
        StoredJson::write(defaults, wsKey(QStringLiteral("AppFolders")), json);
    }
    QList<AppFolder> storedFolders()
    {
        auto list = StoredJson::readList<AppFolder>(
            defaults, wsKey(QStringLiteral("AppFolders")), &AppFolder::fromJson);
        return list ? QList<AppFolder>(list->begin(), list->end()) : QList<AppFolder> {};
    }
    AppFolder folderNamed(const QString &name) const
    {
        for (const auto &f : finder->folders()) {
            if (f.name == name) {
                return f;
            }
        }
        ADD_FAILURE() << "no folder " << name.toStdString();
        return {};
    }
    static AppFolder folder(
        const QString &name, qint64 sortOrder, const QDateTime &createdAt, bool pinned = false)
    {
        AppFolder f;
        f.id = QUuid::createUuid();
        f.name = name;
        f.icon = QStringLiteral("folder");
        f.color = QStringLiteral("#007AFF");
        f.createdAt = createdAt;
        f.sortOrder = sortOrder;
        f.isPinned = pinned;
        return f;
    }
    double secondsAgo(double s) const { return double(now.toMSecsSinceEpoch()) / 1000.0 - s; }
    void storeStamps(const std::map<QString, double> &stamps)
    {
        DefaultsValue::Dictionary d;
        for (const auto &[k, v] : stamps) {
            d.emplace(k.toStdString(), DefaultsValue(v));
        }
        defaults.set("AppFirstSeenDates", DefaultsValue(std::move(d)));
    }

    Defaults defaults;
    NotificationCenter center;
    WorkspaceManager workspaces { defaults, center };
    QDateTime now = QDateTime(QDate(2024, 5, 1), QTime(12, 0), Qt::UTC);
    QHash<QString, std::optional<AppFinder::FileDates>> fileDates;
    QHash<QString, int> dateReads;
    std::unique_ptr<AppFinder> finder;

    const AppItem alpha = app(QStringLiteral("Alpha"));
    const AppItem beta = app(QStringLiteral("beta"));
    const AppItem gamma = app(QStringLiteral("Gamma"));
};

// ---- recents, favourites, hidden items

TEST_F(AppFinderTest, RecentsMoveToTheFrontAndTrimToSevenOnlyWhenChanged)
{
    QList<AppItem> apps;
    for (int i = 0; i < 10; ++i) {
        apps << app(QStringLiteral("App %1").arg(i));
    }
    // A list of nine written by an earlier build is shown whole.
    store(wsKey(QStringLiteral("recentApps")), urlTexts(apps.mid(0, 9)));
    start(apps);
    EXPECT_EQ(finder->recentApps().size(), 9);

    finder->addToRecents(apps[4]);
    EXPECT_EQ(names(finder->recentApps()),
        texts({ "App 4", "App 0", "App 1", "App 2", "App 3", "App 5", "App 6" }));
    EXPECT_EQ(stored(wsKey(QStringLiteral("recentApps"))), urlTexts(finder->recentApps()));

    finder->addToRecents(apps[9]);
    EXPECT_EQ(finder->recentApps().size(), 7);
    EXPECT_EQ(finder->recentApps().first(), apps[9]);
    EXPECT_EQ(finder->recentApps().last(), apps[5]);
}

TEST_F(AppFinderTest, MissingApplicationsAreSkippedButKeepTheirStoredPlace)
{
    const AppItem gone = app(QStringLiteral("Gone"));
    store(wsKey(QStringLiteral("recentApps")),
        { alpha.urlText(), gone.urlText(), QStringLiteral("not a url"), QString(), beta.urlText() });
    store(wsKey(QStringLiteral("favoriteApps")), { gone.urlText(), gamma.urlText() });
    start({ alpha, beta, gamma });
    EXPECT_EQ(finder->recentApps(), (QList<AppItem> { alpha, beta }));
    EXPECT_EQ(finder->favoriteApps(), (QList<AppItem> { gamma }));

    finder->addToRecents(gamma);
    EXPECT_EQ(stored(wsKey(QStringLiteral("recentApps"))).mid(0, 3),
        (QStringList { gamma.urlText(), alpha.urlText(), gone.urlText() }));
    // Reinstalled at the same place: shown again.
    publish({ alpha, beta, gamma, gone });
    EXPECT_EQ(finder->favoriteApps(), (QList<AppItem> { gone, gamma }));
}

TEST_F(AppFinderTest, TogglingAFavouriteTwiceMovesItToTheEnd)
{
    store(wsKey(QStringLiteral("favoriteApps")), { alpha.urlText(), beta.urlText(), gamma.urlText() });
    make();
    // Answered from storage before any scan.
    EXPECT_TRUE(finder->isFavorite(beta));
    EXPECT_TRUE(finder->favoriteApps().isEmpty());
    publish({ alpha, beta, gamma });

    finder->toggleFavorite(beta);
    EXPECT_FALSE(finder->isFavorite(beta));
    EXPECT_EQ(finder->favoriteApps(), (QList<AppItem> { alpha, gamma }));
    finder->toggleFavorite(beta);
    EXPECT_EQ(finder->favoriteApps(), (QList<AppItem> { alpha, gamma, beta }));
    EXPECT_EQ(stored(wsKey(QStringLiteral("favoriteApps"))), urlTexts({ alpha, gamma, beta }));
}

TEST_F(AppFinderTest, HiddenSetsAreGlobalWhileListsFollowTheWorkspace)
{
    start({ alpha, beta, gamma });
    finder->addToRecents(alpha);
    finder->toggleFavorite(beta);
    finder->createFolder(QStringLiteral("Work"), QStringLiteral("folder"), QStringLiteral("#FF0000"));
    finder->hideApp(gamma);
    finder->hideFolder(finder->folders().first());

    workspaces.createWorkspace(QStringLiteral("Two"), QStringLiteral("star"), QStringLiteral("#00FF00"));
    EXPECT_TRUE(finder->recentApps().isEmpty());
    EXPECT_TRUE(finder->favoriteApps().isEmpty());
    EXPECT_TRUE(finder->folders().isEmpty());
    EXPECT_EQ(finder->hiddenAppPaths(), QSet<QString> { gamma.id() });
    EXPECT_EQ(finder->hiddenFolderIDs().size(), 1);
    EXPECT_EQ(finder->getHiddenApps(), QList<AppItem> { gamma });

    finder->addToRecents(beta);
    workspaces.setActiveWorkspaceID(WorkspaceManager::defaultWorkspaceID);
    EXPECT_EQ(finder->recentApps(), QList<AppItem> { alpha });
    EXPECT_EQ(finder->favoriteApps(), QList<AppItem> { beta });
    EXPECT_EQ(folderNames(finder->folders()), texts({ "Work" }));

    // Loaded again by a new catalog, from the global keys.
    make();
    EXPECT_EQ(finder->hiddenAppPaths(), QSet<QString> { gamma.id() });
    EXPECT_EQ(finder->hiddenFolderIDs().size(), 1);
}

TEST_F(AppFinderTest, HidingAndShowingAlwaysStoreAndAnnounceAfterTheChange)
{
    start({ alpha, beta });
    QStringList seenByLastAnnouncement;
    int announcements = 0;
    QObject::connect(finder.get(), &AppFinder::changed, [&] {
        ++announcements;
        seenByLastAnnouncement = stored(AppFinder::hiddenAppsKey);
    });
    bool setStoredWhenNotified = false;
    QObject::connect(finder.get(), &AppFinder::hiddenAppPathsChanged,
        [&] { setStoredWhenNotified = finder->hiddenAppPaths().contains(alpha.id()); });

    finder->hideApp(alpha);
    EXPECT_TRUE(setStoredWhenNotified);
    EXPECT_EQ(announcements, 1);
    EXPECT_EQ(seenByLastAnnouncement, QStringList { alpha.id() });

    // Already hidden: no change, still stored and announced.
    store(AppFinder::hiddenAppsKey, {});
    finder->hideApp(alpha);
    EXPECT_EQ(announcements, 2);
    EXPECT_EQ(seenByLastAnnouncement, QStringList { alpha.id() });

    finder->unhideApp(beta);
    EXPECT_EQ(announcements, 3);
    finder->unhideApp(alpha);
    EXPECT_TRUE(stored(AppFinder::hiddenAppsKey).isEmpty());
    EXPECT_TRUE(finder->getHiddenApps().isEmpty());
}

TEST_F(AppFinderTest, PropertySignalsArriveWithTheNewValueInPlace)
{
    start({ alpha, beta });
    struct Case
    {
        const char *what;
        void (AppFinder::*signal)();
        std::function<void()> act;
        std::function<bool()> seen;
    };
    const QList<Case> cases {
        { "sort option", &AppFinder::allAppsSortOptionChanged,
            [&] { finder->setAllAppsSortOption(AppSortOption::category); },
            [&] { return finder->allAppsSortOption() == AppSortOption::category; } },
        { "recents", &AppFinder::recentAppsChanged, [&] { finder->addToRecents(beta); },
            [&] { return finder->recentApps() == QList<AppItem> { beta }; } },
        { "favourites", &AppFinder::favoriteAppsChanged, [&] { finder->toggleFavorite(alpha); },
            [&] { return finder->favoriteApps() == QList<AppItem> { alpha }; } },
        { "folders", &AppFinder::foldersChanged,
            [&] {
                finder->createFolder(
                    QStringLiteral("New"), QStringLiteral("folder"), QStringLiteral("#000000"));
            },
            [&] { return finder->folders().size() == 1; } },
        { "hidden folders", &AppFinder::hiddenFolderIDsChanged,
            [&] { finder->hideFolder(finder->folders().first()); },
            [&] { return finder->hiddenFolderIDs().size() == 1; } },
        { "scanning", &AppFinder::isScanningChanged, [&] { finder->beginScan(); },
            [&] { return finder->isScanning(); } },
        { "apps", &AppFinder::appsChanged,
            [&] { finder->publishScan({ gamma }, finder->latestScanGeneration()); },
            [&] { return finder->apps() == QList<AppItem> { gamma }; } },
    };
    for (const auto &c : cases) {
        int calls = 0;
        bool firstSawValue = false;
        auto connection = QObject::connect(finder.get(), c.signal, [&] {
            if (calls++ == 0) {
                firstSawValue = c.seen();
            }
        });
        c.act();
        QObject::disconnect(connection);
        EXPECT_GE(calls, 1) << c.what;
        EXPECT_TRUE(firstSawValue) << c.what;
    }
}

TEST_F(AppFinderTest, HiddenFolderTextsThatAreNotUuidsAreDroppedAndForgottenAtTheNextSave)
{
    const QUuid id = QUuid::createUuid();
    store(AppFinder::hiddenFoldersKey,
        { UuidText::format(id).toLower(), QStringLiteral("nope"),
            QStringLiteral("{") + UuidText::format(id) + u'}' });
    make();
    EXPECT_EQ(finder->hiddenFolderIDs(), QSet<QUuid> { id });
    AppFolder other;
    other.id = QUuid::createUuid();
    finder->unhideFolder(other);
    EXPECT_EQ(stored(AppFinder::hiddenFoldersKey), QStringList { UuidText::format(id) });
}

TEST_F(AppFinderTest, WorkspaceSwitchReloadsAndAnnouncesOnce)
{
    start({ alpha, beta });
    const QUuid second = QUuid::createUuid();
    store(WorkspaceManager::perWorkspaceKey(QStringLiteral("recentApps"), second), { beta.urlText() });
    defaults.set("AllAppsSortOption", "Category");

    QStringList order;
    noteSignals(order,
        { { "sort", &AppFinder::allAppsSortOptionChanged }, { "recents", &AppFinder::recentAppsChanged },
            { "favorites", &AppFinder::favoriteAppsChanged }, { "folders", &AppFinder::foldersChanged },
            { "newly", &AppFinder::newlyAddedAppsChanged }, { "apps", &AppFinder::appsChanged },
            { "changed", &AppFinder::changed } });
    workspaces.setActiveWorkspaceID(second);

    EXPECT_EQ(order, texts({ "sort", "newly", "recents", "favorites", "folders", "changed" }));
    EXPECT_EQ(finder->recentApps(), QList<AppItem> { beta });
    EXPECT_EQ(finder->allAppsSortOption(), AppSortOption::category);
}

TEST_F(AppFinderTest, AWorkspaceSwitchAfterTheCatalogHasGoneDoesNothing)
{
    start({ alpha });
    finder.reset();
    workspaces.createWorkspace(QStringLiteral("Later"), QStringLiteral("star"), QStringLiteral("#000000"));
    EXPECT_EQ(workspaces.workspaces().size(), 2);
}

// ---- publishing a scan

TEST_F(AppFinderTest, PublishIsOneChangeThatClearsTheScanningFlag)
{
    AppFolder stored = folder(QStringLiteral("Tools"), 0, now);
    stored.appURLs << beta.urlText();
    storeFolders({ stored });
    make();
    // Folders are there from the start, so no early write can lose them.
    EXPECT_EQ(finder->folders().size(), 1);
    const quint64 generation = finder->beginScan();
    EXPECT_TRUE(finder->isScanning());
    QStringList order;
    noteSignals(order,
        { { "apps", &AppFinder::appsChanged }, { "folders", &AppFinder::foldersChanged },
            { "scanning", &AppFinder::isScanningChanged }, { "changed", &AppFinder::changed } });
    bool readyWhenAnnounced = false;
    QObject::connect(finder.get(), &AppFinder::changed, [&] {
        readyWhenAnnounced
            = !finder->isScanning() && finder->folders().size() == 1 && finder->apps().size() == 2;
    });

    EXPECT_TRUE(finder->publishScan({ alpha, beta }, generation));
    EXPECT_EQ(order, texts({ "apps", "folders", "scanning", "changed" }));
    EXPECT_TRUE(readyWhenAnnounced);
    EXPECT_FALSE(finder->isScanning());
    EXPECT_EQ(finder->getAppsInFolder(finder->folders().first()), QList<AppItem> { beta });
}

TEST_F(AppFinderTest, OnlyTheNewestScanPublishesAndClearsTheFlag)
{
    make();
    const quint64 first = finder->beginScan();
    const quint64 second = finder->beginScan();
    EXPECT_FALSE(finder->publishScan({ alpha }, first));
    EXPECT_TRUE(finder->isScanning());
    EXPECT_TRUE(finder->apps().isEmpty());
    EXPECT_TRUE(finder->publishScan({ alpha, beta }, second));
    EXPECT_FALSE(finder->isScanning());
    // The slow older scan finishing late changes nothing.
    EXPECT_FALSE(finder->publishScan({ gamma }, first));
    EXPECT_EQ(finder->apps(), (QList<AppItem> { alpha, beta }));
}

// ---- folders

TEST_F(AppFinderTest, CreatedFoldersNumberAfterTheHighestOrderOfAllFolders)
{
    start({});
    finder->createFolder(QStringLiteral("First"), QStringLiteral("folder"), QStringLiteral("#FF0000"));
    EXPECT_EQ(finder->folders().first().sortOrder, 0);

    AppFolder three = folder(QStringLiteral("Three"), 3, now.addDays(-3));
    AppFolder hidden = folder(QStringLiteral("Hidden"), 7, now.addDays(-2));
    AppFolder child = folder(QStringLiteral("Child"), 9, now.addDays(-1));
    child.parentFolderID = three.id;
    storeFolders({ child, hidden, three });
    store(AppFinder::hiddenFoldersKey, { UuidText::format(hidden.id) });
    start({});
    now = now.addSecs(5);
    finder->createFolder(QStringLiteral("New"), QStringLiteral("star"), QStringLiteral("#00FF00"));
    const AppFolder created = folderNamed(QStringLiteral("New"));
    EXPECT_EQ(created.sortOrder, 10);
    EXPECT_EQ(created.createdAt, now);
    EXPECT_FALSE(created.parentFolderID);
    EXPECT_EQ(folderNames(finder->folders()), texts({ "Three", "Hidden", "Child", "New" }));
    // Stored before sorting: the new folder stands first in the stored array.
    EXPECT_EQ(storedFolders().first().name, QStringLiteral("New"));
    EXPECT_EQ(folderNames(finder->getRootFolders()), texts({ "Three", "New" }));
    EXPECT_EQ(folderNames(finder->getChildFolders(three.id)), texts({ "Child" }));
}

TEST_F(AppFinderTest, ACreatedFolderSaturatesAtTheLargestOrder)
{
    const qint64 top = std::numeric_limits<qint64>::max();
    storeFolders({ folder(QStringLiteral("Low"), 5, now.addDays(-2)),
        folder(QStringLiteral("Top"), top, now.addDays(-1)) });
    start({});
    finder->createFolder(QStringLiteral("New"), QStringLiteral("folder"), QStringLiteral("#000000"));
    EXPECT_EQ(folderNamed(QStringLiteral("New")).sortOrder, top);
    EXPECT_EQ(folderNames(finder->folders()), texts({ "Low", "New", "Top" }));
}

TEST_F(AppFinderTest, FolderOrderIsPinnedThenOrderThenNewestAndOnlySortingOperationsMove)
{
    storeFolders({ folder(QStringLiteral("Old"), 1, now.addDays(-5)),
        folder(QStringLiteral("Young"), 1, now.addDays(-1)),
        folder(QStringLiteral("Zero"), 0, now.addDays(-9)) });
    start({});
    EXPECT_EQ(folderNames(finder->folders()), texts({ "Zero", "Young", "Old" }));

    finder->renameFolder(folderNamed(QStringLiteral("Old")), QStringLiteral("Aardvark"));
    EXPECT_EQ(folderNames(finder->folders()), texts({ "Zero", "Young", "Aardvark" }));
    finder->togglePinFolder(folderNamed(QStringLiteral("Aardvark")));
    EXPECT_EQ(folderNames(finder->folders()), texts({ "Aardvark", "Zero", "Young" }));
    finder->togglePinFolder(folderNamed(QStringLiteral("Aardvark")));
    EXPECT_EQ(folderNames(finder->folders()).last(), QStringLiteral("Aardvark"));

    finder->setFolderColor(folderNamed(QStringLiteral("Zero")), QStringLiteral("fff"));
    finder->setFolderIcon(folderNamed(QStringLiteral("Zero")), QStringLiteral("star.fill"));
    start({});
    EXPECT_EQ(folderNamed(QStringLiteral("Zero")).color, QStringLiteral("fff"));
    EXPECT_EQ(folderNamed(QStringLiteral("Zero")).icon, QStringLiteral("star.fill"));
    EXPECT_EQ(folderNamed(QStringLiteral("Aardvark")).isPinned, false);
}

TEST_F(AppFinderTest, OperationsOnAnUnknownFolderChangeNothing)
{
    storeFolders({ folder(QStringLiteral("Only"), 0, now) });
    start({ alpha });
    const auto before = defaults.data(wsKey(QStringLiteral("AppFolders")).toStdString());
    QSignalSpy spy(finder.get(), &AppFinder::changed);
    AppFolder stranger = folder(QStringLiteral("Stranger"), 0, now);
    finder->deleteFolder(stranger);
    finder->renameFolder(stranger, QStringLiteral("x"));
    finder->togglePinFolder(stranger);
    finder->addAppToFolder(alpha, stranger);
    finder->removeAppFromFolder(alpha, stranger);
    finder->reorderAppsInFolder(stranger, { 0 }, 1);
    finder->setFolderColor(stranger, QStringLiteral("#000000"));
    finder->setFolderIcon(stranger, QStringLiteral("x"));
    finder->updateFolder(stranger.id, QStringLiteral("x"), QStringLiteral("x"), QStringLiteral("#000000"));
    EXPECT_EQ(spy.count(), 0);
    EXPECT_EQ(defaults.data(wsKey(QStringLiteral("AppFolders")).toStdString()), before);
    EXPECT_EQ(folderNames(finder->folders()), texts({ "Only" }));
}

TEST_F(AppFinderTest, FolderMembersAreAddedOnceRemovedEverywhereAndKeptWhenUninstalled)
{
    AppFolder stored = folder(QStringLiteral("Box"), 0, now);
    stored.appURLs = { beta.urlText(), alpha.urlText(), beta.urlText(), QStringLiteral("::bad::") };
    storeFolders({ stored });
    start({ alpha, beta });
    EXPECT_EQ(finder->getAppsInFolder(finder->folders().first()), (QList<AppItem> { beta, alpha, beta }));

    QSignalSpy spy(finder.get(), &AppFinder::foldersChanged);
    finder->addAppToFolder(alpha, stored);
    EXPECT_EQ(spy.count(), 0);
    finder->removeAppFromFolder(beta, stored);
    EXPECT_EQ(
        finder->folders().first().appURLs, (QStringList { alpha.urlText(), QStringLiteral("::bad::") }));
    EXPECT_EQ(spy.count(), 1);
    finder->addAppToFolder(gamma, stored);

    // Gamma uninstalled: kept in the folder, not listed; back when reinstalled.
    publish({ alpha, beta });
    EXPECT_EQ(finder->folders().first().appURLs.last(), gamma.urlText());
    EXPECT_EQ(finder->getAppsInFolder(finder->folders().first()), QList<AppItem> { alpha });
    publish({ alpha, beta, gamma });
    EXPECT_EQ(finder->getAppsInFolder(finder->folders().first()), (QList<AppItem> { alpha, gamma }));
    EXPECT_EQ(storedFolders().first().appURLs, finder->folders().first().appURLs);
}

TEST_F(AppFinderTest, ReorderingInsideAFolderIgnoresOffsetsOutsideTheList)
{
    AppFolder stored = folder(QStringLiteral("Box"), 0, now);
    stored.appURLs = { alpha.urlText(), beta.urlText(), gamma.urlText() };
    storeFolders({ stored });
    start({ alpha, beta, gamma });

    struct Case
    {
        std::set<int> source;
        int destination;
        QList<AppItem> expected;
    };
    const QList<Case> cases {
        { { 0 }, 3, { beta, gamma, alpha } },
        { { 2 }, 0, { alpha, beta, gamma } }, // each case starts from the previous order
        { { 7, -1 }, 0, { alpha, beta, gamma } }, // nothing valid to move
        { { 0, 9 }, 99, { beta, gamma, alpha } }, // destination clamped to the end
        { { 1 }, -4, { gamma, beta, alpha } }, // clamped to the front
    };
    for (const auto &c : cases) {
        finder->reorderAppsInFolder(stored, c.source, c.destination);
        EXPECT_EQ(finder->getAppsInFolder(finder->folders().first()), c.expected) << c.destination;
    }
    EXPECT_EQ(storedFolders().first().appURLs, urlTexts({ gamma, beta, alpha }));
}

TEST_F(AppFinderTest, ReorderingFoldersNumbersVisibleRootsAndLeavesTheGridOrderAlone)
{
    AppFolder a = folder(QStringLiteral("A"), 0, now.addDays(-3));
    AppFolder hidden = folder(QStringLiteral("Hidden"), 1, now.addDays(-1));
    AppFolder b = folder(QStringLiteral("B"), 2, now.addDays(-2));
    storeFolders({ a, hidden, b });
    store(AppFinder::hiddenFoldersKey, { UuidText::format(hidden.id) });
    store(wsKey(QStringLiteral("unifiedGridOrder")), { QStringLiteral("category:Games") });
    start({});

    finder->reorderFolders({ 1 }, 0); // B before A
    EXPECT_EQ(folderNamed(QStringLiteral("B")).sortOrder, 0);
    EXPECT_EQ(folderNamed(QStringLiteral("A")).sortOrder, 1);
    EXPECT_EQ(folderNamed(QStringLiteral("Hidden")).sortOrder, 1);
    // A and Hidden share 1: the newer one goes first.
    EXPECT_EQ(folderNames(finder->folders()), texts({ "B", "Hidden", "A" }));
    EXPECT_EQ(stored(wsKey(QStringLiteral("unifiedGridOrder"))), texts({ "category:Games" }));

    finder->reorderFolders({ 5 }, 40); // nothing to move; still renumbered and kept
    EXPECT_EQ(folderNames(finder->getRootFolders()), texts({ "B", "A" }));
    finder->reorderFolders({ 0 }, 40);
    EXPECT_EQ(folderNames(finder->getRootFolders()), texts({ "A", "B" }));
}

// The children keep their stored parent id, and stand among the roots so
// that they stay within reach.
TEST_F(AppFinderTest, DeletingAFolderKeepsItsChildrenStoredAmongTheRoots)
{
    AppFolder parent = folder(QStringLiteral("Parent"), 0, now);
    AppFolder child = folder(QStringLiteral("Child"), 1, now);
    child.parentFolderID = parent.id;
    storeFolders({ parent, child });
    start({});
    finder->deleteFolder(parent);
    EXPECT_EQ(folderNames(finder->folders()), texts({ "Child" }));
    EXPECT_EQ(folderNames(finder->getRootFolders()), texts({ "Child" }));
    EXPECT_TRUE(finder->getChildFolders(parent.id).isEmpty());
    EXPECT_EQ(folderNames(storedFolders()), texts({ "Child" }));
    EXPECT_EQ(finder->folders().constFirst().parentFolderID, parent.id);
}

TEST_F(AppFinderTest, UndecodableFoldersReadAsNoneAndAreKeptAsideBeforeTheNextSave)
{
    const std::string bad = R"([{"id":"D3B07384-D113-4E4E-A343-A33A0A26F3D3","name":"No date","appURLs":[],)"
                            R"("isPinned":false,"icon":"folder","color":"#000000"}])";
    defaults.set(wsKey(QStringLiteral("AppFolders")).toStdString(), DefaultsValue::fromBytes(bad));
    start({});
    EXPECT_TRUE(finder->folders().isEmpty());
    finder->createFolder(QStringLiteral("Fresh"), QStringLiteral("folder"), QStringLiteral("#000000"));
    EXPECT_EQ(folderNames(storedFolders()), texts({ "Fresh" }));
    auto aside = defaults.data(wsKey(QStringLiteral("AppFolders")).toStdString() + "_unreadable");
    ASSERT_TRUE(aside);
    EXPECT_EQ(std::string(aside->begin(), aside->end()), bad);
}

// ---- unified grid order

TEST_F(AppFinderTest, GridOrderReadsOnlyValidTextForms)
{
    make();
    EXPECT_TRUE(finder->getUnifiedGridOrder().isEmpty());
    const QUuid id = QUuid::createUuid();
    store(wsKey(QStringLiteral("unifiedGridOrder")),
        { QStringLiteral("folder:") + UuidText::format(id).toLower(), QStringLiteral("folder:1234"),
            QStringLiteral("Games"), QStringLiteral("category:"), QStringLiteral("category:Games"),
            QStringLiteral("category:Games") });
    const auto order = finder->getUnifiedGridOrder();
    ASSERT_EQ(order.size(), 4);
    EXPECT_EQ(order[0], GridItemIdentifier::folder(id));
    EXPECT_EQ(order[1], GridItemIdentifier::category(QString()));
    EXPECT_EQ(order[3], GridItemIdentifier::category(QStringLiteral("Games")));

    // Written back in upper case at the next reorder.
    finder->reorderUnifiedItems({}, 0, order);
    EXPECT_EQ(stored(wsKey(QStringLiteral("unifiedGridOrder"))).first(),
        QStringLiteral("folder:") + UuidText::format(id));
    // Another workspace has its own order.
    workspaces.createWorkspace(QStringLiteral("Two"), QStringLiteral("star"), QStringLiteral("#000000"));
    EXPECT_TRUE(finder->getUnifiedGridOrder().isEmpty());
}

TEST_F(AppFinderTest, GridReorderStoresTheMoveAndNumbersFoldersByGridPosition)
{
    AppFolder a = folder(QStringLiteral("A"), 0, now);
    AppFolder b = folder(QStringLiteral("B"), 1, now);
    storeFolders({ a, b });
    start({});
    const QList<GridItemIdentifier> current { GridItemIdentifier::folder(a.id),
        GridItemIdentifier::category(QStringLiteral("X")), GridItemIdentifier::folder(b.id),
        GridItemIdentifier::category(QStringLiteral("Y")), GridItemIdentifier::folder(QUuid::createUuid()) };
    QSignalSpy spy(finder.get(), &AppFinder::changed);
    finder->reorderUnifiedItems({ 0 }, 3, current);
    const QStringList texts = stored(wsKey(QStringLiteral("unifiedGridOrder")));
    ASSERT_EQ(texts.size(), 5);
    EXPECT_EQ(texts.mid(0, 4),
        (QStringList { QStringLiteral("category:X"), QStringLiteral("folder:") + b.idText(),
            QStringLiteral("folder:") + a.idText(), QStringLiteral("category:Y") }));
    EXPECT_EQ(folderNamed(QStringLiteral("B")).sortOrder, 1);
    EXPECT_EQ(folderNamed(QStringLiteral("A")).sortOrder, 2);
    // Not sorted here; saved; one announcement.
    EXPECT_EQ(folderNames(finder->folders()), (::texts({ "A", "B" })));
    EXPECT_EQ(storedFolders().first().sortOrder, 2);
    EXPECT_EQ(spy.count(), 1);

    // Offsets outside the list are ignored, the destination clamped.
    finder->reorderUnifiedItems({ 2, 17 }, 99, finder->getUnifiedGridOrder());
    EXPECT_EQ(
        stored(wsKey(QStringLiteral("unifiedGridOrder"))).last(), QStringLiteral("folder:") + a.idText());
}

// ---- sort order

TEST_F(AppFinderTest, SortedAppsFollowEachOption)
{
    const AppItem notesA = app(QStringLiteral("Notes"), QStringLiteral("Productivity"));
    const AppItem chess = app(QStringLiteral("chess"), QStringLiteral("Games"));
    const AppItem notesB = app(
        QStringLiteral("notes"), QStringLiteral("Productivity"), QStringLiteral("/Users/a/Applications"));
    const AppItem bank = app(QStringLiteral("Bank"), QStringLiteral("Finance"));
    const AppItem atlas = app(QStringLiteral("Atlas"), QStringLiteral("Productivity"));
    start({ atlas, bank, chess, notesA, notesB });
    finder->addToRecents(notesB);
    finder->addToRecents(chess);
    const QList<AppItem> input { notesA, chess, notesB, atlas, bank };

    struct Case
    {
        AppSortOption option;
        QList<AppItem> expected;
    };
    const QList<Case> cases {
        { AppSortOption::nameAscending, { atlas, bank, chess, notesA, notesB } },
        { AppSortOption::nameDescending, { notesA, notesB, chess, bank, atlas } },
        { AppSortOption::category, { bank, chess, notesA, notesB, atlas } },
        { AppSortOption::recentlyUsed, { chess, notesB, atlas, bank, notesA } },
    };
    for (const auto &c : cases) {
        finder->setAllAppsSortOption(c.option);
        EXPECT_EQ(names(finder->getSortedApps(input)), names(c.expected))
            << AppSortOptions::text(c.option).toStdString();
        EXPECT_EQ(finder->getSortedApps(input), c.expected) << AppSortOptions::text(c.option).toStdString();
    }
    // An item the scan did not see is still ordered by name.
    finder->setAllAppsSortOption(AppSortOption::nameAscending);
    const AppItem stranger = app(QStringLiteral("Banjo"));
    EXPECT_EQ(finder->getSortedApps({ chess, stranger, atlas, bank }),
        (QList<AppItem> { atlas, stranger, bank, chess }));
}

TEST_F(AppFinderTest, SortOptionIsStoredAndOnlyExactTextsLoad)
{
    make();
    finder->setAllAppsSortOption(AppSortOption::nameDescending);
    EXPECT_EQ(defaults.string("AllAppsSortOption"), std::optional<std::string>("Z to A"));
    start({});
    EXPECT_EQ(finder->allAppsSortOption(), AppSortOption::nameDescending);
    for (const char *text : { "recently used", "CATEGORY", "" }) {
        defaults.set("AllAppsSortOption", text);
        publish({});
        EXPECT_EQ(finder->allAppsSortOption(), AppSortOption::nameDescending) << text;
    }
}

// ---- newly added applications

TEST_F(AppFinderTest, FirstUpdateStampsEveryAppAndOrdersByCreationDate)
{
    fileDates[alpha.id()] = AppFinder::FileDates { now.addDays(-100), std::nullopt };
    fileDates[beta.id()] = AppFinder::FileDates { now.addDays(-2), std::nullopt };
    // Gamma's dates cannot be read: oldest within the band.
    start({ alpha, beta, gamma });
    EXPECT_EQ(finder->newlyAddedApps(), (QList<AppItem> { beta, alpha, gamma }));
    EXPECT_EQ(stored(AppFinder::newlyAddedKey), urlTexts({ beta, alpha, gamma }));
    const auto stamps = defaults.dictionary("AppFirstSeenDates");
    ASSERT_TRUE(stamps);
    ASSERT_EQ(stamps->size(), 3u);
    for (const auto &[key, value] : *stamps) {
        ASSERT_TRUE(value.asReal()) << key;
        EXPECT_DOUBLE_EQ(*value.asReal(), secondsAgo(0)) << key;
    }
}

TEST_F(AppFinderTest, TheThirtyDayWindowAndTheFileDateFallback)
{
    const QDateTime old = now.addDays(-40);
    struct Case
    {
        const char *name;
        double stampAge;
        std::optional<AppFinder::FileDates> dates;
        bool newlyAdded;
    };
    const QList<Case> cases {
        { "Exactly thirty days", 30.0 * kDay, AppFinder::FileDates { old, old }, true },
        { "A second more", 30.0 * kDay + 1, AppFinder::FileDates { old, old }, false },
        { "Created ten days ago", 40.0 * kDay, AppFinder::FileDates { now.addDays(-10), old }, true },
        { "Modified yesterday", 40.0 * kDay, AppFinder::FileDates { old, now.addDays(-1) }, false },
        { "No creation date", 40.0 * kDay, AppFinder::FileDates { std::nullopt, now.addDays(-1) }, true },
        { "No dates", 40.0 * kDay, AppFinder::FileDates {}, false },
        { "Unreadable", 40.0 * kDay, std::nullopt, false },
        { "Created exactly thirty days ago", 40.0 * kDay,
            AppFinder::FileDates { now.addDays(-30), std::nullopt }, true },
    };
    QList<AppItem> apps;
    std::map<QString, double> stamps;
    for (const auto &c : cases) {
        apps << app(QString::fromLatin1(c.name));
        stamps[apps.last().urlText()] = secondsAgo(c.stampAge);
        fileDates[apps.last().id()] = c.dates;
    }
    storeStamps(stamps);
    start(apps);
    for (qsizetype i = 0; i < cases.size(); ++i) {
        EXPECT_EQ(finder->newlyAddedApps().contains(apps[i]), cases[i].newlyAdded) << cases[i].name;
    }
}

TEST_F(AppFinderTest, StampsWithinASecondAreOrderedByCreationDate)
{
    const AppItem a = app(QStringLiteral("A"));
    const AppItem b = app(QStringLiteral("B"));
    const AppItem c = app(QStringLiteral("C"));
    const AppItem d = app(QStringLiteral("D"));
    // A/B 0.8 s apart: creation decides (B is newer). C/D 1.5 s apart: the stamp decides.
    storeStamps({ { a.urlText(), secondsAgo(100.8) }, { b.urlText(), secondsAgo(100.0) },
        { c.urlText(), secondsAgo(10.0) }, { d.urlText(), secondsAgo(8.5) } });
    fileDates[a.id()] = AppFinder::FileDates { now.addDays(-1), std::nullopt };
    fileDates[b.id()] = AppFinder::FileDates { now.addDays(-2), std::nullopt };
    fileDates[c.id()] = AppFinder::FileDates { now.addDays(-1), std::nullopt };
    fileDates[d.id()] = AppFinder::FileDates { now.addDays(-9), std::nullopt };
    start({ a, b, c, d });
    EXPECT_EQ(finder->newlyAddedApps(), (QList<AppItem> { d, c, a, b }));
}

TEST_F(AppFinderTest, AnIntransitiveChainSortsSafelyAndReadsDatesOncePerApp)
{
    // Stamps 0.4 s apart: neighbours compare by creation date, distant ones by
    // stamp, which is no strict weak order. Dates are random.
    std::mt19937 random(7);
    QList<AppItem> apps;
    std::map<QString, double> stamps;
    for (int i = 0; i < 300; ++i) {
        apps << app(QStringLiteral("App %1").arg(i));
        stamps[apps.last().urlText()] = secondsAgo(1000.0 - 0.4 * i);
        fileDates[apps.last().id()]
            = AppFinder::FileDates { now.addSecs(-qint64(random() % 100000)), std::nullopt };
    }
    storeStamps(stamps);
    start(apps);
    const auto result = finder->newlyAddedApps();
    ASSERT_EQ(result.size(), apps.size());
    EXPECT_EQ(QSet<AppItem>(result.begin(), result.end()).size(), apps.size());
    for (const auto &a : apps) {
        EXPECT_LE(dateReads.value(a.id()), 1) << a.name().toStdString();
    }
    // Deterministic: the same input gives the same order.
    publish(apps);
    EXPECT_EQ(finder->newlyAddedApps(), result);
}

TEST_F(AppFinderTest, StampsFollowTheScanAndSurviveASwitchBeforeTheFirstScan)
{
    const AppItem returning = app(QStringLiteral("Returning"));
    storeStamps(
        { { alpha.urlText(), secondsAgo(90.0 * kDay) }, { returning.urlText(), secondsAgo(90.0 * kDay) } });
    fileDates[alpha.id()] = AppFinder::FileDates { now.addDays(-90), std::nullopt };
    fileDates[returning.id()] = AppFinder::FileDates { now.addDays(-90), std::nullopt };
    make();
    // A switch before any scan must not prune the stamps against an empty list.
    workspaces.createWorkspace(QStringLiteral("Two"), QStringLiteral("star"), QStringLiteral("#000000"));
    EXPECT_EQ(defaults.dictionary("AppFirstSeenDates")->size(), 2u);

    publish({ alpha, beta });
    EXPECT_EQ(finder->newlyAddedApps(), QList<AppItem> { beta }); // hidden or not, the caller filters
    EXPECT_FALSE(defaults.dictionary("AppFirstSeenDates")->count(returning.urlText().toStdString()));
    publish({ alpha, beta, returning });
    EXPECT_TRUE(finder->newlyAddedApps().contains(returning));

    // A stored value that is not all numbers counts as empty and is replaced.
    defaults.set(
        "AppFirstSeenDates", DefaultsValue(DefaultsValue::Dictionary { { "x", DefaultsValue("text") } }));
    publish({ alpha });
    const auto stamps = defaults.dictionary("AppFirstSeenDates");
    ASSERT_EQ(stamps->size(), 1u);
    EXPECT_DOUBLE_EQ(*stamps->at(alpha.urlText().toStdString()).asReal(), secondsAgo(0));
}

TEST_F(AppFinderTest, DatesHandedInByTheScanGoBeforeTheReaderForThatScanOnly)
{
    // Stamped long ago: each application needs its file dates.
    storeStamps({ { alpha.urlText(), secondsAgo(40.0 * kDay) }, { beta.urlText(), secondsAgo(40.0 * kDay) },
        { gamma.urlText(), secondsAgo(40.0 * kDay) } });
    fileDates[alpha.id()] = AppFinder::FileDates { now.addDays(-100), std::nullopt };
    fileDates[beta.id()] = AppFinder::FileDates { now.addDays(-2), std::nullopt };
    fileDates[gamma.id()] = AppFinder::FileDates { now.addDays(-3), std::nullopt };
    make();
    AppFinder::ScanDetails details;
    details.fileDates.insert(alpha.id(), AppFinder::FileDates { now.addDays(-1), std::nullopt });
    // The scan could not read gamma: that answer stands, the reader is not asked.
    details.fileDates.insert(gamma.id(), std::nullopt);

    EXPECT_TRUE(finder->publishScan({ alpha, beta, gamma }, finder->beginScan(), details));
    EXPECT_EQ(finder->newlyAddedApps(), (QList<AppItem> { alpha, beta }));
    EXPECT_EQ(dateReads.value(alpha.id()), 0);
    EXPECT_EQ(dateReads.value(beta.id()), 1);
    EXPECT_EQ(dateReads.value(gamma.id()), 0);

    // A later update (a workspace switch) reads the files as they are now.
    workspaces.createWorkspace(QStringLiteral("Two"), QStringLiteral("star"), QStringLiteral("#000000"));
    EXPECT_EQ(finder->newlyAddedApps(), (QList<AppItem> { beta, gamma }));
    EXPECT_EQ(dateReads.value(alpha.id()), 1);
    EXPECT_EQ(dateReads.value(gamma.id()), 1);
}

TEST_F(AppFinderTest, NewlyAddedArrivesWithTheDeferredTaskStampedAtThePublishOrWhenRead)
{
    fileDates[alpha.id()] = AppFinder::FileDates { now.addDays(-100), std::nullopt };
    make();
    QList<std::function<void()>> later;
    finder->setDeferral([&later](std::function<void()> task) { later << std::move(task); });
    QSignalSpy announced(finder.get(), &AppFinder::newlyAddedAppsChanged);
    publish({ alpha, beta });
    EXPECT_EQ(announced.count(), 1);
    ASSERT_EQ(later.size(), 1);
    EXPECT_FALSE(defaults.dictionary("AppFirstSeenDates"));

    now = now.addSecs(3600);
    later.takeFirst()();
    EXPECT_EQ(stored(AppFinder::newlyAddedKey), urlTexts({ alpha, beta }));
    const auto stamps = defaults.dictionary("AppFirstSeenDates");
    ASSERT_TRUE(stamps);
    for (const auto &[key, value] : *stamps) {
        EXPECT_DOUBLE_EQ(*value.asReal(), secondsAgo(3600)) << key;
    }

    // Read before its task runs, the list is worked out there and then.
    publish({ alpha, beta, gamma });
    EXPECT_EQ(finder->newlyAddedApps(), (QList<AppItem> { gamma, alpha, beta }));
    later.takeFirst()();
    EXPECT_EQ(finder->newlyAddedApps(), (QList<AppItem> { gamma, alpha, beta }));
}

TEST_F(AppFinderTest, APreparedScanSortsAndSearchesLikeAPlainOne)
{
    const QList<AppItem> apps {
        app(QStringLiteral("Äpfel"), QStringLiteral("Food")),
        app(QStringLiteral("apple"), QStringLiteral("food")),
        app(QStringLiteral("Banana"), QStringLiteral("Games")),
        app(QStringLiteral("banana"), QStringLiteral("Games"), QStringLiteral("/Users/a/Applications")),
        app(QStringLiteral("éclair"), QStringLiteral("Éat")),
        app(QStringLiteral("Ecru"), QStringLiteral("Other")),
        app(QStringLiteral("zebra"), QStringLiteral("Games")),
    };
    // A list in scan order and one that is not, whose ranks cannot be read
    // off its order.
    QList<AppItem> shuffled = apps;
    std::reverse(shuffled.begin(), shuffled.end());
    const QList<AppItem> input { apps[5], apps[0], apps[3], apps[6], apps[1], apps[4], apps[2] };
    const QStringList queries { QStringLiteral("a"), QStringLiteral("banana"), QStringLiteral("e") };

    // The input sorted by each option, then each query's results.
    const auto outcomes = [&] {
        QList<QList<AppItem>> out;
        for (AppSortOption option : { AppSortOption::nameAscending, AppSortOption::nameDescending,
                 AppSortOption::category, AppSortOption::recentlyUsed }) {
            finder->setAllAppsSortOption(option);
            out << finder->getSortedApps(input);
        }
        for (const auto &query : queries) {
            out << finder->searchApps(query);
            // And what the catalog's folded names find.
            out << QList<AppItem> {};
            for (const quint32 i : finder->foldedNames().matching(query.toCaseFolded())) {
                out.last() << finder->apps()[i];
            }
        }
        // And which application each of a folder's URL texts names.
        AppFolder folder;
        for (const auto &item : input) {
            folder.appURLs << item.urlText();
        }
        out << finder->getAppsInFolder(folder);
        return out;
    };
    for (const auto &list : { apps, shuffled }) {
        start(list);
        const QList<QList<AppItem>> plain = outcomes();

        struct Case
        {
            const char *name;
            AppFinder::ScanDetails details;
        };
        const QList<Case> cases {
            { "prepared", AppFinder::prepareScan(list, {}) },
            { "prepared for another list", AppFinder::prepareScan(list == apps ? shuffled : apps, {}) },
            { "no ranks handed in", AppFinder::ScanDetails {} },
        };
        for (const auto &c : cases) {
            make();
            ASSERT_TRUE(finder->publishScan(list, finder->beginScan(), c.details));
            EXPECT_EQ(outcomes(), plain) << c.name;
        }
    }
}

TEST_F(AppFinderTest, PreparingAScanReadsEachBundleThroughTheGivenReader)
{
    QHash<QString, int> reads;
    const AppFinder::FileDateReader reader
        = [&reads, this](const QString &path) -> std::optional<AppFinder::FileDates> {
        ++reads[path];
        return path == alpha.id()
            ? std::optional<AppFinder::FileDates>(AppFinder::FileDates { now, std::nullopt })
            : std::nullopt;
    };
    const auto details = AppFinder::prepareScan({ alpha, beta }, reader);
    ASSERT_EQ(details.fileDates.size(), 2);
    EXPECT_EQ(details.fileDates.value(alpha.id())->creation, now);
    EXPECT_FALSE(details.fileDates.value(beta.id()));
    EXPECT_EQ(reads, (QHash<QString, int> { { alpha.id(), 1 }, { beta.id(), 1 } }));
    EXPECT_TRUE(AppFinder::prepareScan({ alpha, beta }, {}).fileDates.isEmpty());
}

TEST(AppFinderFileDates, SystemDatesAreTheItemsInstantsInUtc)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString bundle = dir.path() + QStringLiteral("/Some App.app");
    ASSERT_TRUE(QDir().mkpath(bundle));
    const auto dates = AppFinder::systemFileDates(bundle);
    ASSERT_TRUE(dates);
    const QFileInfo info(bundle);
    ASSERT_TRUE(dates->modification);
    EXPECT_EQ(dates->modification->timeSpec(), Qt::UTC);
    EXPECT_EQ(dates->modification->toMSecsSinceEpoch(), info.lastModified().toMSecsSinceEpoch());
    EXPECT_EQ(bool(dates->creation), info.birthTime().isValid());
    if (dates->creation) {
        EXPECT_EQ(dates->creation->timeSpec(), Qt::UTC);
        EXPECT_EQ(dates->creation->toMSecsSinceEpoch(), info.birthTime().toMSecsSinceEpoch());
    }

    // Nothing there: unreadable. A link to nothing: there, without dates.
    EXPECT_FALSE(AppFinder::systemFileDates(dir.path() + QStringLiteral("/Missing.app")));
    const QString link = dir.path() + QStringLiteral("/Gone.app");
    ASSERT_TRUE(QFile::link(dir.path() + QStringLiteral("/Nowhere.app"), link));
    const auto linked = AppFinder::systemFileDates(link);
    ASSERT_TRUE(linked);
    EXPECT_FALSE(linked->creation);
    EXPECT_FALSE(linked->modification);
}

TEST(AppFinderStorage, APublishThatChangesNothingStoredLeavesTheDomainFileAlone)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const std::string file = (dir.path() + QStringLiteral("/standard.plist")).toStdString();
    Defaults defaults { std::filesystem::path(file) };
    NotificationCenter center;
    WorkspaceManager workspaces { defaults, center };
    AppFinder finder { defaults, workspaces, center };
    const QList<AppItem> apps { app(QStringLiteral("Alpha")), app(QStringLiteral("Beta")) };
    finder.publishScan(apps, finder.beginScan());
    // Every file of the domain with its size: any write adds to one of them.
    auto files = [&dir] {
        std::map<std::string, std::uintmax_t> out;
        for (const auto &entry : std::filesystem::directory_iterator(dir.path().toStdString())) {
            out[entry.path().filename().string()] = entry.file_size();
        }
        return out;
    };
    const auto before = files();

    finder.publishScan(apps, finder.beginScan());
    EXPECT_EQ(files(), before);
    EXPECT_EQ(finder.newlyAddedApps(), apps);

    // A change is still written.
    finder.publishScan({ apps[0] }, finder.beginScan());
    EXPECT_NE(files(), before);
    EXPECT_EQ(Defaults { std::filesystem::path(file) }.stringArray(AppFinder::newlyAddedKey.toStdString()),
        std::optional<std::vector<std::string>>({ apps[0].urlText().toStdString() }));
}

// ---- search

TEST_F(AppFinderTest, SearchRanksExactThenPrefixThenByName)
{
    const QList<AppItem> apps { app(QStringLiteral("Keynote")), app(QStringLiteral("Notebook")),
        app(QStringLiteral("NOTE")), app(QStringLiteral("Aardvark"), QStringLiteral("Notetaking")),
        app(QStringLiteral("notes")), app(QStringLiteral("Zed")) };
    start(apps);
    EXPECT_EQ(names(finder->searchApps(QStringLiteral("note"))),
        texts({ "NOTE", "Notebook", "notes", "Aardvark", "Keynote" }));
    EXPECT_TRUE(finder->searchApps(QString()).isEmpty());
    EXPECT_TRUE(finder->getSearchSuggestions(QString()).isEmpty());
    EXPECT_TRUE(
        finder->searchApps(QStringLiteral(" ")).isEmpty()); // spaces are a query, matching nothing here
}

TEST_F(AppFinderTest, SearchLeavesHiddenOutListsEachPathOnceAndCutsSuggestions)
{
    const AppItem mail = app(QStringLiteral("Mail"));
    const AppItem mailCopy
        = app(QStringLiteral("Mail"), QStringLiteral("Other"), QStringLiteral("/Users/a/Applications"));
    const AppItem secret = app(QStringLiteral("Mail Secret"));
    start({ mail, mailCopy, secret });
    finder->createFolder(QStringLiteral("One"), QStringLiteral("folder"), QStringLiteral("#000000"));
    finder->createFolder(QStringLiteral("Two"), QStringLiteral("folder"), QStringLiteral("#000000"));
    const QList<AppFolder> folders = finder->folders();
    for (const auto &f : folders) {
        finder->addAppToFolder(mail, f);
        finder->addAppToFolder(secret, f);
    }
    finder->togglePinFolder(finder->folders().first());
    finder->hideApp(secret);
    const auto result = finder->searchApps(QStringLiteral("mail"));
    EXPECT_EQ(result.size(), 2);
    EXPECT_TRUE(result.contains(mail));
    EXPECT_TRUE(result.contains(mailCopy));

    QList<AppItem> many;
    for (int i = 0; i < 9; ++i) {
        many << app(QStringLiteral("Tool %1").arg(i));
    }
    publish(many);
    EXPECT_EQ(finder->getSearchSuggestions(QStringLiteral("tool")).size(), 8);
    EXPECT_EQ(names(finder->getSearchSuggestions(QStringLiteral("tool"))).first(), QStringLiteral("Tool 0"));
    publish(many.mid(0, 8));
    EXPECT_EQ(finder->getSearchSuggestions(QStringLiteral("tool")).size(), 8);
}

TEST_F(AppFinderTest, RecentAppsForSearchAreTheFirstSix)
{
    QList<AppItem> apps;
    for (int i = 0; i < 7; ++i) {
        apps << app(QStringLiteral("App %1").arg(i));
    }
    start(apps);
    EXPECT_TRUE(finder->getRecentAppsForSearch().isEmpty());
    for (const auto &a : apps) {
        finder->addToRecents(a);
    }
    EXPECT_EQ(finder->getRecentAppsForSearch(), finder->recentApps().mid(0, 6));
    EXPECT_EQ(finder->getRecentAppsForSearch().first(), apps.last());
}

} // namespace

TEST_F(AppFinderTest, FolderWritesBeforeTheFirstScanKeepTheStoredFolders)
{
    const AppFolder kept = folder(QStringLiteral("Kept"), 0, now.addDays(-1));
    for (int write = 0; write < 2; ++write) {
        storeFolders({ kept });
        make();
        if (write == 0) {
            finder->createFolder(QStringLiteral("New"), QStringLiteral("star"), QStringLiteral("#00FF00"));
        } else {
            finder->reorderUnifiedItems({ 0 }, 1, { GridItemIdentifier::category(QStringLiteral("Games")) });
        }
        QStringList names = folderNames(storedFolders());
        names.sort();
        EXPECT_EQ(names, write == 0 ? texts({ "Kept", "New" }) : texts({ "Kept" }));
    }
}
