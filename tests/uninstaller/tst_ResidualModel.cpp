#include "support/UninstallerFixture.h"

#include "uninstaller/ByteCountFormatter.h"
#include "uninstaller/ResidualCategory.h"
#include "uninstaller/ScanStage.h"

#include <QRegularExpression>
#include <QSignalSpy>

#include <gtest/gtest.h>

using namespace brimlark;

TEST(ResidualModel, CategoriesAndStagesRoundTripOnlyFromTheirExactTexts)
{
    ASSERT_EQ(ResidualCategories::allCases().size(), 13);
    for (ResidualCategory c : ResidualCategories::allCases()) {
        EXPECT_EQ(ResidualCategories::fromId(ResidualCategories::id(c)), c);
        EXPECT_TRUE(ResidualCategories::accentColor(c).contains(
            QRegularExpression(QStringLiteral("^#[0-9A-F]{6}$"))));
    }
    EXPECT_EQ(
        ResidualCategories::title(ResidualCategory::launchAgents), QStringLiteral("Launch Agents & Daemons"));
    // Shown titles are not keys.
    EXPECT_FALSE(ResidualCategories::fromId(QStringLiteral("Preferences")));
    for (int s = int(ScanStage::idle); s <= int(ScanStage::done); ++s) {
        EXPECT_EQ(ScanStages::fromStatusLine(ScanStages::statusLine(ScanStage(s))), ScanStage(s));
    }
    EXPECT_EQ(ScanStages::fromStatusLine(QStringLiteral("Scanning caches\u2026")), ScanStage::caches);
    EXPECT_FALSE(ScanStages::fromStatusLine(QStringLiteral("Scanning caches...")));
}

TEST(ResidualModel, ByteCountsReadLikeFileSizes)
{
    const std::pair<qint64, const char *> rows[] = {
        { 0, "Zero KB" },
        { 1, "1 byte" },
        { 999, "999 bytes" },
        { 1000, "1 KB" },
        { 1499, "1 KB" },
        { 1500, "2 KB" },
        { 999499, "999 KB" },
        { 999500, "1 MB" },
        { 1250000, "1.3 MB" },
        { 2000000, "2 MB" },
        { 1234567890, "1.23 GB" },
        { 5000000000000, "5 TB" },
        { -2000, "-2 KB" },
    };
    for (const auto &[bytes, text] : rows) {
        EXPECT_EQ(formatFileByteCount(bytes), QString::fromUtf8(text)) << bytes;
    }
}

TEST(ResidualModel, SelectionWritesEachQualifyingEntryAndIgnoresLocks)
{
    test::ResidualTree tree;
    tree.makeFooLeftovers();
    const QString systemLibrary = tree.root() + QStringLiteral("/Library/");
    AppUninstallerScanner scanner(
        { tree.home(), tree.root(), [](const QString &) { return QStringLiteral("com.acme.foo"); },
            [&](const QByteArray &p) { return !QFile::decodeName(p).startsWith(systemLibrary); } });

    // Empty: nothing selected, nothing notified.
    QSignalSpy changes(&scanner, &AppUninstallerScanner::residualFilesChanged);
    scanner.selectAll();
    scanner.selectAll(ResidualCategory::caches);
    EXPECT_EQ(changes.count(), 0);
    EXPECT_EQ(scanner.formattedTotalSize(), QStringLiteral("Zero KB"));
    EXPECT_FALSE(scanner.isAllSelected(ResidualCategory::caches));

    ASSERT_TRUE(test::scanAndWait(
        scanner, QStringLiteral("Foo"), tree.root() + QStringLiteral("/Applications/Foo.app")));
    // The three system entries are locked, FooHelper.plist, Foobar Data and
    // myfoo.log have "Foo" only inside a word, and the group container
    // ABCD.acme.shared has no whole identifier: all seven start unselected.
    EXPECT_EQ(scanner.selectedCount(), scanner.totalCount() - 7);
    EXPECT_FALSE(scanner.isAllSelected(ResidualCategory::preferences));
    EXPECT_FALSE(scanner.isAllSelected(ResidualCategory::receipts));
    changes.clear();
    // One change per operation, however many entries it touches.
    scanner.selectAll(ResidualCategory::preferences);
    EXPECT_EQ(changes.count(), 1);
    scanner.selectAll(ResidualCategory::preferences);
    EXPECT_EQ(changes.count(), 1);
    EXPECT_TRUE(scanner.isAllSelected(ResidualCategory::preferences));

    // A stale copy still names its entry; an unknown id changes nothing.
    AppResidualFile stale = scanner.filesByCategory().value(ResidualCategory::caches).front();
    stale.path = QStringLiteral("/elsewhere");
    stale.isSelected = false;
    scanner.toggleSelection(stale);
    EXPECT_FALSE(scanner.isAllSelected(ResidualCategory::caches));
    const int selected = scanner.selectedCount();
    AppResidualFile unknown = stale;
    unknown.id = QUuid::createUuid();
    scanner.toggleSelection(unknown);
    EXPECT_EQ(scanner.selectedCount(), selected);

    scanner.deselectAll();
    EXPECT_EQ(scanner.selectedCount(), 0);
    scanner.selectAll();
    EXPECT_EQ(scanner.selectedCount(), scanner.totalCount());
    qint64 sum = 0;
    for (const AppResidualFile &f : scanner.residualFiles()) {
        sum += f.sizeBytes;
    }
    EXPECT_EQ(scanner.totalSelectedSize(), sum);
    EXPECT_EQ(scanner.formattedTotalSize(), formatFileByteCount(sum));
}
