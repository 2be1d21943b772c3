#include "GridFixture.h"

#include "grid/AppTileController.h"
#include "platform/core/UuidText.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

using namespace brimlark;
using namespace std::chrono_literals;

namespace {

class AppTileControllerTest : public ::testing::Test
{
protected:
    AppTileControllerTest()
    {
        f.publish(
            QStringList { QStringLiteral("Alpha"), QStringLiteral("Bravo"), QStringLiteral("Charlie") });
        alpha = f.appNamed(QStringLiteral("Alpha")).value<AppItem>();
        tile.setViewModel(&f.vm());
        tile.setCatalog(&f.finder);
        tile.setApp(alpha);
    }

    test::GridFixture f;
    AppTileController tile;
    AppItem alpha;
};

TEST_F(AppTileControllerTest, AClickLaunchesAtOnceAndTheLookEndsAfterThreeTenths)
{
    QSignalSpy looks(&tile, &AppTileController::isLaunchingChanged);
    tile.click();
    EXPECT_TRUE(tile.isLaunching());
    EXPECT_EQ(f.launched(), QStringList { alpha.id() });
    EXPECT_EQ(f.finder.recentApps().value(0), alpha);

    f.advance(299);
    EXPECT_TRUE(tile.isLaunching());
    f.advance(1);
    EXPECT_FALSE(tile.isLaunching());
    EXPECT_EQ(looks.count(), 2);
}

TEST_F(AppTileControllerTest, TwoClicksLaunchTwiceAndTheFirstClickEndsTheLook)
{
    tile.click();
    f.advance(200);
    tile.click();
    EXPECT_EQ(f.launched().size(), 2);
    f.advance(100); // 0.3 s after the first click
    EXPECT_FALSE(tile.isLaunching());
    f.advance(200); // the second click's reset finds it already ended
    EXPECT_FALSE(tile.isLaunching());
}

TEST_F(AppTileControllerTest, LaunchFromTheMenuHasNoLaunchingLook)
{
    QSignalSpy looks(&tile, &AppTileController::isLaunchingChanged);
    tile.perform(AppTileMenu::Action::launch);
    EXPECT_EQ(f.launched(), QStringList { alpha.id() });
    EXPECT_EQ(looks.count(), 0);
    EXPECT_EQ(f.scheduler.pendingCount(), 0u);
}

TEST_F(AppTileControllerTest, ATileGoneBeforeItsLookEndsLeavesNothingBehind)
{
    auto other = std::make_unique<AppTileController>();
    other->setViewModel(&f.vm());
    other->setCatalog(&f.finder);
    other->setApp(alpha);
    other->click();
    EXPECT_EQ(f.scheduler.pendingCount(), 1u);
    other.reset();
    EXPECT_EQ(f.scheduler.pendingCount(), 0u);
    f.advance(1000);
}

TEST_F(AppTileControllerTest, AnotherApplicationEndsTheLookAndTheSameOneKeepsIt)
{
    tile.click();
    tile.setApp(alpha); // the same application, its details refreshed
    EXPECT_TRUE(tile.isLaunching());
    tile.setApp(f.appNamed(QStringLiteral("Bravo")).value<AppItem>());
    EXPECT_FALSE(tile.isLaunching());
    EXPECT_EQ(f.scheduler.pendingCount(), 0u);
}

TEST_F(AppTileControllerTest, TheFavouritesEntryFollowsTheStoredFavourites)
{
    const auto title = [this] { return tile.menu()[2].title; };
    EXPECT_EQ(title(), u"Add to Favorites");
    tile.perform(AppTileMenu::Action::toggleFavorite);
    EXPECT_TRUE(f.finder.isFavorite(alpha));
    EXPECT_EQ(title(), u"Remove from Favorites");
    tile.perform(AppTileMenu::Action::toggleFavorite);
    EXPECT_FALSE(f.finder.isFavorite(alpha));
    EXPECT_EQ(title(), u"Add to Favorites");
}

TEST_F(AppTileControllerTest, TheFolderEntriesAddToAndRemoveFromTheNamedFolder)
{
    f.makeFolder(QStringLiteral("Work"));
    const AppFolder work = f.folder(QStringLiteral("Work"));
    const auto sub = tile.menu()[6];
    ASSERT_EQ(sub.children.size(), 1);
    tile.perform(AppTileMenu::Action::addToFolder, UuidText::format(sub.children[0].folderID));
    EXPECT_EQ(f.folderMembers(QStringLiteral("Work")), QStringList { QStringLiteral("Alpha") });

    // In the folder the entry removes it, with the id the menu was made with.
    f.selectFolder(QStringLiteral("Work"));
    const auto remove = tile.menu()[6];
    EXPECT_EQ(remove.action, int(AppTileMenu::Action::removeFromFolder));
    tile.perform(AppTileMenu::Action(remove.action), remove.folderID);
    EXPECT_TRUE(f.folderMembers(QStringLiteral("Work")).isEmpty());

    // A folder deleted meanwhile, an unknown id or a malformed text change nothing.
    tile.perform(AppTileMenu::Action::addToFolder, UuidText::format(QUuid::createUuid()));
    tile.perform(AppTileMenu::Action::addToFolder, QStringLiteral("not a uuid"));
    EXPECT_TRUE(f.folderMembers(QStringLiteral("Work")).isEmpty());
}

TEST_F(AppTileControllerTest, HidingUnhidingAndUninstallingGoThroughTheViewModel)
{
    ASSERT_TRUE(f.setPassword(QStringLiteral("pw")));
    tile.perform(AppTileMenu::Action::hideGlobally);
    EXPECT_TRUE(f.finder.hiddenAppPaths().contains(alpha.id()));
    tile.perform(AppTileMenu::Action::unhideGlobally);
    EXPECT_FALSE(f.finder.hiddenAppPaths().contains(alpha.id()));

    tile.perform(AppTileMenu::Action::uninstall);
    ASSERT_TRUE(f.vm().appToUninstall());
    EXPECT_EQ(*f.vm().appToUninstall(), alpha);
}

TEST_F(AppTileControllerTest, UnknownActionsAndATileWithoutApplicationDoNothing)
{
    tile.perform(AppTileMenu::Action(99), QString()); // a number QML could pass
    tile.perform(AppTileMenu::Action::none);
    AppTileController empty;
    empty.setViewModel(&f.vm());
    empty.setCatalog(&f.finder);
    empty.click();
    empty.perform(AppTileMenu::Action::launch);
    empty.beginDrag();
    EXPECT_TRUE(f.launched().isEmpty());
    EXPECT_FALSE(f.vm().draggedApp());
    EXPECT_FALSE(empty.isLaunching());
}

TEST_F(AppTileControllerTest, ADragRecordsTheApplicationUntilItEnds)
{
    tile.beginDrag();
    ASSERT_TRUE(f.vm().draggedApp());
    EXPECT_EQ(*f.vm().draggedApp(), alpha);
    tile.endDrag();
    EXPECT_FALSE(f.vm().draggedApp());

    // The end of an older drag does not clear a newer one of another tile.
    AppTileController bravo;
    bravo.setViewModel(&f.vm());
    bravo.setCatalog(&f.finder);
    bravo.setApp(f.appNamed(QStringLiteral("Bravo")).value<AppItem>());
    tile.beginDrag();
    bravo.beginDrag();
    tile.endDrag();
    ASSERT_TRUE(f.vm().draggedApp());
    EXPECT_EQ(f.vm().draggedApp()->name(), u"Bravo");
}

TEST_F(AppTileControllerTest, TheIconComesFromTheIconProviderByPath)
{
    EXPECT_EQ(tile.iconSource().scheme(), u"image");
    EXPECT_EQ(tile.iconSource().host(), u"appicon");
    EXPECT_TRUE(tile.iconSource().toString().endsWith(u"/Applications/Alpha.app"));
}

} // namespace
