#include "grid/AppTileModel.h"
#include "platform/core/BundleUrl.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>

#include <gtest/gtest.h>

#include <random>

using namespace brimlark;

namespace {

AppItem app(const QString &name, const QString &category = QStringLiteral("Utilities"))
{
    return AppItem(name,
        BundleUrl::directoryUrl(QStringLiteral("/Applications/") + name + QStringLiteral(".app")), category);
}

QList<AppItem> apps(const QString &letters)
{
    QList<AppItem> out;
    for (const QChar c : letters) {
        out << app(QString(c));
    }
    return out;
}

QString letters(const AppTileModel &model)
{
    QString out;
    for (int r = 0; r < model.rowCount(); ++r) {
        out += model.index(r).data(AppTileModel::NameRole).toString();
    }
    return out;
}

struct Signals
{
    explicit Signals(AppTileModel &model)
        : resets(&model, &AppTileModel::modelReset)
        , inserts(&model, &AppTileModel::rowsInserted)
        , removes(&model, &AppTileModel::rowsRemoved)
        , moves(&model, &AppTileModel::rowsMoved)
        , changes(&model, &AppTileModel::dataChanged)
    {
    }
    QSignalSpy resets, inserts, removes, moves, changes;
};

class AppTileModelTest : public ::testing::Test
{
protected:
    AppTileModelTest() { model.reset(apps(QStringLiteral("ABCDEFGH"))); }

