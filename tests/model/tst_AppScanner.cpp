#include "BundleFixtures.h"
#include "HostileFiles.h"
#include "TestSupport.h"

#include "model/AppScanner.h"
#include "platform/core/Bundle.h"
#include "support/CatalogApps.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>

#include <ctime>

#include <map>

using namespace brimlark;
using test::names;
using namespace brimlark::test;

namespace {
InfoEntries withCategory(const QString &category)
{
    return { { QStringLiteral("CFBundleExecutable"), QStringLiteral("run") },
        { QStringLiteral("LSApplicationCategoryType"), category } };
}

struct Folders
{
    TemporaryRoots roots;
    QStringList folders = AppScanner::applicationFolders();
    QString system() const { return folders[0]; }
    QString core() const { return folders[1]; }
    QString user() const { return folders[2]; }
};

} // namespace

TEST(AppScanner, FoldersComeFromTheRoots)
{
    Folders f;
    EXPECT_EQ(f.folders,
        (QStringList { f.roots.root() + QStringLiteral("/Applications"),
            f.roots.root() + QStringLiteral("/System/Applications"),
            f.roots.home() + QStringLiteral("/Applications") }));
}

TEST(AppScanner, CategoryIsTheCapitalisedLastPiece)
{
    struct Case
    {
        std::optional<QString> value;
        QString category;
    };
    const std::vector<Case> cases = {
        { QStringLiteral("public.app-category.games"), QStringLiteral("Games") },
        { QStringLiteral("public.app-category.developer-tools"), QStringLiteral("Developer-Tools") },
        { QStringLiteral("public.app-category.SOCIAL-networking"), QStringLiteral("Social-Networking") },
        { QStringLiteral("GAMES"), QStringLiteral("Games") },
        { QStringLiteral("x.2d games"), QStringLiteral("2d Games") },
        { QStringLiteral("x.élan vital"), QStringLiteral("Élan Vital") },
        // An empty or blank last piece is no category at all.
        { QStringLiteral(""), QStringLiteral("Other") },
        { QStringLiteral("public.app-category."), QStringLiteral("Other") },
        { QStringLiteral("public.app-category. "), QStringLiteral("Other") },
        { std::nullopt, QStringLiteral("Other") },
    };
    for (const Case &c : cases) {
        EXPECT_EQ(AppScanner::categoryFor(c.value), c.category)
            << c.value.value_or(QStringLiteral("<none>")).toStdString();
    }
}

TEST(AppScanner, FindsTopLevelLowerCaseBundlesOnly)
{
    Folders f;
    makeBundle(f.system(), QStringLiteral("Good.app"),
        withCategory(QStringLiteral("public.app-category.games")), false);
    makeBundle(f.system(), QStringLiteral("Shout.APP"), withCategory(QStringLiteral("x.games")), false);
    makeBundle(f.system(), QStringLiteral("Mixed.App"), withCategory(QStringLiteral("x.games")), false);
    makeBundle(f.system(), QStringLiteral(".Hidden.app"), withCategory(QStringLiteral("x.games")), false);
    makeBundle(f.system() + QStringLiteral("/Utilities"), QStringLiteral("Nested.app"),
        withCategory(QStringLiteral("x.games")), false);
    makeBundle(f.system(), QStringLiteral("Good.app.bak"), withCategory(QStringLiteral("x.games")), false);
    TemporaryRoots::writeFile(f.system() + QStringLiteral("/File.app"), "not a folder");
    QFile::link(f.system() + QStringLiteral("/File.app"), f.system() + QStringLiteral("/LinkToFile.app"));
    QFile::link(f.system() + QStringLiteral("/Gone"), f.system() + QStringLiteral("/Dangling.app"));
    const auto apps = AppScanner::scan(f.folders);
    ASSERT_EQ(names(apps), QStringList { QStringLiteral("Good") });
    EXPECT_EQ(apps[0].category(), QStringLiteral("Games"));
}

