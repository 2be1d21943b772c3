#include "GridFixture.h"

#include "grid/GridDropController.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

using namespace brimlark;

namespace {

QUrl urlOf(const AppItem &app)
{
    return app.url();
}

class GridDropControllerTest : public ::testing::Test
{
protected:
    GridDropControllerTest()
    {
        f.publish(QStringList { QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C"),
            QStringLiteral("D"), QStringLiteral("Outsider") });
        f.makeFolder(QStringLiteral("Work"),
            { QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C"), QStringLiteral("D") });
        f.selectFolder(QStringLiteral("Work"));
        drops.setViewModel(&f.vm());
        drops.setCatalog(&f.finder);
        drops.setFolderFlag(true);
    }
    AppItem app(const QString &name) { return f.appNamed(name).value<AppItem>(); }
    QStringList order() { return f.folderMembers(QStringLiteral("Work")); }
    // A drag of the tile of `name` over the tile of `onto`.
    void hover(const QString &name, const QString &onto)
    {
        drops.tileTargeted(true, app(onto).id(), { urlOf(app(name)) });
    }

    test::GridFixture f;
    GridDropController drops;
};

TEST_F(GridDropControllerTest, ADropPutsTheApplicationInTheTargetsPlace)
{
    EXPECT_TRUE(drops.dropOnTile({ urlOf(app(QStringLiteral("A"))) }, app(QStringLiteral("C")).id()));
    EXPECT_EQ(order(), (QStringList { u"B"_qs, u"C"_qs, u"A"_qs, u"D"_qs }));
    EXPECT_TRUE(drops.dropOnTile({ urlOf(app(QStringLiteral("D"))) }, app(QStringLiteral("B")).id()));
    EXPECT_EQ(order(), (QStringList { u"D"_qs, u"B"_qs, u"C"_qs, u"A"_qs }));
}

TEST_F(GridDropControllerTest, ADroppedUrlWithoutItsClosingSlashStillNamesTheApplication)
{
    const QUrl bare(QStringLiteral("file://") + app(QStringLiteral("A")).id());
    EXPECT_TRUE(drops.dropOnTile({ bare }, app(QStringLiteral("B")).id()));
    EXPECT_EQ(order(), (QStringList { u"B"_qs, u"A"_qs, u"C"_qs, u"D"_qs }));
}

TEST_F(GridDropControllerTest, OnlyTheFirstDroppedUrlCounts)
{
    EXPECT_TRUE(drops.dropOnTile(
        { urlOf(app(QStringLiteral("D"))), urlOf(app(QStringLiteral("A"))) }, app(QStringLiteral("A")).id()));
    EXPECT_EQ(order(), (QStringList { u"D"_qs, u"A"_qs, u"B"_qs, u"C"_qs }));
}

TEST_F(GridDropControllerTest, DropsThatCannotBePlacedAreRefusedAndChangeNothing)
{
    const QStringList before = order();
    const QString target = app(QStringLiteral("B")).id();
    // No URL, a URL of no installed application, an application not in the folder.
    EXPECT_FALSE(drops.dropOnTile({}, target));
    EXPECT_FALSE(drops.dropOnTile({ QUrl(QStringLiteral("file:///Elsewhere/X.app")) }, target));
    EXPECT_FALSE(
        drops.dropOnTile({ QUrl(QStringLiteral("https://example.com/Applications/A.app")) }, target));
    EXPECT_FALSE(drops.dropOnTile({ urlOf(app(QStringLiteral("Outsider"))) }, target));
    // A target that is not in the folder.
    EXPECT_FALSE(drops.dropOnTile({ urlOf(app(QStringLiteral("A"))) }, app(QStringLiteral("Outsider")).id()));
    EXPECT_EQ(order(), before);
    EXPECT_FALSE(f.folderMembers(QStringLiteral("Work")).contains(u"Outsider"_qs));
}

TEST_F(GridDropControllerTest, OutsideAFolderEveryTileDropIsRefused)
{
    const QStringList before = order();
    drops.setFolderFlag(false);
    EXPECT_FALSE(drops.dropOnTile({ urlOf(app(QStringLiteral("A"))) }, app(QStringLiteral("C")).id()));
    // A grid built for a folder whose selection has since moved on.
    drops.setFolderFlag(true);
    for (const char *kind : { "allApps", "favorites", "recents", "newlyAdded" }) {
        f.selectSection(QString::fromLatin1(kind));
        EXPECT_FALSE(drops.dropOnTile({ urlOf(app(QStringLiteral("A"))) }, app(QStringLiteral("C")).id()))
            << kind;
    }
    f.vm().setSelection(SidebarSelection::ofCategory(QStringLiteral("Utilities")));
    EXPECT_FALSE(drops.dropOnTile({ urlOf(app(QStringLiteral("A"))) }, app(QStringLiteral("C")).id()));
    EXPECT_EQ(order(), before);
}

TEST_F(GridDropControllerTest, ADeletedFolderRefusesDrops)
{
    f.vm().deleteFolder(f.folder(QStringLiteral("Work")));
    // The selection still names it when the grid was not rebuilt yet.
    f.vm().selectFolder(AppFolder {});
    EXPECT_FALSE(drops.dropOnTile({ urlOf(app(QStringLiteral("A"))) }, app(QStringLiteral("C")).id()));
}

TEST_F(GridDropControllerTest, Resting150MillisecondsOnATileMovesTheDraggedApplicationThere)
{
    f.vm().setDraggedApp(app(QStringLiteral("A")));
    hover(QStringLiteral("A"), QStringLiteral("C"));
    EXPECT_EQ(drops.draggedAppTarget(), app(QStringLiteral("C")).id());
    f.advance(149);
    EXPECT_EQ(order(), (QStringList { u"A"_qs, u"B"_qs, u"C"_qs, u"D"_qs }));
    f.advance(1);
    EXPECT_EQ(order(), (QStringList { u"B"_qs, u"C"_qs, u"A"_qs, u"D"_qs }));
    EXPECT_FALSE(drops.hasPendingHoverMove());
}

TEST_F(GridDropControllerTest, LeavingOrEnteringAnotherTileBeforeTheDelayRestartsIt)
{
    f.vm().setDraggedApp(app(QStringLiteral("A")));
    hover(QStringLiteral("A"), QStringLiteral("C"));
    f.advance(100);
    drops.tileTargeted(false, app(QStringLiteral("C")).id(), {});
    EXPECT_TRUE(drops.draggedAppTarget().isEmpty());
    f.advance(500);
    EXPECT_EQ(order(), (QStringList { u"A"_qs, u"B"_qs, u"C"_qs, u"D"_qs }));

    hover(QStringLiteral("A"), QStringLiteral("C"));
    f.advance(100);
    hover(QStringLiteral("A"), QStringLiteral("D"));
    f.advance(100); // 0.2 s since C was entered, 0.1 s since D
    EXPECT_EQ(order(), (QStringList { u"A"_qs, u"B"_qs, u"C"_qs, u"D"_qs }));
    f.advance(50);
    EXPECT_EQ(order(), (QStringList { u"B"_qs, u"C"_qs, u"D"_qs, u"A"_qs }));
}

TEST_F(GridDropControllerTest, LeavingAnotherTileKeepsTheCurrentTarget)
{
    hover(QStringLiteral("A"), QStringLiteral("C"));
    hover(QStringLiteral("A"), QStringLiteral("D"));
    // The exit of C arrives after D's entry.
    drops.tileTargeted(false, app(QStringLiteral("C")).id(), {});
    EXPECT_EQ(drops.draggedAppTarget(), app(QStringLiteral("D")).id());
}

TEST_F(GridDropControllerTest, HoveringTheDraggedApplicationsOwnTileEnlargesItButMovesNothing)
{
    f.vm().setDraggedApp(app(QStringLiteral("B")));
    hover(QStringLiteral("B"), QStringLiteral("B"));
    EXPECT_EQ(drops.draggedAppTarget(), app(QStringLiteral("B")).id());
    EXPECT_FALSE(drops.hasPendingHoverMove());
}

TEST_F(GridDropControllerTest, AStaleDraggedApplicationIsNotMovedByAnotherDrag)
{
    // A's drag ended long ago without being cleared; now a file from
    // elsewhere is dragged over the folder's tiles.
    f.vm().setDraggedApp(app(QStringLiteral("A")));
    drops.tileTargeted(
        true, app(QStringLiteral("C")).id(), { QUrl(QStringLiteral("file:///home/me/notes.txt")) });
    EXPECT_EQ(drops.draggedAppTarget(), app(QStringLiteral("C")).id());
    EXPECT_FALSE(drops.hasPendingHoverMove());
    // A drag that carries no URL at all moves nothing either.
    drops.tileTargeted(true, app(QStringLiteral("D")).id(), {});
    EXPECT_FALSE(drops.hasPendingHoverMove());
    f.advance(1000);
    EXPECT_EQ(order(), (QStringList { u"A"_qs, u"B"_qs, u"C"_qs, u"D"_qs }));
}

TEST_F(GridDropControllerTest, WithoutADraggedApplicationOrOutsideAFolderNothingIsScheduled)
{
    hover(QStringLiteral("A"), QStringLiteral("C"));
    EXPECT_FALSE(drops.hasPendingHoverMove());

    f.vm().setDraggedApp(app(QStringLiteral("A")));
    drops.setFolderFlag(false);
    hover(QStringLiteral("A"), QStringLiteral("C"));
    EXPECT_TRUE(drops.draggedAppTarget().isEmpty()); // no tile enlarges outside a folder
    EXPECT_FALSE(drops.hasPendingHoverMove());
}

TEST_F(GridDropControllerTest, AControllerGoneBeforeTheDelayMovesNothing)
{
    auto other = std::make_unique<GridDropController>();
    other->setViewModel(&f.vm());
    other->setCatalog(&f.finder);
    other->setFolderFlag(true);
    f.vm().setDraggedApp(app(QStringLiteral("A")));
    other->tileTargeted(true, app(QStringLiteral("C")).id(), { urlOf(app(QStringLiteral("A"))) });
    other.reset();
    f.advance(1000);
    EXPECT_EQ(order(), (QStringList { u"A"_qs, u"B"_qs, u"C"_qs, u"D"_qs }));
}

TEST_F(GridDropControllerTest, AnEmptyFolderAcceptsOnlyADropThatNamesAnInstalledApplication)
{
    const auto empty = f.makeFolder(QStringLiteral("Empty")).value<AppFolder>();
    EXPECT_FALSE(drops.dropOnEmptyFolder(empty, QString(), {}));
    EXPECT_FALSE(drops.dropOnEmptyFolder(empty, QStringLiteral("hello"), {}));
    EXPECT_FALSE(drops.dropOnEmptyFolder(empty, QStringLiteral("file:///Applications/Nothing.app/"), {}));
    EXPECT_TRUE(f.folderMembers(QStringLiteral("Empty")).isEmpty());

    // URL text without the closing slash names the bundle too.
    const QString bare = QStringLiteral("file://") + app(QStringLiteral("C")).id();
    EXPECT_TRUE(drops.dropOnEmptyFolder(empty, bare, {}));
    EXPECT_EQ(f.folderMembers(QStringLiteral("Empty")), QStringList { u"C"_qs });

    // A URL drop without text; an application already there is not added twice.
    EXPECT_TRUE(drops.dropOnEmptyFolder(empty, QString(), { urlOf(app(QStringLiteral("C"))) }));
    EXPECT_TRUE(drops.dropOnEmptyFolder(empty, QString(), { urlOf(app(QStringLiteral("D"))) }));
    EXPECT_EQ(f.folderMembers(QStringLiteral("Empty")), (QStringList { u"C"_qs, u"D"_qs }));

    // Not a folder.
    EXPECT_FALSE(drops.dropOnEmptyFolder(AppFolder(), bare, {}));
}

} // namespace