    AppTileModel model;
    QAbstractItemModelTester tester { &model, QAbstractItemModelTester::FailureReportingMode::Fatal };
};

TEST_F(AppTileModelTest, ServesEveryRoleOfATile)
{
    const QModelIndex first = model.index(0);
    EXPECT_EQ(first.data(AppTileModel::NameRole).toString(), u"A");
    EXPECT_EQ(first.data(Qt::DisplayRole).toString(), u"A");
    EXPECT_EQ(first.data(AppTileModel::PathRole).toString(), u"/Applications/A.app");
    EXPECT_EQ(first.data(AppTileModel::UrlTextRole).toString(), u"file:///Applications/A.app/");
    EXPECT_EQ(first.data(AppTileModel::CategoryRole).toString(), u"Utilities");
    EXPECT_EQ(first.data(AppTileModel::AppRole).value<AppItem>(), app(QStringLiteral("A")));
    EXPECT_EQ(first.data(AppTileModel::IconSourceRole).toUrl().scheme(), u"image");
    EXPECT_FALSE(model.index(0).data(Qt::UserRole + 99).isValid());
    const auto names = model.roleNames();
    for (const char *role : { "app", "name", "path", "urlText", "url", "category", "iconSource" }) {
        EXPECT_TRUE(names.values().contains(QByteArray(role))) << role;
    }
    EXPECT_EQ(model.indexOfPath(QStringLiteral("/Applications/C.app")), 2);
    EXPECT_EQ(model.indexOfPath(QStringLiteral("/nowhere")), -1);
    EXPECT_TRUE(model.appAt(8).id().isEmpty());
    EXPECT_EQ(model.appAt(7).name(), u"H");
}

TEST_F(AppTileModelTest, ANarrowingSearchOnlyRemovesRows)
{
    Signals s(model);
    model.setApps(apps(QStringLiteral("BCF")));
    EXPECT_EQ(letters(model), u"BCF");
    EXPECT_EQ(s.resets.count(), 0);
    EXPECT_EQ(s.inserts.count(), 0);
    EXPECT_EQ(s.moves.count(), 0);
    EXPECT_EQ(s.removes.count(), 3); // A, DE, GH
}

TEST_F(AppTileModelTest, AWideningSearchOnlyInsertsRows)
{
    model.setApps(apps(QStringLiteral("CF")));
    Signals s(model);
    model.setApps(apps(QStringLiteral("ABCDEFGH")));
    EXPECT_EQ(letters(model), u"ABCDEFGH");
    EXPECT_EQ(s.resets.count(), 0);
    EXPECT_EQ(s.removes.count(), 0);
    EXPECT_EQ(s.inserts.count(), 3); // AB, DE, GH
}

TEST_F(AppTileModelTest, OneApplicationMovedInAFolderIsOneMoveEitherWay)
{
    {
        Signals s(model);
        model.setApps(apps(QStringLiteral("BCDEFAGH"))); // A dragged later
        EXPECT_EQ(letters(model), u"BCDEFAGH");
        EXPECT_EQ(s.moves.count(), 1);
        EXPECT_EQ(s.resets.count() + s.inserts.count() + s.removes.count(), 0);
    }
    {
        Signals s(model);
        model.setApps(apps(QStringLiteral("HBCDEFAG"))); // H dragged to the front
        EXPECT_EQ(letters(model), u"HBCDEFAG");
        EXPECT_EQ(s.moves.count(), 1);
        EXPECT_EQ(s.resets.count(), 0);
    }
}

TEST_F(AppTileModelTest, ChangedDetailsOfTheSameApplicationAreDataChanges)
{
    QList<AppItem> next = apps(QStringLiteral("ABCDEFGH"));
    next[3] = app(QStringLiteral("D"), QStringLiteral("Games"));
    Signals s(model);
    model.setApps(next);
    EXPECT_EQ(s.changes.count(), 1);
    EXPECT_EQ(s.changes.at(0).at(0).toModelIndex().row(), 3);
    EXPECT_EQ(model.index(3).data(AppTileModel::CategoryRole).toString(), u"Games");
    // The same list again says nothing.
    Signals none(model);
    model.setApps(next);
    EXPECT_EQ(none.changes.count() + none.moves.count() + none.inserts.count() + none.removes.count()
            + none.resets.count(),
        0);
}

TEST_F(AppTileModelTest, AReorderOfEverythingRebuildsTheList)
{
    QList<AppItem> many;
    for (int i = 0; i < 200; ++i) {
        many << app(QStringLiteral("App %1").arg(i, 3, 10, QChar(u'0')));
    }
    model.reset(many);
    QList<AppItem> reversed(many.rbegin(), many.rend());
    Signals s(model);
    model.setApps(reversed);
    EXPECT_EQ(s.resets.count(), 1);
    EXPECT_EQ(s.moves.count(), 0);
    EXPECT_EQ(model.index(0).data(AppTileModel::NameRole).toString(), u"App 199");
}

TEST_F(AppTileModelTest, AListHoldingAnApplicationTwiceIsShownAsItIs)
{
    QList<AppItem> twice = apps(QStringLiteral("ABA"));
    Signals s(model);
    model.setApps(twice);
    EXPECT_EQ(letters(model), u"ABA");
    EXPECT_EQ(s.resets.count(), 1);
    model.setApps(apps(QStringLiteral("AB")));
    EXPECT_EQ(letters(model), u"AB");
}

TEST_F(AppTileModelTest, TheCountFollowsTheRows)
{
    QSignalSpy count(&model, &AppTileModel::countChanged);
    model.setApps(apps(QStringLiteral("AB")));
    EXPECT_EQ(model.count(), 2);
    model.setApps(apps(QStringLiteral("BA")));
    model.reset({});
    EXPECT_EQ(model.count(), 0);
    EXPECT_EQ(count.count(), 2);
    // An empty grid's first fill is one insertion of every row, as given.
    Signals s(model);
    model.setApps(apps(QStringLiteral("ABA")));
    EXPECT_EQ(letters(model), u"ABA");
    EXPECT_EQ(s.inserts.count(), 1);
    EXPECT_EQ(s.resets.count(), 0);
    EXPECT_EQ(count.count(), 3);
}

TEST_F(AppTileModelTest, ARewriteChangesRowsInPlaceAndOnlyTheTailComesOrGoes)
{
    Signals narrow(model);
    model.rewrite(apps(QStringLiteral("ABXDE")));
    EXPECT_EQ(letters(model), u"ABXDE");
    ASSERT_EQ(narrow.changes.count(), 1);
    EXPECT_EQ(narrow.changes[0].value(0).toModelIndex().row(), 2);
    EXPECT_EQ(narrow.changes[0].value(1).toModelIndex().row(), 2);
    ASSERT_EQ(narrow.removes.count(), 1);
    EXPECT_EQ(narrow.removes[0].value(1).toInt(), 5);
    EXPECT_EQ(narrow.inserts.count() + narrow.moves.count() + narrow.resets.count(), 0);

    Signals widen(model);
    model.rewrite(apps(QStringLiteral("ABXDEFG")));
    EXPECT_EQ(letters(model), u"ABXDEFG");
    EXPECT_EQ(widen.inserts.count(), 1);
    EXPECT_EQ(widen.changes.count() + widen.removes.count() + widen.moves.count() + widen.resets.count(), 0);
}

// Random edits end in the new list, under the model tester's checks.
TEST_F(AppTileModelTest, AnyChangeEndsInTheNewList)
{
    std::mt19937 rng(7);
    const QString alphabet = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZ");
    for (int round = 0; round < 400; ++round) {
        QString next;
        for (const QChar c : alphabet) {
            if (rng() % 3) {
                next += c;
            }
        }
        std::shuffle(next.begin(), next.end(), rng);
        // Mostly small reorders, now and then a shuffle.
        if (round % 5) {
            std::sort(next.begin(), next.end());
            if (next.size() > 2) {
                const int a = int(rng() % next.size());
                const int b = int(rng() % next.size());
                const QChar moved = next[a];
                next.remove(a, 1);
                next.insert(std::min(b, int(next.size())), moved);
            }
        }
        model.setApps(apps(next));
        ASSERT_EQ(letters(model), next) << round;
    }
}

TEST(AppTileModelPlan, StepsAreRemovalsThenInsertionsAndMovesInPlace)
{
    using Step = AppTileModel::Step;
    using Type = Step::Type;
    const auto plan = AppTileModel::plan(apps(QStringLiteral("ABCDE")), apps(QStringLiteral("XBDAE")));
    ASSERT_TRUE(plan);
    EXPECT_EQ(*plan,
        (QList<Step> { Step { Type::remove, 2, 2, 0 }, // C
            Step { Type::insert, 0, 0, 0 }, // X
            Step { Type::move, 1, 1, 3 } })); // A after B and D
    EXPECT_FALSE(AppTileModel::plan(apps(QStringLiteral("AA")), apps(QStringLiteral("A"))));
    EXPECT_FALSE(AppTileModel::plan(apps(QStringLiteral("A")), apps(QStringLiteral("AA"))));
    EXPECT_TRUE(AppTileModel::plan({}, {})->isEmpty());
}

} // namespace
