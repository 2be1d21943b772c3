#include "support/UninstallerFixture.h"

#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSemaphore>

#include <gtest/gtest.h>

#include <unistd.h>

using namespace brimlark;

namespace {

class Removal : public ::testing::Test
{
protected:
    void SetUp() override { m_tree.makeFooLeftovers(); }

    // Locked: everything in the system Library.
    AppUninstallerScanner &scanned(const QString &bundle = {})
    {
        m_scanner = m_world.scanner(QStringLiteral("com.acme.foo"));
        const QString path
            = bundle.isEmpty() ? m_tree.root() + QStringLiteral("/Applications/Foo.app") : bundle;
        EXPECT_TRUE(test::scanAndWait(*m_scanner, QStringLiteral("Foo"), path));
        return *m_scanner;
    }
    QStringList trashed() const
    {
        return QDir(QString::fromStdString(m_world.trash.filesDirectory()))
            .entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System);
    }

    test::ResidualTree m_tree;
    test::ScannerWorld m_world { m_tree };
    std::unique_ptr<AppUninstallerScanner> m_scanner;
};

} // namespace

TEST_F(Removal, TrashMovesEverySelectedEntryWithItsInfoAndFreshNamesOnCollision)
{
    AppUninstallerScanner &scanner = scanned();
    scanner.selectAll();
    const int total = scanner.totalCount();
    const qint64 bytes = scanner.totalSelectedSize();
    // A second measurement would differ: the count is the scan's.
    m_tree.file(QStringLiteral("home/Library/Caches/com.acme.foo/grown"), 100000);

    const RemovalResult result = test::waitForRemoval(scanner.removeSelectedFiles(DeletionMethod::trash));
    EXPECT_EQ(result.removedCount, total);
    EXPECT_EQ(result.freedBytes, bytes);
    EXPECT_TRUE(result.errors.isEmpty()) << result.errors.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(scanner.totalCount(), 0);
    EXPECT_TRUE(m_world.admin.calls().empty());

    const QStringList names = trashed();
    EXPECT_EQ(names.size(), total);
    // Both com.acme.foo.plist files are kept: the second under a fresh name.
    EXPECT_TRUE(names.contains(QStringLiteral("com.acme.foo.plist")));
    EXPECT_EQ(
        names.filter(QRegularExpression(QStringLiteral("^com\\.acme\\.foo_[0-9A-F]{8}\\.plist$"))).size(), 1);
    for (const QString &name : names) {
        QFile info(QString::fromStdString(m_world.trash.infoDirectory()) + QLatin1Char('/') + name
            + QStringLiteral(".trashinfo"));
        ASSERT_TRUE(info.open(QIODevice::ReadOnly)) << name.toStdString();
        EXPECT_TRUE(info.readAll().startsWith("[Trash Info]\nPath=/"));
    }
}

TEST_F(Removal, LockedEntriesGoStraightToTheAdministratorAndOnlyPkexecRefusalReadsAsDenied)
{
    AppUninstallerScanner &scanner = scanned();
    scanner.deselectAll();
    scanner.selectAll(ResidualCategory::receipts);
    scanner.selectAll(ResidualCategory::launchAgents); // one locked daemon, one user agent
    m_world.admin.answer = [](const std::vector<std::string> &args) {
        const bool daemon = args.back().find("LaunchDaemons") != std::string::npos;
        return daemon ? AdminRunner::Result { AdminRunner::Outcome::Denied, {} }
                      : AdminRunner::Result { AdminRunner::Outcome::Failed, "Read-only file system" };
    };
    const RemovalResult result = test::waitForRemoval(scanner.removeSelectedFiles(DeletionMethod::permanent));
    EXPECT_EQ(result.removedCount, 1); // the user's own agent
    EXPECT_EQ(result.errors,
        QStringList(
            { QStringLiteral("com.acme.foo.helper.plist: Administrator access was denied or cancelled."),
                QStringLiteral("com.acme.foo.bom: Read-only file system") }));
    const auto calls = m_world.admin.calls();
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[1],
        (std::vector<std::string> { "delete", m_tree.home().toStdString(), m_tree.root().toStdString(),
            m_world.trash.filesDirectory(),
            (m_tree.root() + QStringLiteral("/Library/Receipts/com.acme.foo.bom")).toStdString() }));
    EXPECT_EQ(scanner.totalCount(), 14);
    EXPECT_EQ(scanner.selectedCount(), 2); // failures stay listed and selected

    // No agent to ask is not a refusal.
    m_world.admin.answer = [](const std::vector<std::string> &) {
        return AdminRunner::Result { AdminRunner::Outcome::Unavailable, "No authentication agent found." };
    };
    const RemovalResult again = test::waitForRemoval(scanner.removeSelectedFiles(DeletionMethod::permanent));
    EXPECT_EQ(again.removedCount, 0);
    const QString unavailable = QStringLiteral(": Administrator access is not available here.");
    EXPECT_EQ(again.errors,
        QStringList({ QStringLiteral("com.acme.foo.helper.plist") + unavailable,
            QStringLiteral("com.acme.foo.bom") + unavailable }));
}

