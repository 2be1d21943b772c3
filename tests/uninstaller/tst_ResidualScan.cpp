#include "support/UninstallerFixture.h"

#include "TestSupport.h"
#include "platform/base/Trash.h"
#include "platform/core/Bundle.h"
#include "uninstaller/ResidualScan.h"
#include "uninstaller/helper/SafeRemoval.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QSignalSpy>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace brimlark;

namespace {

struct Row
{
    ResidualCategory category;
    QString name;
    qint64 size;
    bool operator==(const Row &) const = default;
};

std::vector<Row> rows(const AppUninstallerScanner &scanner)
{
    std::vector<Row> out;
    for (const AppResidualFile &f : scanner.residualFiles()) {
        out.push_back({ f.category, f.displayName, f.sizeBytes });
    }
    return out;
}

AppUninstallerScanner::Services services(const test::ResidualTree &tree, std::optional<QString> id)
{
    return { tree.home(), tree.root(), [id](const QString &) { return id; },
        [](const QByteArray &) { return true; } };
}

} // namespace

TEST(ResidualScan, FindsEachStepsEntriesInOrderWithStagesAndSizes)
{
    test::ResidualTree tree;
    tree.makeFooLeftovers();
    AppUninstallerScanner scanner(services(tree, QStringLiteral("com.acme.foo")));
    std::vector<std::pair<QString, double>> seen;
    QObject::connect(&scanner, &AppUninstallerScanner::scanProgressChanged,
        [&] { seen.emplace_back(scanner.scanStageText(), scanner.scanProgress()); });
    ASSERT_TRUE(test::scanAndWait(
        scanner, QStringLiteral("Foo"), tree.root() + QStringLiteral("/Applications/Foo.app")));

    using C = ResidualCategory;
    const std::vector<Row> expected = {
        { C::appBundle, QStringLiteral("Foo.app"), 30 },
        { C::preferences, QStringLiteral("FooHelper.plist"), 5 },
        { C::preferences, QStringLiteral("com.acme.foo.plist"), 10 },
        { C::preferences, QStringLiteral("com.acme.foo.plist"), 7 },
        { C::appSupport, QStringLiteral("Foobar Data"), 100 },
        { C::caches, QStringLiteral("com.acme.foo"), 4096 },
        { C::logs, QStringLiteral("myfoo.log"), 3 },
        { C::containers, QStringLiteral("com.acme.foo"), 50 },
        { C::groupContainers, QStringLiteral("ABCD.acme.shared"), 20 },
        { C::launchAgents, QStringLiteral("com.acme.foo.agent.plist"), 4 },
        { C::launchAgents, QStringLiteral("com.acme.foo.helper.plist"), 6 },
        { C::crashReports, QStringLiteral("Foo_2024.crash"), 8 },
        { C::savedState, QStringLiteral("com.acme.foo.savedState"), 9 },
        { C::extensions, QStringLiteral("com.acme.foo.kext"), 11 },
        { C::receipts, QStringLiteral("com.acme.foo.bom"), 2 },
    };
    EXPECT_EQ(rows(scanner), expected);

    const double progress[]
        = { 0, 0.05, 0.15, 0.28, 0.40, 0.50, 0.62, 0.70, 0.78, 0.85, 0.90, 0.94, 0.97, 1 };
    ASSERT_EQ(seen.size(), std::size(progress));
    for (size_t i = 0; i < seen.size(); ++i) {
        const ScanStage stage
            = i == 0 ? ScanStage::idle : ScanStage(std::min<size_t>(i, size_t(ScanStage::done)));
        EXPECT_EQ(seen[i].first, ScanStages::statusLine(stage)) << i;
        EXPECT_DOUBLE_EQ(seen[i].second, progress[i]) << i;
    }
    EXPECT_FALSE(scanner.isSystemApp());
}

