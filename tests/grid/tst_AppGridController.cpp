#include "BundleFixtures.h"
#include "GridFixture.h"
#include "IconFixtures.h"

#include "grid/AppGridController.h"
#include "model/AppScanner.h"
#include "platform/core/Bundle.h"
#include "platform/core/UuidText.h"
#include "platform/gui/AppIconImageProvider.h"
#include "platform/gui/AppIconStore.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace brimlark;

namespace {

class AppGridControllerTest : public ::testing::Test
{
protected:
    AppGridControllerTest()
    {
        grid.setViewModel(&f.vm());
        grid.setHiddenItemsLock(f.vm().hiddenItemsLock());
    }

    void standardCatalog()
    {
        f.publish(QList<AppItem> { f.app(QStringLiteral("Alpha"), QStringLiteral("Games")),
            f.app(QStringLiteral("Bravo"), QStringLiteral("Utilities")),
            f.app(QStringLiteral("Charlie"), QStringLiteral("Games")) });
    }
    QStringList tileNames()
    {
        QStringList out;
        for (const auto &a : grid.apps()->apps()) {
            out << a.name();
        }
        return out;
    }

    test::GridFixture f;
    AppGridController grid;
};

TEST_F(AppGridControllerTest, WithoutAViewModelItShowsAnEmptyTileGrid)
{
    AppGridController bare;
    EXPECT_EQ(bare.paneState(), GridPane::State::content);
    EXPECT_EQ(bare.contentLayout(), GridPane::Layout::appTiles);
    EXPECT_EQ(bare.navigationTitle(), u"Apps");
    EXPECT_EQ(bare.apps()->count(), 0);
    EXPECT_EQ(bare.overlayKind(), AppGridController::OverlayKind::none);
    EXPECT_FALSE(bare.appPickerShown());
    bare.openAppPicker(AppFolder());
    bare.dismissUninstaller();
}

TEST_F(AppGridControllerTest, TheFirstScanShowsTheLoadingScreenAndARescanDoesNot)
{
    f.beginScan();
    EXPECT_EQ(grid.paneState(), GridPane::State::loading);
    standardCatalog();
    EXPECT_EQ(grid.paneState(), GridPane::State::content);
    f.beginScan();
    EXPECT_EQ(grid.paneState(), GridPane::State::content);
}

TEST_F(AppGridControllerTest, TheHiddenSectionGoesFromSetUpToUnlockToContent)
{
    standardCatalog();
    f.selectSection(QStringLiteral("hidden"));
    EXPECT_EQ(grid.paneState(), GridPane::State::setupHiddenLock);
    ASSERT_TRUE(f.setPassword(QStringLiteral("secret")));
    EXPECT_EQ(grid.paneState(), GridPane::State::content);
    EXPECT_EQ(grid.contentLayout(), GridPane::Layout::hiddenSection);
    f.vm().hiddenItemsLock()->lock();
    EXPECT_EQ(grid.paneState(), GridPane::State::unlockHidden);
    f.vm().hiddenItemsLock()->checkPassword(QStringLiteral("secret"), {});
    ASSERT_TRUE(test::waitUntil([&] { return grid.paneState() == GridPane::State::content; }));
}

TEST_F(AppGridControllerTest, FollowsSelectionSearchAndSortOption)
{
    standardCatalog();
    QSignalSpy pane(&grid, &AppGridController::paneChanged);
    EXPECT_EQ(grid.navigationTitle(), u"All Apps");
    EXPECT_EQ(grid.identityKey(), u"allApps-nameAscending");

    f.finder.setAllAppsSortOption(AppSortOption::category);
    EXPECT_EQ(grid.contentLayout(), GridPane::Layout::unifiedGrid);
    EXPECT_EQ(grid.identityKey(), u"allApps-category");
    f.vm().setSearchQuery(QStringLiteral("a"));
    EXPECT_EQ(grid.contentLayout(), GridPane::Layout::appTiles);
    f.vm().setSearchQuery(QString());
    EXPECT_EQ(grid.contentLayout(), GridPane::Layout::unifiedGrid);
    EXPECT_GE(pane.count(), 3);

    f.makeFolder(QStringLiteral("Empty"));
    f.selectFolder(QStringLiteral("Empty"));
    EXPECT_EQ(grid.contentLayout(), GridPane::Layout::emptyFolder);
    EXPECT_TRUE(grid.folderSelected());
    EXPECT_EQ(grid.selectedFolder().name, u"Empty");
    EXPECT_TRUE(grid.translucentBackground());
    grid.setLightAppearance(false);
    EXPECT_FALSE(grid.translucentBackground());

    f.vm().setSelection(std::nullopt);
    EXPECT_EQ(grid.navigationTitle(), u"Apps");
    EXPECT_FALSE(grid.folderSelected());
    EXPECT_TRUE(grid.selectedFolder().isNull());
}

TEST_F(AppGridControllerTest, ColumnsChangeOnlyWithTheWidth)
{
    standardCatalog();
    QSignalSpy columns(&grid, &AppGridController::columnsChanged);
    EXPECT_EQ(grid.appColumns().count, 5); // before the first measurement
    grid.updateColumns(1200);
    EXPECT_EQ(grid.appColumns().count, 7);
    EXPECT_EQ(grid.categoryColumns().count, 4);
    grid.updateColumns(1200);
    f.selectSection(QStringLiteral("favorites"));
    EXPECT_EQ(columns.count(), 1);
    grid.updateColumns(580);
    EXPECT_EQ(grid.appColumns().count, 3);
    EXPECT_EQ(columns.count(), 2);
}

TEST_F(AppGridControllerTest, TheTilesFollowTheFilteredApplicationsStepByStep)
{
    standardCatalog();
    QAbstractItemModelTester tester(grid.apps(), QAbstractItemModelTester::FailureReportingMode::Fatal);
    EXPECT_EQ(tileNames(), (QStringList { u"Alpha"_qs, u"Bravo"_qs, u"Charlie"_qs }));

    QSignalSpy resets(grid.apps(), &AppTileModel::modelReset);
    QSignalSpy removes(grid.apps(), &AppTileModel::rowsRemoved);
    f.vm().setSearchQuery(QStringLiteral("r")); // Bravo, Charlie
    EXPECT_EQ(tileNames(), (QStringList { u"Bravo"_qs, u"Charlie"_qs }));
    EXPECT_EQ(resets.count(), 0);
    EXPECT_EQ(removes.count(), 1);

    // Another section: the search still applies; without it, no favourites.
    f.selectSection(QStringLiteral("favorites"));
    EXPECT_EQ(tileNames(), (QStringList { u"Bravo"_qs, u"Charlie"_qs }));
    f.vm().setSearchQuery(QString());
    EXPECT_TRUE(tileNames().isEmpty());
    EXPECT_EQ(resets.count(), 0);

    // Sorting the other way round is too many moves: one rebuild.
    f.selectSection(QStringLiteral("allApps"));
    f.finder.setAllAppsSortOption(AppSortOption::nameDescending);
    EXPECT_EQ(tileNames(), (QStringList { u"Charlie"_qs, u"Bravo"_qs, u"Alpha"_qs }));
}

TEST_F(AppGridControllerTest, TypingRewritesTheRowsAndOtherChangesGoByIdentity)
{
    standardCatalog();
    QAbstractItemModelTester tester(grid.apps(), QAbstractItemModelTester::FailureReportingMode::Fatal);
    f.vm().setSearchQuery(QStringLiteral("a")); // all three
    QSignalSpy inserts(grid.apps(), &AppTileModel::rowsInserted);
    QSignalSpy removes(grid.apps(), &AppTileModel::rowsRemoved);
    QSignalSpy changes(grid.apps(), &AppTileModel::dataChanged);

    // A publish under the search: the new tile is inserted where it belongs.
    f.finder.publishScan(
        f.finder.apps() + QList<AppItem> { f.app(QStringLiteral("Bravissimo")) }, f.finder.beginScan());
    EXPECT_EQ(tileNames(), (QStringList { u"Alpha"_qs, u"Bravissimo"_qs, u"Bravo"_qs, u"Charlie"_qs }));
    ASSERT_EQ(inserts.count(), 1);
    EXPECT_EQ(inserts[0].value(1).toInt(), 1);
    EXPECT_EQ(changes.count(), 0);

    // A keystroke: row 0 takes Charlie, the rest go from the end.
    f.vm().setSearchQuery(QStringLiteral("ar"));
    EXPECT_EQ(tileNames(), QStringList { u"Charlie"_qs });
    EXPECT_EQ(changes.count(), 1);
    ASSERT_EQ(removes.count(), 1);
    EXPECT_EQ(removes[0].value(1).toInt(), 1);

    // While a tile is dragged, a keystroke keeps the tiles by identity.
    f.vm().setDraggedApp(f.finder.apps().value(0));
    inserts.clear();
    changes.clear();
    f.vm().setSearchQuery(QString());
    EXPECT_EQ(tileNames().size(), 4);
    EXPECT_EQ(changes.count(), 0);
    ASSERT_EQ(inserts.count(), 1);
    EXPECT_EQ(inserts[0].value(1).toInt(), 0); // before Charlie
}

TEST_F(AppGridControllerTest, APublishIsOneRefilterAndOneInsertOfItsNewTile)
{
    standardCatalog();
    const QList<AppItem> apps = f.finder.apps() + QList<AppItem> { f.app(QStringLiteral("Bravissimo")) };
    const quint64 generation = f.finder.beginScan();
    QSignalSpy refilters(&f.vm(), &BrimlarkViewModel::refiltered);
    QSignalSpy inserts(grid.apps(), &AppTileModel::rowsInserted);
    QSignalSpy resets(grid.apps(), &AppTileModel::modelReset);
    f.finder.publishScan(apps, generation);
    EXPECT_EQ(tileNames(), (QStringList { u"Alpha"_qs, u"Bravissimo"_qs, u"Bravo"_qs, u"Charlie"_qs }));
    EXPECT_EQ(refilters.count(), 1);
    EXPECT_EQ(inserts.count(), 1);
    EXPECT_EQ(resets.count(), 0);
}

TEST_F(AppGridControllerTest, AFolderReorderMovesOneTile)
{
    standardCatalog();
    f.makeFolder(QStringLiteral("Work"),
        { QStringLiteral("Alpha"), QStringLiteral("Bravo"), QStringLiteral("Charlie") });
    f.selectFolder(QStringLiteral("Work"));
    QSignalSpy moves(grid.apps(), &AppTileModel::rowsMoved);
    QSignalSpy resets(grid.apps(), &AppTileModel::modelReset);
    f.finder.reorderAppsInFolder(f.folder(QStringLiteral("Work")), { 0 }, 3);
    EXPECT_EQ(tileNames(), (QStringList { u"Bravo"_qs, u"Charlie"_qs, u"Alpha"_qs }));
    EXPECT_EQ(moves.count(), 1);
    EXPECT_EQ(resets.count(), 0);
    // The selection's copy of the folder is unchanged, so the grid is not rebuilt.
    EXPECT_EQ(grid.contentLayout(), GridPane::Layout::appTiles);
}

TEST_F(AppGridControllerTest, TheOverlayShowsTheOpenedFolderElseTheOpenedCategory)
{
    standardCatalog();
    f.makeFolder(QStringLiteral("Work"), { QStringLiteral("Charlie"), QStringLiteral("Alpha") });
    const AppFolder work = f.folder(QStringLiteral("Work"));

    EXPECT_EQ(grid.overlayKind(), AppGridController::OverlayKind::none);
    grid.setExpandedFolderID(UuidText::format(work.id));
    EXPECT_EQ(grid.overlayKind(), AppGridController::OverlayKind::folder);
    EXPECT_EQ(grid.overlayTitle(), u"Work");
    ASSERT_EQ(grid.overlayApps().size(), 2);
    EXPECT_EQ(grid.overlayApps()[0].name(), u"Charlie");
    EXPECT_EQ(grid.overlayFolder().id, work.id);
    // A hidden member stays in the hidden section only.
    f.finder.hideApp(f.app(QStringLiteral("Charlie")));
    ASSERT_EQ(grid.overlayApps().size(), 1);
    EXPECT_EQ(grid.overlayApps()[0].name(), u"Alpha");
    f.finder.unhideApp(f.app(QStringLiteral("Charlie")));

    // A deleted folder gives way to the opened category.
    grid.setExpandedCategoryName(QStringLiteral("Games"));
    f.vm().deleteFolder(work);
    EXPECT_EQ(grid.overlayKind(), AppGridController::OverlayKind::category);
    EXPECT_EQ(grid.overlayTitle(), u"Games");
    EXPECT_EQ(grid.overlayApps().size(), 2);
    EXPECT_TRUE(grid.overlayFolder().isNull());

    // A category the grouping does not have, and no folder: nothing.
    grid.setExpandedCategoryName(QStringLiteral("Nothing"));
    EXPECT_EQ(grid.overlayKind(), AppGridController::OverlayKind::none);

    // The dismiss actions may run twice.
    QSignalSpy expansion(&grid, &AppGridController::expansionChanged);
    grid.dismissCategoryPanel();
    grid.dismissCategoryPanel();
    grid.dismissFolderPanel();
    EXPECT_EQ(expansion.count(), 2);
    EXPECT_FALSE(grid.expandedCategoryName().isValid());
    EXPECT_TRUE(grid.expandedFolderID().isEmpty());
    // An empty category name is a category, not none.
    grid.setExpandedCategoryName(QString());
    EXPECT_TRUE(grid.expandedCategoryName().isValid());
    grid.setExpandedFolderID(QStringLiteral("bogus"));
    EXPECT_TRUE(grid.expandedFolderID().isEmpty());
}

TEST_F(AppGridControllerTest, TheSheetsFollowTheViewModel)
{
    standardCatalog();
    const auto work = f.makeFolder(QStringLiteral("Work")).value<AppFolder>();
    QSignalSpy sheets(&grid, &AppGridController::sheetsChanged);
    grid.openAppPicker(work);
    EXPECT_TRUE(grid.appPickerShown());
    EXPECT_EQ(grid.appPickerFolder().name, u"Work");
    grid.dismissAppPicker();
    EXPECT_FALSE(grid.appPickerShown());
    // Closing the picker leaves its folder.
    EXPECT_TRUE(f.vm().folderForPicker());
    EXPECT_GE(sheets.count(), 3);

    f.vm().setAppToUninstall(f.appNamed(QStringLiteral("Bravo")).value<AppItem>());
    EXPECT_EQ(grid.appToUninstall().name(), u"Bravo");
    grid.dismissUninstaller();
    EXPECT_TRUE(grid.appToUninstall().id().isEmpty());
    EXPECT_FALSE(f.vm().appToUninstall());
}

} // namespace

