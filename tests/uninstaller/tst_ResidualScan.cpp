#include "support/UninstallerFixture.h"

#include "TestSupport.h"
#include "platform/Bundle.h"
#include "uninstaller/ResidualScan.h"
#include "uninstaller/helper/SafeRemoval.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QSignalSpy>

#include <gtest/gtest.h>

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
        QStringLiteral("a/b"), QStringLiteral("../Caches"), QStringLiteral("com acme") };
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