TEST(ResidualScan, UnusableIdentifiersAndEmptyNamesMatchNothing)
{
    test::ResidualTree tree;
    tree.makeFooLeftovers();
    const QString bundle = tree.root() + QStringLiteral("/Applications/Foo.app");
    const std::optional<QString> ids[] = { std::nullopt, QString(), QStringLiteral("."), QStringLiteral(".."),
        QStringLiteral("a/b"), QStringLiteral("../Caches"), QStringLiteral("com acme"),
        QStringLiteral("com.acme.foo\n"), QStringLiteral("\ncom.acme.foo") };
    const QStringList folders = [&] {
        QStringList list;
        for (const std::string &f :
            SafeRemoval::residualFolders(tree.home().toStdString(), tree.root().toStdString())) {
            list.append(QString::fromStdString(f));
        }
        return list;
    }();
    for (const auto &id : ids) {
        AppUninstallerScanner scanner(services(tree, id));
        ASSERT_TRUE(test::scanAndWait(scanner, QStringLiteral("Foo"), bundle));
        // Every finding but the bundle is a direct, named child of a scanned folder.
        for (const AppResidualFile &f : scanner.residualFiles().mid(1)) {
            const QFileInfo info(f.path);
            EXPECT_TRUE(folders.contains(info.path())) << f.path.toStdString();
            EXPECT_NE(f.displayName, QStringLiteral(".."));
            EXPECT_NE(f.displayName, QStringLiteral("."));
        }
        const auto groups = scanner.filesByCategory();
        for (ResidualCategory c : { ResidualCategory::containers, ResidualCategory::groupContainers,
                 ResidualCategory::savedState, ResidualCategory::extensions }) {
            EXPECT_FALSE(groups.contains(c)) << (id ? id->toStdString() : "none");
        }
    }

    // No name and no identifier: only the bundle.
    AppUninstallerScanner nameless(services(tree, std::nullopt));
    ASSERT_TRUE(test::scanAndWait(nameless, QString(), bundle));
    EXPECT_EQ(nameless.totalCount(), 1);
    EXPECT_EQ(nameless.residualFiles().front().category, ResidualCategory::appBundle);
}

TEST(ResidualScan, NameAndGroupRules)
{
    EXPECT_TRUE(ResidualScan::nameMatches(QStringLiteral("myfoo.log"), QStringLiteral("Foo"), std::nullopt));
    EXPECT_TRUE(ResidualScan::nameMatches(
        QStringLiteral("X.COM.ACME.FOO"), QString(), QStringLiteral("com.acme.foo")));
    EXPECT_FALSE(ResidualScan::nameMatches(QStringLiteral("anything"), QString(), QString()));
    EXPECT_TRUE(
        ResidualScan::groupMatches(QStringLiteral("ABCD.acme.shared"), QStringLiteral("com.acme.foo")));
    EXPECT_FALSE(ResidualScan::groupMatches(QStringLiteral("anything"), QStringLiteral("com..")));
    EXPECT_FALSE(ResidualScan::groupMatches(QStringLiteral("acme"), QStringLiteral("acme")));
    EXPECT_FALSE(ResidualScan::groupMatches(QStringLiteral("team.acme"), QStringLiteral("com.Acme")));
}

TEST(ResidualScan, SampleTreeSystemApplicationIsScannedInFullAndFlagged)
{
    test::ResidualTree tree;
    const QString script
        = qEnvironmentVariable("BRIMLARK_SOURCE_DIR") + QStringLiteral("/samples/generate.py");
    ASSERT_EQ(QProcess::execute(QStringLiteral("python3"),
                  { script, tree.root(), QStringLiteral("--home"), tree.home(), QStringLiteral("--force") }),
        0);
    AppUninstallerScanner::Services s = services(tree, std::nullopt);
    s.bundleIdentifier = [](const QString &path) -> std::optional<QString> {
        const auto bundle = Bundle::open(path);
        return bundle ? bundle->stringForInfoKey(QStringLiteral("CFBundleIdentifier")) : std::nullopt;
    };
    AppUninstallerScanner scanner(s);
    QSignalSpy system(&scanner, &AppUninstallerScanner::isSystemAppChanged);
    const QString bundle = tree.root() + QStringLiteral("/System/Applications/Disk Doctor.app");
    ASSERT_TRUE(test::scanAndWait(scanner, QStringLiteral("Disk Doctor"), bundle));
    EXPECT_TRUE(scanner.isSystemApp());

    QStringList paths;
    for (const AppResidualFile &f : scanner.residualFiles()) {
        paths.append(f.path.mid(tree.base().size()));
    }
    const QStringList expected = {
        QStringLiteral("/root/System/Applications/Disk Doctor.app"),
        QStringLiteral("/home/Library/Preferences/org.brimlark.sample.disk-doctor.plist"),
        QStringLiteral("/root/Library/Preferences/org.brimlark.sample.disk-doctor.plist"),
        QStringLiteral("/home/Library/Application Support/Disk Doctor"),
        QStringLiteral("/home/Library/Caches/org.brimlark.sample.disk-doctor"),
        QStringLiteral("/home/Library/Logs/Disk Doctor"),
        QStringLiteral("/home/Library/Saved Application State/org.brimlark.sample.disk-doctor.savedState"),
    };
    EXPECT_EQ(paths, expected);
    EXPECT_GT(scanner.residualFiles().front().sizeBytes, 0);
}

