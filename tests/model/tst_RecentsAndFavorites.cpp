#include "model/RecentsAndFavorites.h"
#include "model/WorkspaceManager.h"
#include "platform/base/Defaults.h"
#include "platform/core/NotificationCenter.h"

#include <gtest/gtest.h>

using namespace brimlark;

TEST(RecentsAndFavorites, RecentsAreNewestFirstAndCappedFavouritesToggleEachWorkspaceHasItsOwn)
{
    Defaults defaults;
    NotificationCenter center;
    WorkspaceManager workspaces(defaults, center);
    RecentsAndFavorites lists(defaults, workspaces);
    for (int i = 0; i < 9; ++i) {
        lists.addToRecents(QStringLiteral("file:///%1.app/").arg(i));
    }
    lists.addToRecents(QStringLiteral("file:///5.app/"));
    const QStringList recents = lists.recents();
    ASSERT_EQ(recents.size(), RecentsAndFavorites::maxRecentApps);
    EXPECT_EQ(recents.mid(0, 3),
        (QStringList { QStringLiteral("file:///5.app/"), QStringLiteral("file:///8.app/"),
            QStringLiteral("file:///7.app/") }));

    lists.toggleFavorite(QStringLiteral("file:///a.app/"));
    lists.toggleFavorite(QStringLiteral("file:///b.app/"));
    lists.toggleFavorite(QStringLiteral("file:///a.app/"));
    EXPECT_EQ(lists.favorites(), QStringList { QStringLiteral("file:///b.app/") });
    EXPECT_TRUE(lists.isFavorite(QStringLiteral("file:///b.app/")));

    workspaces.createWorkspace(QStringLiteral("Two"), QStringLiteral("star"), QStringLiteral("#000000"));
    EXPECT_TRUE(lists.recents().isEmpty());
    EXPECT_FALSE(lists.isFavorite(QStringLiteral("file:///b.app/")));
}