TEST_F(Removal, VanishedEntriesAreSkippedAndDanglingLinksRemoved)
{
    const QString link = m_tree.home() + QStringLiteral("/Library/Caches/foo-link");
    ASSERT_EQ(symlink("/nonexistent/target", QFile::encodeName(link).constData()), 0);
    AppUninstallerScanner &scanner = scanned();
    scanner.deselectAll();
    scanner.selectAll(ResidualCategory::caches);
    ASSERT_EQ(scanner.selectedCount(), 2);
    QDir(m_tree.home() + QStringLiteral("/Library/Caches/com.acme.foo")).removeRecursively();

    const RemovalResult result = test::waitForRemoval(scanner.removeSelectedFiles(DeletionMethod::permanent));
    EXPECT_EQ(result.removedCount, 1);
    EXPECT_TRUE(result.errors.isEmpty());
    EXPECT_FALSE(QFileInfo(link).isSymLink());
    EXPECT_EQ(scanner.filesByCategory().value(ResidualCategory::caches).size(), 1); // the vanished one stays

    const RemovalResult none = test::waitForRemoval(scanner.removeSelectedFiles(DeletionMethod::trash));
    EXPECT_EQ(none.removedCount, 0);
    EXPECT_TRUE(none.errors.isEmpty());
}

TEST_F(Removal, NothingOfTheSystemIsRemoved)
{
    const QString bundle = m_tree.root() + QStringLiteral("/System/Applications/Foo.app");
    m_tree.file(QStringLiteral("root/System/Applications/Foo.app/Contents/MacOS/foo"), 3);
    AppUninstallerScanner &scanner = scanned(bundle);
    ASSERT_TRUE(test::waitUntil([&] { return scanner.isSystemApp(); }));
    scanner.deselectAll();
    scanner.toggleSelection(scanner.residualFiles().front());
    for (DeletionMethod method : { DeletionMethod::trash, DeletionMethod::permanent }) {
        const RemovalResult result = test::waitForRemoval(scanner.removeSelectedFiles(method));
        EXPECT_EQ(result.removedCount, 0);
        EXPECT_EQ(
            result.errors, QStringList(QStringLiteral("Foo.app: Items of the system can’t be removed.")));
    }
    EXPECT_TRUE(QFileInfo::exists(bundle));
    EXPECT_TRUE(m_world.admin.calls().empty());
}

TEST_F(Removal, WorksOnTheSelectionAsItWasWhenAsked)
{
    AppUninstallerScanner &scanner = scanned();
    scanner.deselectAll();
    scanner.selectAll(ResidualCategory::logs);
    // Hold the pool so the GUI thread changes the selection before the worker runs.
    m_world.pool.setMaxThreadCount(1);
    QSemaphore gate;
    m_world.pool.start([&gate] { gate.acquire(); });
    QFuture<RemovalResult> future = scanner.removeSelectedFiles(DeletionMethod::permanent);
    scanner.deselectAll();
    scanner.selectAll(ResidualCategory::caches);
    gate.release();
    const RemovalResult result = test::waitForRemoval(future);
    EXPECT_EQ(result.removedCount, 1);
    EXPECT_FALSE(QFileInfo::exists(m_tree.home() + QStringLiteral("/Library/Logs/myfoo.log")));
    EXPECT_TRUE(QFileInfo::exists(m_tree.home() + QStringLiteral("/Library/Caches/com.acme.foo")));
}