TEST(ResidualScan, OnlyWhatIsClearlyTheApplicationsStartsSelected)
{
    using App = ResidualScan::InstalledApp;
    const QList<App> none;
    const QList<App> others { { QStringLiteral("Foo Pro"), QStringLiteral("com.acme.foopro") },
        { QStringLiteral("Sky"), std::nullopt }, { QStringLiteral("Tool"), QStringLiteral("org.other.tool") },
        { QStringLiteral("Twin"), QStringLiteral("com.acme.foo") } };
    const struct
    {
        const char *name;
        const char *app;
        std::optional<QString> id;
        QList<App> others;
        bool selected;
        bool group = false; // a group container: the identifier decides
    } rows[] = {
        { "com.acme.foo.plist", "Foo", QStringLiteral("com.acme.foo"), none, true },
        { "COM.ACME.FOO.plist", "Foo", QStringLiteral("com.acme.foo"), none, true },
        { "Foo Data", "Foo", std::nullopt, none, true },
        { "Foo_2024.crash", "Foo", std::nullopt, none, true },
        { "FooHelper.plist", "Foo", std::nullopt, none, false },
        { "myfoo.log", "Foo", std::nullopt, none, false },
        { "Device Support", "Ice", std::nullopt, none, false },
        { "Microsoft Office", "Ice", std::nullopt, none, false },
        { "Services", "Ice", std::nullopt, none, false },
        { "ice.cache", "Ice", std::nullopt, none, true },
        // Another application's name or identifier in it.
        { "Foo Pro Data", "Foo", std::nullopt, others, false },
        { "Foo org.other.tool", "Foo", std::nullopt, others, false },
        { "com.acme.foo.plist", "Foo", QStringLiteral("com.acme.foo"), others, false },
        // A name inside this application's own tells nothing.
        { "Night Sky Data", "Night Sky", std::nullopt, others, true },
        // Short names choose nothing, not even by identifier.
        { "E Data", "E", std::nullopt, none, false },
        { "com.e.app.plist", "E", QStringLiteral("com.e.app"), none, false },
        { "Go.plist", "Go", std::nullopt, none, false },
        // A group container holds the whole identifier, or is another application's.
        { "group.org.golang.go", "Go", QStringLiteral("org.golang.go"), none, true, true },
        { "ABCDE12345.org.golang.go", "Go", QStringLiteral("org.golang.go"), none, true, true },
        { "group.com.google.drive", "Go", QStringLiteral("org.golang.go"), none, false, true },
        { "UBF8T346G9.com.microsoft.go", "Go", QStringLiteral("org.golang.go"), none, false, true },
        { "group.org.golang.gopher", "Go", QStringLiteral("org.golang.go"), none, false, true },
        { "group.com.example.shared", "X", QStringLiteral("com.x.app"), none, false, true },
        { "group.com.acme.foo", "Foo", QStringLiteral("com.acme.foo"), others, false, true },
    };
    for (const auto &row : rows) {
        const QString name = QString::fromUtf8(row.name);
        EXPECT_EQ(row.group
                ? ResidualScan::groupStartsSelected(name, *row.id, row.others)
                : ResidualScan::startsSelected(name, QString::fromUtf8(row.app), row.id, row.others),
            row.selected)
            << row.name << " / " << row.app << " / " << row.others.size();
    }
}

