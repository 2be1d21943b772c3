#include "GridFixture.h"

#include "grid/UnifiedGridController.h"

#include <QAbstractItemModelTester>

#include <gtest/gtest.h>

using namespace brimlark;

namespace {

GridItemIdentifier cat(const QString &name)
{
    return GridItemIdentifier::category(name);
}

TEST(UnifiedGridRules, ADropMovesTheFirstDroppedCardToTheTargetsPlace)
{
    const QUuid folderId = QUuid::createUuid();
    const QList<GridItemIdentifier> items { cat(u"A"_qs), cat(u"B"_qs), cat(u"C"_qs), cat(u"D"_qs),
        GridItemIdentifier::folder(folderId) };
    const auto folderText = GridItemIdentifier::folder(folderId).stringRepresentation();
    using Move = UnifiedGridController::Move;
    struct Case
    {
        QString text;
        GridItemIdentifier target;
        std::optional<Move> expected;
    };
    const QList<Case> cases {
        { u"category:B"_qs, items[4], Move { 1, 5 } },
        { folderText, cat(u"B"_qs), Move { 4, 1 } },
        { u"category:C"_qs, cat(u"C"_qs), Move { 2, 2 } },
        { folderText.toLower().replace(u"folder:"_qs, u"folder:"_qs), cat(u"A"_qs), Move { 4, 0 } },
        { u"category:D\ncategory:A"_qs, cat(u"A"_qs), Move { 3, 0 } },
        { u"folder:not-a-uuid"_qs, cat(u"A"_qs), std::nullopt },
        { u"B"_qs, cat(u"A"_qs), std::nullopt },
        { QString(), cat(u"A"_qs), std::nullopt },
        { GridItemIdentifier::folder(QUuid::createUuid()).stringRepresentation(), cat(u"A"_qs),
            std::nullopt },
        { u"category:A"_qs, cat(u"Gone"_qs), std::nullopt },
    };
    for (const auto &c : cases) {
        EXPECT_EQ(UnifiedGridController::moveFor(items, c.text, c.target), c.expected)
            << c.text.toStdString();
    }
}

class UnifiedGridTest : public ::testing::Test
{
protected:
    UnifiedGridTest()
    {
        f.publish(QList<AppItem> {
            f.app(u"A"_qs, u"Games"_qs), f.app(u"B"_qs, u"Tools"_qs), f.app(u"C"_qs, u"Tools"_qs) });
        f.makeFolder(u"Work"_qs, { u"A"_qs, u"B"_qs });
        grid.setViewModel(&f.vm());
        grid.setCatalog(&f.finder);
    }
    QStringList titles()
    {
        QStringList out;
        for (const auto &card : grid.cardModel()->cards()) {
            out << card.title;
        }
        return out;
    }
    const UnifiedGridCardModel::Card &card(const QString &title)
    {
        const auto &cards = grid.cardModel()->cards();
        return *std::find_if(cards.begin(), cards.end(), [&](const auto &c) { return c.title == title; });
    }

    test::GridFixture f;
    UnifiedGridController grid;
    QAbstractItemModelTester tester { grid.cardModel() };
};

TEST_F(UnifiedGridTest, ADroppedCardTakesTheTargetsPlaceAndTheOrderIsStored)
{
    const QStringList before = titles();
    ASSERT_EQ(before.size(), 3);
    const QString first = f.gridItemTexts().first();
    const QString last = f.gridItemTexts().last();
    EXPECT_TRUE(grid.drop(first, last));
    EXPECT_EQ(titles(), (QStringList { before[1], before[2], before[0] }));
    EXPECT_EQ(f.finder.getUnifiedGridOrder().last().stringRepresentation(), first);
    // Refused drops change nothing but the highlight.
    grid.setTargeted(last, true);
    EXPECT_EQ(grid.dropTargetID(), last);
    EXPECT_FALSE(grid.drop(u"something else"_qs, last));
    EXPECT_EQ(grid.dropTargetID(), QString());
    EXPECT_EQ(titles(), (QStringList { before[1], before[2], before[0] }));
}

TEST_F(UnifiedGridTest, FolderCardsLeaveHiddenApplicationsOutAndFollowRenames)
{
    f.finder.hideApp(f.app(u"A"_qs));
    ASSERT_EQ(card(u"Work"_qs).apps.size(), 1);
    EXPECT_EQ(card(u"Work"_qs).apps.first().name(), u"B"_qs);
    f.finder.renameFolder(f.folder(u"Work"_qs), u"Play"_qs);
    EXPECT_TRUE(titles().contains(u"Play"_qs));
    const QModelIndex row = grid.cardModel()->index(int(titles().indexOf(u"Play"_qs)));
    EXPECT_EQ(row.data(UnifiedGridCardModel::TitleRole).toString(), u"Play"_qs);
}

TEST_F(UnifiedGridTest, TheAddFolderTilePutsANewFolderInFrontEachTime)
{
    // A card dropped on itself stores the order as it stands.
    const QString last = f.gridItemTexts().last();
    ASSERT_TRUE(grid.drop(last, last));
    grid.addFolder();
    grid.addFolder();
    EXPECT_EQ(titles().mid(0, 2), (QStringList { u"New app folder"_qs, u"New app folder"_qs }));
    EXPECT_NE(grid.cardModel()->cards()[0].folder->id, grid.cardModel()->cards()[1].folder->id);
    EXPECT_EQ(grid.cardModel()->cards()[0].folder->color, u"#007AFF"_qs);
}

// Only a card that joins the order enters with its transition: not the
// first cards, not a card that moved, not the others when one is added.
TEST_F(UnifiedGridTest, OnlyACardThatJoinsTheOrderIsMarkedInserted)
{
    const auto inserted = [this] {
        QStringList out;
        for (int row = 0; row < grid.cardModel()->rowCount(); ++row) {
            const QModelIndex index = grid.cardModel()->index(row);
            if (index.data(UnifiedGridCardModel::InsertedRole).toBool()) {
                out << index.data(UnifiedGridCardModel::TitleRole).toString();
            }
        }
        return out;
    };
    EXPECT_EQ(inserted(), QStringList());
    const QStringList items = f.gridItemTexts();
    ASSERT_TRUE(grid.drop(items.first(), items.last()));
    EXPECT_EQ(inserted(), QStringList());
    grid.addFolder();
    EXPECT_EQ(inserted(), QStringList { u"New app folder"_qs });
    f.finder.renameFolder(f.folder(u"Work"_qs), u"Play"_qs);
    EXPECT_EQ(inserted(), QStringList { u"New app folder"_qs });
    const QStringList now = f.gridItemTexts();
    ASSERT_TRUE(grid.drop(now.first(), now.last()));
    EXPECT_EQ(inserted(), QStringList());
}

} // namespace