// An application copied in slowly: the first scan meets the bundle before
// its information list and icon are there; the rescan after the copy ends
// brings the category and the real icon to the tile, past both icon caches.
TEST_F(AppGridControllerTest, RescanOfABundleCompletedLaterRefreshesItsCategoryAndIcon)
{
    QTemporaryDir dir;
    const QString path = test::makeBundle(dir.path(), QStringLiteral("Slow.app"), QByteArray());
    AppWorkspace workspace;
    AppIconStore store([&workspace](const QString &p, int size) { return workspace.iconForFile(p, size); },
        AppIconCache::DefaultMaxBytes, 128, &Bundle::iconStampOf);
    AppIconImageProvider provider(store);
    auto scan = [&] {
        f.publish(AppScanner::scan({ dir.path() }));
        store.prefetchIcons({ path });
        EXPECT_TRUE(store.waitForDone(5000));
        EXPECT_EQ(grid.apps()->count(), 1);
    };
    auto tileIcon = [&] {
        const QUrl url = grid.apps()->index(0).data(AppTileModel::IconSourceRole).toUrl();
        const QString id = url.toString(QUrl::RemoveScheme | QUrl::RemoveAuthority).mid(1);
        std::unique_ptr<QQuickImageResponse> response(provider.requestImageResponse(id, QSize(128, 128)));
        QSignalSpy finished(response.get(), &QQuickImageResponse::finished);
        EXPECT_TRUE(finished.wait(5000));
        return std::pair { url, static_cast<AppIconImageResponse *>(response.get())->image() };
    };
    auto category = [&] { return grid.apps()->index(0).data(AppTileModel::CategoryRole).toString(); };

    scan();
    EXPECT_EQ(category(), u"Other");
    const auto [placeholderUrl, placeholder] = tileIcon();
    ASSERT_FALSE(placeholder.isNull());
    EXPECT_NE(placeholder.pixelColor(64, 64), QColor(Qt::red));

    QDir().mkpath(path + QStringLiteral("/Contents/Resources"));
    test::TemporaryRoots::writeFile(
        path + QStringLiteral("/Contents/Resources/Slow.png"), test::pngBytes(Qt::red, 128));
    test::TemporaryRoots::writeFile(path + QStringLiteral("/Contents/Info.plist"),
        test::infoPlist({ { QStringLiteral("CFBundleIconFile"), QStringLiteral("Slow") },
                            { AppScanner::categoryKey, QStringLiteral("public.app-category.utilities") } },
            false));
    scan();
    EXPECT_EQ(category(), u"Utilities");
    EXPECT_EQ(store.cached(path, 128).value_or(QImage()).pixelColor(64, 64), QColor(Qt::red));
    const auto [iconUrl, icon] = tileIcon();
    EXPECT_NE(iconUrl, placeholderUrl);
    EXPECT_EQ(icon.pixelColor(64, 64), QColor(Qt::red));
}
