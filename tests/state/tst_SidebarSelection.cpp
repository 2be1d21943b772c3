#include "state/SidebarSelection.h"

#include <gtest/gtest.h>

#include <QSet>

using namespace brimlark;
using Kind = SidebarSelection::Kind;

namespace {

AppFolder folderNamed(const QString &name, QUuid id = QUuid::createUuid())
{
    AppFolder f;
    f.id = id;
    f.name = name;
    return f;
}

} // namespace

TEST(SidebarSelection, TitlesForEveryCase)
{
    const struct
    {
        SidebarSelection selection;
        QString title;
    } rows[] = {
        { SidebarSelection(Kind::allApps), QStringLiteral("All Apps") },
        { SidebarSelection(Kind::recents), QStringLiteral("Recent Apps") },
        { SidebarSelection(Kind::favorites), QStringLiteral("Favorites") },
        { SidebarSelection::ofFolder(folderNamed(QStringLiteral("Work Tools"))),
            QStringLiteral("Work Tools") },
        { SidebarSelection(Kind::newlyAdded), QStringLiteral("Newly Added") },
        { SidebarSelection::ofCategory(QStringLiteral("Developer Tools")),
            QStringLiteral("Developer Tools") },
        { SidebarSelection(Kind::hidden), QStringLiteral("Hidden Apps") },
    };
    for (const auto &row : rows) {
        EXPECT_EQ(row.selection.title(), row.title) << int(row.selection.kind());
    }
}

TEST(SidebarSelection, DefaultIsAllApps)
{
    EXPECT_EQ(SidebarSelection(), SidebarSelection(Kind::allApps));
}

TEST(SidebarSelection, FolderSelectionsCompareByIdOnly)
{
    const QUuid id = QUuid::createUuid();
    AppFolder before = folderNamed(QStringLiteral("Games"), id);
    AppFolder after = before;
    after.name = QStringLiteral("Play");
    after.appURLs = { QStringLiteral("file:///Applications/Chess.app/") };
    after.color = QStringLiteral("#FF0000");

    const auto a = SidebarSelection::ofFolder(before);
    const auto b = SidebarSelection::ofFolder(after);
    EXPECT_EQ(a, b);
    EXPECT_EQ(qHash(a), qHash(b));
    EXPECT_EQ(QSet<SidebarSelection>({ a, b }).size(), 1);
    // The copy keeps the name it was taken with.
    EXPECT_EQ(a.title(), QStringLiteral("Games"));

    EXPECT_NE(a, SidebarSelection::ofFolder(folderNamed(QStringLiteral("Games"))));
}

TEST(SidebarSelection, DistinctCasesAndPayloads)
{
    const QList<SidebarSelection> all = {
        SidebarSelection(Kind::allApps),
        SidebarSelection(Kind::recents),
        SidebarSelection(Kind::favorites),
        SidebarSelection::ofFolder(folderNamed(QStringLiteral("A"))),
        SidebarSelection(Kind::newlyAdded),
        SidebarSelection::ofCategory(QStringLiteral("Games")),
        SidebarSelection::ofCategory(QStringLiteral("games")),
        SidebarSelection(Kind::hidden),
    };
    for (int i = 0; i < all.size(); ++i) {
        for (int j = 0; j < all.size(); ++j) {
            EXPECT_EQ(all[i] == all[j], i == j) << i << " " << j;
        }
    }
    EXPECT_EQ(QSet<SidebarSelection>(all.begin(), all.end()).size(), all.size());
    EXPECT_EQ(SidebarSelection::ofCategory(QStringLiteral("Games")),
        SidebarSelection::ofCategory(QStringLiteral("Games")));
}