// The hostile lists each once ended the program at every start while it was
// installed: a stack overflow in the parser's free, an assertion on a NUL in
// a string, and gigabytes of copied references.
TEST(AppScanner, ReadsCategoriesFromXmlAndBinaryListsAndHostileListsGiveOther)
{
    Folders f;
    makeBundle(f.system(), QStringLiteral("Xml.app"),
        withCategory(QStringLiteral("public.app-category.music")), false);
    makeBundle(f.system(), QStringLiteral("Bin.app"),
        withCategory(QStringLiteral("public.app-category.finance")), true);
    makeBundle(f.system(), QStringLiteral("Yml.app"),
        withCategory(QStringLiteral("public.app-category.music")), false);
    makeBundle(f.system(), QStringLiteral("NoKey.app"),
        { { QStringLiteral("CFBundleExecutable"), QStringLiteral("x") } }, true);
    makeBundle(f.system(), QStringLiteral("NotText.app"),
        { { QStringLiteral("LSApplicationCategoryType"), 7 } }, true);
    makeBundle(f.system(), QStringLiteral("NoList.app"), QByteArray());
    makeBundle(f.system(), QStringLiteral("Broken.app"), QByteArray("bplist00 broken"));
    makeBundle(f.system(), QStringLiteral("Quoted.app"), quoteHiddenNestingXml(200000));
    makeBundle(f.system(), QStringLiteral("Shared.app"), sharedReferenceBinary(24));
    makeBundle(f.system(), QStringLiteral("NulTag.app"), nulTagNestingXml(200000));
    makeBundle(f.system(), QStringLiteral("NulXml.app"), nulStringInfoList(false));
    makeBundle(f.system(), QStringLiteral("NulUtf16.app"), nulStringInfoList(true));
    makeBundle(f.system(), QStringLiteral("Leaves.app"), sharedLeavesBinary(60000, 64 * 1024));
    std::map<QString, QString> categories;
    for (const AppItem &app : AppScanner::scan(f.folders)) {
        categories[app.name()] = app.category();
    }
    // One copy of a category's name serves all its applications.
    EXPECT_TRUE(categories[QStringLiteral("Xml")].isSharedWith(categories[QStringLiteral("Yml")]));
    std::map<QString, QString> expected = { { QStringLiteral("Xml"), QStringLiteral("Music") },
        { QStringLiteral("Yml"), QStringLiteral("Music") },
        { QStringLiteral("Bin"), QStringLiteral("Finance") } };
    for (const char *other : { "NoKey", "NotText", "NoList", "Broken", "Quoted", "Shared", "NulTag", "NulXml",
             "NulUtf16", "Leaves" }) {
        expected[QString::fromLatin1(other)] = QStringLiteral("Other");
    }
    EXPECT_EQ(categories, expected);
}

TEST(AppScanner, SameNameInTwoFoldersGivesTwoItemsInFolderOrder)
{
    Folders f;
    const QString inUser
        = makeBundle(f.user(), QStringLiteral("Twin.app"), withCategory(QStringLiteral("x.b")), true);
    const QString inSystem
        = makeBundle(f.system(), QStringLiteral("Twin.app"), withCategory(QStringLiteral("x.a")), false);
    makeBundle(f.core(), QStringLiteral("twin.app"), withCategory(QStringLiteral("x.c")), false);
    const auto apps = AppScanner::scan(f.folders);
    ASSERT_EQ(apps.size(), 3);
    // Names equal without regard to case keep folder order.
    EXPECT_EQ(apps[0].id(), inSystem);
    EXPECT_EQ(apps[1].name(), QStringLiteral("twin"));
    EXPECT_EQ(apps[2].id(), inUser);
    EXPECT_NE(apps[0], apps[2]);
}

// The scan's one look at each bundle gives what the date reader and a later
// look at the bundle's icon files would.
TEST(AppScanner, TheScanGivesEachBundlesDatesAndIconStampAsTheirReadersWould)
{
    Folders f;
    makeBundle(f.user(), QStringLiteral("Twin.app"), withCategory(QStringLiteral("x.b")), true);
    makeBundle(f.system(), QStringLiteral("Twin.app"), withCategory(QStringLiteral("x.a")), false);
    makeBundle(f.core(), QStringLiteral("Bare.app"), QByteArray());
    const QString elsewhere = makeBundle(f.roots.root(), QStringLiteral("Linked.app"),
        { { QStringLiteral("CFBundleIconFile"), QStringLiteral("icon") } }, false);
    TemporaryRoots::writeFile(elsewhere + QStringLiteral("/Contents/Resources/icon.png"), "png");
    ASSERT_TRUE(QFile::link(elsewhere, f.system() + QStringLiteral("/Linked.app")));
    makeBundle(f.system() + QStringLiteral("/Utilities"), QStringLiteral("Deep.app"),
        withCategory(QStringLiteral("x.a")), false);
    // Modified a day before they were made, so the two dates differ.
    for (const QString &folder : { f.user(), f.system(), f.core() }) {
        for (const QString &name : QDir(folder).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
            const struct timespec times[2] = { { 0, UTIME_OMIT }, { std::time(nullptr) - 86400, 0 } };
            ASSERT_EQ(
                ::utimensat(AT_FDCWD, QFile::encodeName(folder + u'/' + name).constData(), times, 0), 0);
        }
    }
    NewlyAddedTracker::ScanDates dates;
    const auto apps = AppScanner::scan(f.folders, &dates);
    ASSERT_EQ(apps.size(), 4);
    EXPECT_EQ(dates.size(), apps.size());
    for (const AppItem &app : apps) {
        ASSERT_TRUE(dates.contains(app.id())) << app.id().toStdString();
        const auto read = NewlyAddedTracker::systemFileDates(app.id());
        ASSERT_TRUE(read && dates[app.id()]) << app.id().toStdString();
        EXPECT_EQ(dates[app.id()]->creation, read->creation) << app.id().toStdString();
        EXPECT_EQ(dates[app.id()]->modification, read->modification) << app.id().toStdString();
        EXPECT_EQ(app.iconStamp(), Bundle::iconStampOf(app.id())) << app.id().toStdString();
    }
}