TEST(ResidualScan, OtherApplicationsLeftoversAreListedButNotSelected)
{
    test::ResidualTree tree;
    for (const char *f : { "root/Applications/Ice.app/Contents/x", "root/Applications/Editor.app/Contents/x",
             "home/Applications/E.app/Contents/x", "home/Library/Application Support/Device Support/x",
             "home/Library/Application Support/Ice/x", "home/Library/Preferences/com.x.editor.plist",
             "home/Library/Preferences/E.plist", "home/Library/Logs/DiagnosticReports/Editor_1.crash",
             "home/Library/Logs/DiagnosticReports/com.x.frozen.crash" }) {
        tree.file(QString::fromUtf8(f), 1);
    }
    AppUninstallerScanner::Services s = services(tree, std::nullopt);
    s.bundleIdentifier = [](const QString &path) -> std::optional<QString> {
        if (path.endsWith(QStringLiteral("Editor.app"))) {
            return QStringLiteral("com.x.editor");
        }
        return path.endsWith(QStringLiteral("Ice.app")) ? std::optional(QStringLiteral("com.x.frozen"))
                                                        : std::nullopt;
    };
    const auto selection = [&](const QString &app, const QString &bundle) {
        AppUninstallerScanner scanner(s);
        EXPECT_TRUE(test::scanAndWait(scanner, app, bundle));
        QStringList out;
        for (const AppResidualFile &f : scanner.residualFiles()) {
            out.append(f.displayName + (f.isSelected ? QStringLiteral(" +") : QStringLiteral(" -")));
        }
        return out;
    };
    // Crash reports go by the name alone: com.x.frozen.crash is not Ice's.
    EXPECT_EQ(selection(QStringLiteral("Ice"), tree.root() + QStringLiteral("/Applications/Ice.app")),
        (QStringList {
            QStringLiteral("Ice.app +"), QStringLiteral("Device Support -"), QStringLiteral("Ice +") }));
    EXPECT_EQ(selection(QStringLiteral("E"), tree.home() + QStringLiteral("/Applications/E.app")),
        (QStringList { QStringLiteral("E.app +"), QStringLiteral("E.plist -"),
            QStringLiteral("com.x.editor.plist -"), QStringLiteral("Device Support -"),
            QStringLiteral("Ice -"), QStringLiteral("DiagnosticReports -"),
            QStringLiteral("Editor_1.crash -"), QStringLiteral("com.x.frozen.crash -") }));
}

TEST(ResidualScan, ALinkedBundleIsScannedByItsOwnNameAndRemovedAsALink)
{
    test::ResidualTree tree;
    const QString target = tree.root() + QStringLiteral("/Applications/Night Sky.app");
    tree.file(QStringLiteral("root/Applications/Night Sky.app/Contents/x"), 10);
    for (const char *f :
        { "home/Library/Preferences/com.sky.night.plist", "home/Library/Caches/com.sky.night/x",
            "home/Library/Saved Application State/com.sky.night.savedState/x",
            "home/Library/Containers/com.sky.night/x" }) {
        tree.file(QString::fromUtf8(f), 1);
    }
    const QString link = tree.root() + QStringLiteral("/Applications/Linked.app");
    ASSERT_TRUE(QFile::link(target, link));
    // Reading the link's Info.plist gives the target's identifier.
    AppUninstallerScanner scanner(services(tree, QStringLiteral("com.sky.night")));
    ASSERT_TRUE(test::scanAndWait(scanner, QStringLiteral("Linked"), link));
    ASSERT_EQ(scanner.totalCount(), 1);
    EXPECT_EQ(scanner.residualFiles().front().displayName, QStringLiteral("Linked.app"));

    const RemovalResult removed
        = test::waitForRemoval(scanner.removeSelectedFiles(DeletionMethod::permanent));
    EXPECT_EQ(removed.removedCount, 1) << removed.errors.join(QLatin1Char('\n')).toStdString();
    EXPECT_FALSE(QFileInfo(link).isSymLink());
    EXPECT_TRUE(QFileInfo::exists(target + QStringLiteral("/Contents/x")));
    EXPECT_TRUE(QFileInfo::exists(tree.home() + QStringLiteral("/Library/Preferences/com.sky.night.plist")));

    // Removing the target: the link to it is no other copy of it.
    AppUninstallerScanner own(services(tree, QStringLiteral("com.sky.night")));
    ASSERT_TRUE(QFile::link(target, link));
    ASSERT_TRUE(test::scanAndWait(own, QStringLiteral("Night Sky"), target));
    EXPECT_EQ(own.selectedCount(), own.totalCount());
}

