#include "grid/GridPane.h"

#include <QSet>

#include <gtest/gtest.h>

using namespace brimlark;

namespace {

using Kind = SidebarSelection::Kind;
using State = GridPane::State;
using Layout = GridPane::Layout;

AppFolder folderNamed(const QString &name)
{
    AppFolder f;
    f.id = QUuid::createUuid();
    f.name = name;
    return f;
}

GridPane::Inputs inputs(std::optional<SidebarSelection> selection)
{
    GridPane::Inputs in;
    in.selection = std::move(selection);
    in.catalogEmpty = false;
    in.filteredAppsEmpty = false;
    return in;
}

TEST(GridPane, LoadsOnlyWhileTheFirstScanOfAnEmptyCatalogRuns)
{
    GridPane::Inputs in = inputs(SidebarSelection(Kind::allApps));
    in.isScanning = true;
    in.catalogEmpty = true;
    EXPECT_EQ(GridPane::state(in), State::loading);

    in.isScanning = false; // the scan found nothing
    EXPECT_EQ(GridPane::state(in), State::content);

    in.isScanning = true; // a rescan of a filled catalog
    in.catalogEmpty = false;
    EXPECT_EQ(GridPane::state(in), State::content);
}

TEST(GridPane, TheHiddenSectionAsksForAPasswordThenForTheUnlock)
{
    struct Case
    {
        bool passwordSet;
        bool unlocked;
        State expected;
    };
    for (const Case c :
        { Case { false, false, State::setupHiddenLock }, Case { false, true, State::setupHiddenLock },
            Case { true, false, State::unlockHidden }, Case { true, true, State::content } }) {
        GridPane::Inputs in = inputs(SidebarSelection(Kind::hidden));
        in.isSecurityPasswordSet = c.passwordSet;
        in.isHiddenUnlocked = c.unlocked;
        EXPECT_EQ(GridPane::state(in), c.expected) << c.passwordSet << c.unlocked;
    }
    // Loading comes first, whatever is selected.
    GridPane::Inputs loading = inputs(SidebarSelection(Kind::hidden));
    loading.isScanning = true;
    loading.catalogEmpty = true;
    EXPECT_EQ(GridPane::state(loading), State::loading);
    // Outside the hidden section a missing password changes nothing.
    EXPECT_EQ(GridPane::state(inputs(SidebarSelection(Kind::favorites))), State::content);
}

TEST(GridPane, ChoosesTheLayoutTheSelectionCallsFor)
{
    GridPane::Inputs byCategory = inputs(SidebarSelection(Kind::allApps));
    byCategory.sortOption = AppSortOption::category;
    EXPECT_EQ(GridPane::layout(byCategory), Layout::unifiedGrid);

    // A search shows its results as tiles, and clearing it brings the cards back.
    byCategory.searchQuery = QStringLiteral("no");
    EXPECT_EQ(GridPane::layout(byCategory), Layout::appTiles);
    byCategory.searchQuery.clear();
    EXPECT_EQ(GridPane::layout(byCategory), Layout::unifiedGrid);

    GridPane::Inputs byName = inputs(SidebarSelection(Kind::allApps));
    EXPECT_EQ(GridPane::layout(byName), Layout::appTiles);

    // Sorted by category, no selection is not All Apps.
    GridPane::Inputs none = inputs(std::nullopt);
    none.sortOption = AppSortOption::category;
    EXPECT_EQ(GridPane::layout(none), Layout::appTiles);

    EXPECT_EQ(GridPane::layout(inputs(SidebarSelection(Kind::hidden))), Layout::hiddenSection);

    GridPane::Inputs emptyFolder = inputs(SidebarSelection::ofFolder(folderNamed(QStringLiteral("Work"))));
    emptyFolder.filteredAppsEmpty = true;
    EXPECT_EQ(GridPane::layout(emptyFolder), Layout::emptyFolder);
    emptyFolder.filteredAppsEmpty = false;
    EXPECT_EQ(GridPane::layout(emptyFolder), Layout::appTiles);

    // An empty list elsewhere is an empty tile grid.
    for (const Kind kind : { Kind::favorites, Kind::recents, Kind::newlyAdded }) {
        GridPane::Inputs in = inputs(SidebarSelection(kind));
        in.filteredAppsEmpty = true;
        EXPECT_EQ(GridPane::layout(in), Layout::appTiles);
    }
}

TEST(GridPane, TheTranslucentBackgroundNeedsLightAppearanceAndAFolderOrCategory)
{
    const std::optional<SidebarSelection> folder
        = SidebarSelection::ofFolder(folderNamed(QStringLiteral("A")));
    const std::optional<SidebarSelection> category = SidebarSelection::ofCategory(QStringLiteral("Games"));
    EXPECT_TRUE(GridPane::usesTranslucentBackground(true, folder));
    EXPECT_TRUE(GridPane::usesTranslucentBackground(true, category));
    EXPECT_FALSE(GridPane::usesTranslucentBackground(false, folder));
    EXPECT_FALSE(GridPane::usesTranslucentBackground(false, category));
    EXPECT_FALSE(GridPane::usesTranslucentBackground(true, std::nullopt));
    for (const Kind kind :
        { Kind::allApps, Kind::recents, Kind::favorites, Kind::newlyAdded, Kind::hidden }) {
        EXPECT_FALSE(GridPane::usesTranslucentBackground(true, SidebarSelection(kind)));
    }
}

TEST(GridPane, TheTitleIsTheSelectionsOrApps)
{
    EXPECT_EQ(GridPane::navigationTitle(std::nullopt), u"Apps");
    EXPECT_EQ(GridPane::navigationTitle(SidebarSelection(Kind::recents)), u"Recent Apps");
    EXPECT_EQ(GridPane::navigationTitle(SidebarSelection::ofFolder(folderNamed(QStringLiteral("Tools")))),
        u"Tools");
}

TEST(GridPane, TheIdentityKeyChangesWithSectionPayloadAndSortOnly)
{
    const AppFolder work = folderNamed(QStringLiteral("Work"));
    AppFolder renamed = work;
    renamed.name = QStringLiteral("Play");
    AppFolder reordered = work;
    reordered.appURLs = { QStringLiteral("file:///B.app/"), QStringLiteral("file:///A.app/") };

    const auto key = [](std::optional<SidebarSelection> s, AppSortOption o = AppSortOption::nameAscending) {
        return GridPane::identityKey(s, o);
    };
    // No selection counts as All Apps.
    EXPECT_EQ(key(std::nullopt), key(SidebarSelection(Kind::allApps)));
    EXPECT_EQ(key(std::nullopt), u"allApps-nameAscending");
    EXPECT_EQ(key(SidebarSelection(Kind::allApps), AppSortOption::category), u"allApps-category");

    const QList<QString> distinct = {
        key(SidebarSelection(Kind::allApps)),
        key(SidebarSelection(Kind::allApps), AppSortOption::nameDescending),
        key(SidebarSelection(Kind::recents)),
        key(SidebarSelection::ofFolder(work)),
        key(SidebarSelection::ofFolder(renamed)),
        key(SidebarSelection::ofFolder(reordered)),
        key(SidebarSelection::ofFolder(folderNamed(QStringLiteral("Work")))),
        key(SidebarSelection::ofCategory(QStringLiteral("Games"))),
        key(SidebarSelection::ofCategory(QStringLiteral("Games)"))),
        key(SidebarSelection::ofCategory(QString())),
    };
    EXPECT_EQ(QSet<QString>(distinct.begin(), distinct.end()).size(), distinct.size());
    // The same folder record gives the same key.
    EXPECT_EQ(key(SidebarSelection::ofFolder(work)), key(SidebarSelection::ofFolder(work)));
}

} // namespace
