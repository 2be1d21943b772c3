#include "GridFixture.h"

#include "grid/CategoryCardController.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

using namespace brimlark;
using Action = CategoryCardMenu::Action;

namespace {

class CategoryCardTest : public ::testing::Test
{
protected:
    CategoryCardTest()
    {
        f.publish(QList<AppItem> {
            f.app(u"A"_qs, u"Games"_qs), f.app(u"B"_qs, u"Games"_qs), f.app(u"C"_qs, u"Tools"_qs) });
        f.makeFolder(u"Work"_qs, { u"C"_qs });
        card.setViewModel(&f.vm());
        card.setCatalog(&f.finder);
        card.setDoubleClickInterval(400);
    }
    void asFolder(const QString &name = u"Work"_qs)
    {
        card.setFolder(f.folder(name));
        card.setCategoryName(name);
        card.setApps(f.finder.getAppsInFolder(f.folder(name)));
    }
    void asCategory(const QString &name = u"Games"_qs)
    {
        card.setCategoryName(name);
        card.setApps(f.vm().groupedAppsByCategory().value(name));
    }
    QList<Action> actions(const QList<MenuEntry> &entries)
    {
        QList<Action> out;
        for (const auto &e : entries) {
            out << Action(e.action);
        }
        return out;
    }

    test::GridFixture f;
    CategoryCardController card;
};

TEST_F(CategoryCardTest, MenuEntriesFollowTheCardKindAndTheSection)
{
    struct Case
    {
        bool folder;
        bool hiddenSection;
        QList<Action> expected;
    };
    const QList<Case> cases {
        { true, false,
            { Action::renameFolder, Action::deleteFolder, Action::hideFolderGlobally, Action::none,
                Action::addApps } },
        { true, true, { Action::unhideFolderGlobally } },
        { false, false, { Action::createFolderFromCategory, Action::none, Action::none } },
    };
    for (const auto &c : cases) {
        c.folder ? asFolder() : asCategory();
        if (!c.folder) {
            card.setFolder(std::nullopt);
        }
        f.selectSection(c.hiddenSection ? u"hidden"_qs : u"allApps"_qs);
        const auto entries = card.menu();
        EXPECT_EQ(actions(entries), c.expected) << c.folder << c.hiddenSection;
    }
    // The category's submenu lists every folder by its own name.
    const auto submenu = card.menu().last();
    ASSERT_EQ(submenu.kind, MenuEntry::Kind::submenu);
    ASSERT_EQ(submenu.children.size(), 1);
    EXPECT_EQ(submenu.children[0].title, u"Work"_qs);
    EXPECT_FALSE(submenu.children[0].localized);
}

TEST_F(CategoryCardTest, AFolderCardShowsTheFolderAsTheCatalogHoldsItNow)
{
    asFolder();
    QSignalSpy changed(&card, &CategoryCardController::cardChanged);
    f.finder.renameFolder(f.folder(u"Work"_qs), u"Office"_qs);
    EXPECT_GE(changed.count(), 1);
    EXPECT_EQ(card.title(), u"Office"_qs);
    EXPECT_EQ(card.helpText(), u"Folder: Office"_qs);
    // Gone from the catalog: the card keeps what it was given.
    f.vm().deleteFolder(f.folder(u"Office"_qs));
    EXPECT_EQ(card.title(), u"Work"_qs);
}

TEST_F(CategoryCardTest, ATitleClickWaitsForTheDoubleClickIntervalOnlyOnAFolder)
{
    struct Case
    {
        bool folder;
        QList<int> taps;
        int expandsAtOnce;
        int expandsAfterInterval;
        bool editing;
    };
    const QList<Case> cases {
        { true, { 1 }, 0, 1, false },
        { true, { 1, 2 }, 0, 0, true },
        { false, { 1 }, 1, 1, false },
        { false, { 1, 2 }, 2, 2, false },
    };
    for (const auto &c : cases) {
        CategoryCardController fresh;
        fresh.setViewModel(&f.vm());
        fresh.setCatalog(&f.finder);
        fresh.setDoubleClickInterval(400);
        if (c.folder) {
            fresh.setFolder(f.folder(u"Work"_qs));
        }
        QSignalSpy expands(&fresh, &CategoryCardController::expandRequested);
        for (int tap : c.taps) {
            fresh.titleClicked(tap);
        }
        EXPECT_EQ(expands.size(), c.expandsAtOnce) << c.folder << c.taps.size();
        f.advance(400);
        EXPECT_EQ(expands.size(), c.expandsAfterInterval) << c.folder << c.taps.size();
        EXPECT_EQ(fresh.isEditingName(), c.editing);
    }
    // Elsewhere on the card a click expands at once.
    asFolder();
    QSignalSpy expands(&card, &CategoryCardController::expandRequested);
    card.cardClicked();
    EXPECT_EQ(expands.size(), 1);
}

TEST_F(CategoryCardTest, RenamingAppliesANonEmptyNameAsTypedAndAlwaysEnds)
{
    asFolder();
    const QList<QPair<QString, QString>> cases {
        { u" Spaced "_qs, u" Spaced "_qs },
        { QString(), u" Spaced "_qs },
    };
    for (const auto &[typed, stored] : cases) {
        card.renameStart();
        EXPECT_TRUE(card.isEditingName());
        card.setEditedName(typed);
        card.renameCommit();
        EXPECT_FALSE(card.isEditingName());
        EXPECT_EQ(f.finder.folders().first().name, stored);
    }
    // The field starts from the catalog's name, not the card's older copy.
    card.renameStart();
    EXPECT_EQ(card.editedName(), u" Spaced "_qs);
    // A category card has no name to edit.
    card.setFolder(std::nullopt);
    card.renameCommit();
    card.renameStart();
    EXPECT_FALSE(card.isEditingName());
}

TEST_F(CategoryCardTest, ADroppedApplicationJoinsAFolderByItsPathOnTheNextTurn)
{
    const QString a = f.app(u"A"_qs).id();
    struct Case
    {
        bool folder;
        QList<QUrl> urls;
        QString text;
        bool accepted;
    };
    const QList<Case> cases {
        { false, { QUrl::fromLocalFile(a) }, {}, false },
        { true, {}, {}, false },
        { true, { QUrl::fromLocalFile(u"/Applications/Unknown.app"_qs) }, {}, false },
        { true, { QUrl(u"file://"_qs + a) }, {}, true },
        { true, { QUrl(u"file://"_qs + a + u'/') }, {}, true },
        { true, {}, u"file://"_qs + a, true },
        { true, { QUrl::fromLocalFile(a), QUrl::fromLocalFile(f.app(u"B"_qs).id()) }, {}, true },
    };
    for (const auto &c : cases) {
        c.folder ? asFolder() : asCategory();
        if (!c.folder) {
            card.setFolder(std::nullopt);
        }
        EXPECT_EQ(card.dropUrls(c.urls, c.text), c.accepted) << c.text.toStdString();
        // Answered first; the folder changes afterwards.
        EXPECT_EQ(f.folderMembers(u"Work"_qs), QStringList { u"C"_qs });
        f.advance(0);
        EXPECT_EQ(f.folderMembers(u"Work"_qs),
            c.accepted ? (QStringList { u"C"_qs, u"A"_qs }) : QStringList { u"C"_qs });
        f.finder.removeAppFromFolder(f.app(u"A"_qs), f.folder(u"Work"_qs));
    }
}

TEST_F(CategoryCardTest, CreateFolderFromCategoryFillsTheNewFolderByItsId)
{
    // A folder already named after the category stays as it is.
    f.makeFolder(u"Games"_qs, { u"C"_qs });
    asCategory();
    const QUuid id = card.createFolderFromCategory();
    ASSERT_FALSE(id.isNull());
    int named = 0;
    for (const auto &folder : f.finder.folders()) {
        named += folder.name == u"Games"_qs;
        if (folder.id == id) {
            EXPECT_EQ(folder.color, u"#007AFF"_qs);
            EXPECT_EQ(folder.icon, u"folder"_qs);
            QStringList names;
            for (const auto &app : f.finder.getAppsInFolder(folder)) {
                names << app.name();
            }
            EXPECT_EQ(names, (QStringList { u"A"_qs, u"B"_qs }));
        } else if (folder.name == u"Games"_qs) {
            EXPECT_EQ(f.finder.getAppsInFolder(folder).size(), 1);
        }
    }
    EXPECT_EQ(named, 2);
    // Adding all to an existing folder skips what it already holds.
    card.perform(Action::addAllToFolder, id);
    EXPECT_EQ(f.finder
                  .getAppsInFolder(*std::find_if(f.finder.folders().begin(), f.finder.folders().end(),
                      [&](const AppFolder &x) { return x.id == id; }))
                  .size(),
        2);
}

} // namespace
