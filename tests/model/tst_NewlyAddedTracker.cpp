#include "model/NewlyAddedTracker.h"
#include "platform/base/Defaults.h"
#include "platform/core/BundleUrl.h"
#include "support/CatalogApps.h"

#include <gtest/gtest.h>

using namespace brimlark;
using test::app;
using test::names;

TEST(NewlyAddedTracker, NewestStampFirstTiesByCreationAndOldStampsNeedARecentDate)
{
    Defaults defaults;
    QDateTime now = QDateTime(QDate(2024, 5, 1), QTime(12, 0), Qt::UTC);
    QHash<QString, NewlyAddedTracker::FileDates> dates;
    NewlyAddedTracker tracker(
        defaults, [&now] { return now; },
        [&dates](const QString &path) -> std::optional<NewlyAddedTracker::FileDates> {
            return dates.value(path);
        });
    const AppItem old = app(QStringLiteral("Old"));
    const AppItem made = app(QStringLiteral("Made"));
    const AppItem plain = app(QStringLiteral("Plain"));
    dates.insert(made.id(), { now.addDays(-1), std::nullopt });
    dates.insert(plain.id(), { now.addDays(-5), std::nullopt });
    dates.insert(old.id(), { now.addDays(-90), std::nullopt });

    // All stamped now: equal stamps, so the newer creation date goes first.
    QList<AppItem> apps { old, plain, made };
    EXPECT_EQ(names(tracker.update(apps, UrlTextIndex(apps))),
        (QStringList { QStringLiteral("Made"), QStringLiteral("Plain"), QStringLiteral("Old") }));
    EXPECT_EQ(tracker.stored().size(), 3);

    // Forty days on, only a recent creation date keeps an application listed.
    now = now.addDays(40);
    dates.insert(made.id(), { now.addDays(-2), std::nullopt });
    EXPECT_EQ(names(tracker.update(apps, UrlTextIndex(apps))), QStringList { QStringLiteral("Made") });

    // A stamp is forgotten once its application is gone, and set anew when it is back.
    apps = { made };
    tracker.update(apps, UrlTextIndex(apps));
    apps = { made, old };
    EXPECT_EQ(names(tracker.update(apps, UrlTextIndex(apps))),
        (QStringList { QStringLiteral("Old"), QStringLiteral("Made") }));
}
