#include "model/CatalogOrdering.h"
#include "platform/core/BundleUrl.h"
#include "platform/core/NameComparison.h"
#include "support/CatalogApps.h"

#include <QLocale>

#include <gtest/gtest.h>

using namespace brimlark;
using test::app;
using test::names;
using namespace brimlark::CatalogOrdering;

namespace {

const NameComparison collation { QLocale(QLocale::English, QLocale::UnitedStates) };

} // namespace

TEST(CatalogOrdering, RanksShareEqualTextsAndOrderedRanksNeedSortedInput)
{
    const auto ranks = collationRanks(
        { QStringLiteral("beta"), QStringLiteral("Alpha"), QStringLiteral("BETA") }, collation);
    EXPECT_EQ(ranks.value(QStringLiteral("Alpha")), 0);
    EXPECT_EQ(ranks.value(QStringLiteral("beta")), ranks.value(QStringLiteral("BETA")));
    EXPECT_EQ(orderedCollationRanks({ QStringLiteral("Alpha"), QStringLiteral("beta") }, collation),
        collationRanks({ QStringLiteral("Alpha"), QStringLiteral("beta") }, collation));
    EXPECT_TRUE(
        orderedCollationRanks({ QStringLiteral("beta"), QStringLiteral("Alpha") }, collation).isEmpty());
}

TEST(CatalogOrdering, EachSortOptionIsAStableOrderByOneKey)
{
    const QList<AppItem> apps { app(QStringLiteral("Cello"), QStringLiteral("B")),
        app(QStringLiteral("alto"), QStringLiteral("C")), app(QStringLiteral("Bass"), QStringLiteral("A")) };
    const Ranks ranks = Ranks::of(apps, collation);
    const QSet<QString> recent { apps[0].urlText() };
    const struct
    {
        AppSortOption option;
        QStringList expected;
    } rows[] = {
        { AppSortOption::nameAscending,
            { QStringLiteral("alto"), QStringLiteral("Bass"), QStringLiteral("Cello") } },
        { AppSortOption::nameDescending,
            { QStringLiteral("Cello"), QStringLiteral("Bass"), QStringLiteral("alto") } },
        { AppSortOption::category,
            { QStringLiteral("Bass"), QStringLiteral("Cello"), QStringLiteral("alto") } },
        { AppSortOption::recentlyUsed,
            { QStringLiteral("Cello"), QStringLiteral("alto"), QStringLiteral("Bass") } },
    };
    for (const auto &row : rows) {
        EXPECT_EQ(names(sorted(apps, row.option, recent, ranks, collation)), row.expected)
            << AppSortOptions::text(row.option).toStdString();
    }
    // A name the ranks lack: the list is ranked on its own.
    EXPECT_EQ(names(sorted({ apps[0], app(QStringLiteral("Banjo")) }, AppSortOption::nameAscending, {}, ranks,
                  collation)),
        (QStringList { QStringLiteral("Banjo"), QStringLiteral("Cello") }));
}

TEST(CatalogOrdering, SearchPutsExactThenPrefixThenOtherMatchesAndSkipsHiddenAndRepeats)
{
    const QList<AppItem> apps { app(QStringLiteral("Notes Pro")), app(QStringLiteral("Keynotes")),
        app(QStringLiteral("notes")), app(QStringLiteral("Notes Pro")), app(QStringLiteral("Secret Notes")),
        app(QStringLiteral("Mail"), QStringLiteral("Notes")) };
    const Ranks ranks = Ranks::of(apps, collation);
    const QSet<QString> hidden { apps[4].id() };
    EXPECT_EQ(names(search(apps, hidden, QStringLiteral("NOTES"), ranks, collation)),
        (QStringList { QStringLiteral("notes"), QStringLiteral("Notes Pro"), QStringLiteral("Keynotes"),
            QStringLiteral("Mail") }));
    EXPECT_TRUE(search(apps, hidden, QString(), ranks, collation).isEmpty());
}