TEST(ResidualScan, NamesThatAreNotUtf8AreFoundMeasuredAndRemoved)
{
    test::ResidualTree tree;
    tree.makeFooLeftovers();
    const QByteArray raw = QFile::encodeName(tree.home()) + "/Library/Preferences/Foo\xff.plist";
    const int fd = ::open(raw.constData(), O_WRONLY | O_CREAT, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::write(fd, "12345", 5), 5);
    ::close(fd);
    AppUninstallerScanner::Services s = services(tree, QStringLiteral("com.acme.foo"));
    s.isDeletable = {}; // the real probe
    test::FakeAdminRunner admin;
    Trash trash((tree.home() + QStringLiteral("/.local/share")).toStdString());
    s.adminRunner = &admin;
    s.trash = &trash;
    AppUninstallerScanner scanner(s);
    ASSERT_TRUE(test::scanAndWait(
        scanner, QStringLiteral("Foo"), tree.root() + QStringLiteral("/Applications/Foo.app")));
    const auto odd = std::find_if(scanner.residualFiles().cbegin(), scanner.residualFiles().cend(),
        [&](const AppResidualFile &f) { return f.fileSystemPath() == raw; });
    ASSERT_NE(odd, scanner.residualFiles().cend());
    EXPECT_EQ(odd->displayName, QStringLiteral("Foo\uFFFD.plist"));
    EXPECT_EQ(odd->sizeBytes, 5);
    EXPECT_TRUE(odd->isUserDeletable);
    EXPECT_TRUE(odd->isSelected);

    const int total = scanner.totalCount();
    scanner.deselectAll();
    scanner.toggleSelection(*odd);
    const RemovalResult removed = test::waitForRemoval(scanner.removeSelectedFiles(DeletionMethod::trash));
    EXPECT_EQ(removed.removedCount, 1) << removed.errors.join(QLatin1Char('\n')).toStdString();
    struct stat st;
    EXPECT_NE(lstat(raw.constData(), &st), 0);
    EXPECT_EQ(lstat((trash.filesDirectory() + "/Foo\xff.plist").c_str(), &st), 0);
    EXPECT_EQ(scanner.totalCount(), total - 1);
    EXPECT_TRUE(admin.calls().empty());
}

TEST(ResidualScan, AHomeWrittenWithEmptyOrDotPiecesStillRemoves)
{
    test::ResidualTree tree;
    tree.makeFooLeftovers();
    for (const QString &home :
        { tree.base() + QStringLiteral("//home"), tree.base() + QStringLiteral("/./home/") }) {
        AppUninstallerScanner::Services s = services(tree, QStringLiteral("com.acme.foo"));
        s.home = home;
        AppUninstallerScanner scanner(s);
        tree.file(QStringLiteral("home/Library/Logs/myfoo.log"), 3);
        ASSERT_TRUE(test::scanAndWait(
            scanner, QStringLiteral("Foo"), tree.root() + QStringLiteral("/Applications/Foo.app")));
        scanner.deselectAll();
        for (const AppResidualFile &f : scanner.residualFiles()) {
            if (f.displayName == QStringLiteral("myfoo.log")) {
                scanner.toggleSelection(f);
            }
        }
        const RemovalResult removed
            = test::waitForRemoval(scanner.removeSelectedFiles(DeletionMethod::permanent));
        EXPECT_EQ(removed.removedCount, 1) << removed.errors.join(QLatin1Char('\n')).toStdString();
        EXPECT_FALSE(QFileInfo::exists(tree.home() + QStringLiteral("/Library/Logs/myfoo.log")));
    }
}
