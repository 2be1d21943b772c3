#include "GridFixture.h"

#include "grid/AppPickerController.h"
#include "grid/HiddenSectionController.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>

#include <gtest/gtest.h>

using namespace brimlark;

namespace {

QStringList names(const QList<AppItem> &apps)
{
    QStringList out;
    for (const auto &a : apps) {
        out << a.name();
    }
    return out;
}

} // namespace

TEST(AppPickerController, FilterKeepsOrderAndMatchesAsTyped)
{
    test::GridFixture f;
    const QList<AppItem> apps { f.app(QStringLiteral("Alpha")), f.app(QStringLiteral("Big Sur")),
        f.app(QStringLiteral("calc")), f.app(QStringLiteral("Scalpel")) };
    const struct
    {
        QString query;
        QStringList expected;
    } rows[] = {
        { {}, { u"Alpha"_qs, u"Big Sur"_qs, u"calc"_qs, u"Scalpel"_qs } },
        { QStringLiteral("CAL"), { u"calc"_qs, u"Scalpel"_qs } },
        { QStringLiteral(" "), { u"Big Sur"_qs } },
        { QStringLiteral("al "), {} },
    };
    for (const auto &r : rows) {
        EXPECT_EQ(names(AppPickerController::filter(apps, r.query)), r.expected) << r.query.toStdString();
    }
}

TEST(AppPickerController, SheetFitsTheWindow)
{
    const struct
    {
        QSizeF window;
        QSizeF sheet;
    } rows[] = {
        { { 1440, 900 }, { 550, 650 } },
        { { 900, 600 }, { 550, 560 } },
        { { 500, 300 }, { 460, 260 } },
        { { 10, 10 }, { 0, 0 } },
    };
    for (const auto &r : rows) {
        EXPECT_EQ(AppPickerController::sheetSize(r.window), r.sheet);
    }
}

TEST(AppPickerController, DoneAddsInMarkingOrderAndMarksSurviveTheSearch)
{
    test::GridFixture f;
    f.publish(QStringList { u"Alpha"_qs, u"Bravo"_qs, u"Charlie"_qs, u"Delta"_qs, u"Echo"_qs });
    f.finder.hideApp(f.app(QStringLiteral("Echo")));
    const QVariant folder = f.makeFolder(QStringLiteral("Work"), { QStringLiteral("Bravo") });
    AppPickerController picker;
    QAbstractItemModelTester tester(picker.apps());
    picker.setViewModel(&f.vm());
    picker.setCatalog(&f.finder);
    picker.setFolderValue(folder.value<AppFolder>());
    EXPECT_EQ(
        names(picker.apps()->apps()), (QStringList { u"Alpha"_qs, u"Charlie"_qs, u"Delta"_qs, u"Echo"_qs }));

    const auto path = [&](const char *name) { return f.app(QString::fromLatin1(name)).id(); };
    picker.toggle(path("Echo"));
    picker.toggle(path("Alpha"));
    picker.toggle(path("Delta"));
    picker.toggle(path("Charlie"));
    picker.toggle(path("Charlie")); // unmarked again
    picker.setSearchQuery(QStringLiteral("zzz")); // hides every marked one
    EXPECT_EQ(picker.apps()->count(), 0);
    QSignalSpy finished(&picker, &AppPickerController::finished);
    picker.done();
    EXPECT_EQ(finished.count(), 1);
    EXPECT_EQ(f.folderMembers(QStringLiteral("Work")),
        (QStringList { u"Bravo"_qs, u"Echo"_qs, u"Alpha"_qs, u"Delta"_qs }));
}

TEST(HiddenSectionController, ListsHiddenFoldersInOrderWhateverTheSearch)
{
    test::GridFixture f;
    f.publish(QStringList { u"Alpha"_qs, u"Bravo"_qs });
    f.makeFolder(QStringLiteral("One"), { QStringLiteral("Alpha") });
    f.makeFolder(QStringLiteral("Two"));
    f.makeFolder(QStringLiteral("Three"));
    HiddenSectionController section;
    section.setViewModel(&f.vm());
    f.selectSection(QStringLiteral("hidden"));
    EXPECT_TRUE(section.showsEmptyState());

    f.finder.hideFolder(f.folder(QStringLiteral("Three")));
    f.finder.hideFolder(f.folder(QStringLiteral("One")));
    f.vm().setSearchQuery(QStringLiteral("nothing matches"));
    QStringList shown;
    for (const auto &folder : section.hiddenFolders()) {
        shown << folder.name;
    }
    EXPECT_EQ(shown, (QStringList { u"One"_qs, u"Three"_qs }));
    EXPECT_FALSE(section.showsHiddenApps());
    EXPECT_FALSE(section.showsEmptyState());
    // The cards: one row per hidden folder, with the folder's applications.
    ASSERT_EQ(section.folderCards()->rowCount(), 2);
    EXPECT_EQ(section.folderCards()->cards()[0].title, u"One"_qs);
    EXPECT_EQ(section.folderCards()->cards()[0].apps.size(), 1);

    f.vm().setSearchQuery(QString());
    f.finder.hideApp(f.app(QStringLiteral("Bravo")));
    EXPECT_TRUE(section.showsHiddenApps());
}