TEST(AppScanner, SortsByLocalisedCaseInsensitiveName)
{
    Folders f;
    for (const char *name : { "zebra", "Äpfel", "apple", "Banana", "Öl", "Zeta", "éclair", "Ecru" }) {
        makeBundle(f.system(), QString::fromUtf8(name) + QStringLiteral(".app"),
            withCategory(QStringLiteral("x.y")), false);
    }
    const auto apps = AppScanner::scan(f.folders);
    const QStringList expected = { QStringLiteral("Äpfel"), QStringLiteral("apple"), QStringLiteral("Banana"),
        QStringLiteral("éclair"), QStringLiteral("Ecru"), QStringLiteral("Öl"), QStringLiteral("zebra"),
        QStringLiteral("Zeta") };
    EXPECT_EQ(names(apps), expected);
}

TEST(AppScanner, UrlTextIsTheSameOnEveryScan)
{
    Folders f;
    const QString path = makeBundle(
        f.system(), QStringLiteral("Café 100% #1.app"), withCategory(QStringLiteral("x.y")), false);
    const auto first = AppScanner::scan(f.folders);
    const auto second = AppScanner::scan(f.folders);
    ASSERT_EQ(first.size(), 1);
    ASSERT_EQ(second.size(), 1);
    EXPECT_EQ(first[0].urlText(), second[0].urlText());
    EXPECT_EQ(first[0].id(), path);
    EXPECT_EQ(first[0].name(), QStringLiteral("Café 100% #1"));
    EXPECT_TRUE(first[0].urlText().startsWith(QStringLiteral("file://")));
    EXPECT_TRUE(first[0].urlText().endsWith(QStringLiteral(".app/")));
    EXPECT_EQ(QUrl(first[0].urlText()).toLocalFile(), path + u'/');
    // The URL is made again from its text, marks and all.
    EXPECT_EQ(first[0].url(), BundleUrl::directoryUrl(path));
}

TEST(AppScanner, MissingAndUnreadableFoldersAddNothing)
{
    Folders f;
    makeBundle(f.core(), QStringLiteral("Only.app"), withCategory(QStringLiteral("x.y")), false);
    QDir().mkpath(f.system());
    QFile::setPermissions(f.system(), QFileDevice::Permissions());
    const auto apps = AppScanner::scan(f.folders);
    QFile::setPermissions(
        f.system(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    EXPECT_EQ(names(apps), QStringList { QStringLiteral("Only") });
}

TEST(AppScanner, ScansTheSampleTree)
{
    TemporaryRoots roots;
    const QString script = sourceDir() + QStringLiteral("/samples/generate.py");
    ASSERT_TRUE(QFile::exists(script)) << script.toStdString();
    const QString python = QStandardPaths::findExecutable(QStringLiteral("python3"));
    ASSERT_FALSE(python.isEmpty());
    QProcess generator;
    generator.start(
        python, { script, roots.root(), QStringLiteral("--home"), roots.home(), QStringLiteral("--force") });
    ASSERT_TRUE(generator.waitForFinished(60000));
    ASSERT_EQ(generator.exitCode(), 0) << generator.readAllStandardError().toStdString();

    const auto apps = AppScanner::scan(AppScanner::applicationFolders());
    EXPECT_EQ(apps.size(), 40);
    std::map<QString, QStringList> byName;
    for (const AppItem &app : apps) {
        byName[app.name()] << app.category();
    }
    EXPECT_EQ(byName[QStringLiteral("Terminal Pal")].size(), 2);
    EXPECT_EQ(byName[QStringLiteral("Code Harbor")], QStringList { QStringLiteral("Developer-Tools") });
    EXPECT_EQ(byName[QStringLiteral("Brim Notes")], QStringList { QStringLiteral("Productivity") });
    EXPECT_EQ(byName[QStringLiteral("Plain Tool")], QStringList { QStringLiteral("Other") });
    EXPECT_EQ(byName[QStringLiteral("Odd Category")], QStringList { QStringLiteral("Other") });
    EXPECT_EQ(byName[QStringLiteral("Trailing Dot")], QStringList { QStringLiteral("Other") });
    EXPECT_EQ(byName[QStringLiteral("Bare Word")], QStringList { QStringLiteral("Games") });
    EXPECT_EQ(byName.count(QStringLiteral("Ångström Lab")), 1u);
    for (const char *decoy :
        { "Shouting", "Nested Tool", "Not A Folder", ".Hidden Helper", "Hidden Helper" }) {
        EXPECT_EQ(byName.count(QString::fromLatin1(decoy)), 0u) << decoy;
    }
}
