#include "support/UninstallerFixture.h"

#include "uninstaller/RemovalHelperPath.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <unistd.h>

using namespace brimlark;

namespace {

// The helper run directly, with the test's rights, against a temporary tree.
class Helper : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_tree.makeFooLeftovers();
        m_trash = m_tree.base() + QStringLiteral("/trash/files");
        QDir().mkpath(m_trash);
        m_victim = m_tree.file(QStringLiteral("victim/com.acme.foo/keep"), 1);
    }
    AdminRunner::Result run(const char *op, const QString &path, const QString &name = {})
    {
        std::vector<std::string> args { op, m_tree.home().toStdString(), m_tree.root().toStdString(),
            m_trash.toStdString(), path.toStdString() };
        if (!name.isEmpty()) {
            args.push_back(name.toStdString());
        }
        return m_runner.run(args);
    }
    QString lib(const char *relative) const
    {
        return m_tree.home() + QStringLiteral("/Library/") + QLatin1String(relative);
    }

    test::ResidualTree m_tree;
    QString m_trash;
    QString m_victim;
    PkexecAdminRunner m_runner { removalHelperPath(), {} };
};

} // namespace

TEST_F(Helper, RefusesEverythingOutsideTheScannedFoldersAndTheRootsThemselves)
{
    const QString outside[] = {
        lib("Caches"), // a root itself
        lib("Caches/../../../victim/com.acme.foo"), // climbs out
        lib("Caches/com.acme.foo/Cache.db"), // not a direct child
        m_tree.base() + QStringLiteral("/victim/com.acme.foo"), // elsewhere
        m_trash + QStringLiteral("/x"), // the Trash is a destination only
        m_tree.root() + QStringLiteral("/System/Applications/Foo.app"),
        m_tree.root() + QStringLiteral("/Applications/notes.txt"), // not a bundle
        QStringLiteral("Library/Caches/com.acme.foo"),
        QStringLiteral("/etc"),
    };
    for (const QString &path : outside) {
        const AdminRunner::Result r = run("delete", path);
        EXPECT_EQ(r.outcome, AdminRunner::Outcome::Failed) << path.toStdString();
        EXPECT_FALSE(r.reason.empty());
    }
    EXPECT_TRUE(QFileInfo::exists(lib("Caches/com.acme.foo/Cache.db")));
    EXPECT_TRUE(QFileInfo::exists(m_victim));

    EXPECT_EQ(run("delete", lib("Caches/com.acme.foo")).outcome, AdminRunner::Outcome::Succeeded);
    EXPECT_EQ(run("delete", m_tree.root() + QStringLiteral("/Applications/Foo.app")).outcome,
        AdminRunner::Outcome::Succeeded);
    EXPECT_FALSE(QFileInfo::exists(lib("Caches/com.acme.foo")));
}

TEST_F(Helper, NeverFollowsASymbolicLinkSwappedIn)
{
    // A parent swapped for a link after the scan.
    QDir(lib("Caches")).removeRecursively();
    ASSERT_TRUE(QFile::link(m_tree.base() + QStringLiteral("/victim"), lib("Caches")));
    const AdminRunner::Result r = run("delete", lib("Caches/com.acme.foo"));
    EXPECT_EQ(r.outcome, AdminRunner::Outcome::Failed);
    EXPECT_EQ(
        run("move", lib("Caches/com.acme.foo"), QStringLiteral("x")).outcome, AdminRunner::Outcome::Failed);
    EXPECT_TRUE(QFileInfo::exists(m_victim));

    // The item itself a link: the link goes, its target stays.
    const QString link = lib("Logs/foo-link");
    ASSERT_TRUE(QFile::link(m_tree.base() + QStringLiteral("/victim"), link));
    EXPECT_EQ(run("delete", link).outcome, AdminRunner::Outcome::Succeeded);
    EXPECT_FALSE(QFileInfo(link).isSymLink());
    EXPECT_TRUE(QFileInfo::exists(m_victim));
}

TEST_F(Helper, MovesIntoTheTrashWithoutReplacing)
{
    m_tree.file(QStringLiteral("trash/files/myfoo.log"), 1);
    const AdminRunner::Result taken = run("move", lib("Logs/myfoo.log"), QStringLiteral("myfoo.log"));
    EXPECT_EQ(taken.outcome, AdminRunner::Outcome::DestinationExists);
    EXPECT_TRUE(QFileInfo::exists(lib("Logs/myfoo.log")));
    EXPECT_EQ(QFileInfo(m_trash + QStringLiteral("/myfoo.log")).size(), 1);

    EXPECT_EQ(run("move", lib("Logs/myfoo.log"), QStringLiteral("..")).outcome, AdminRunner::Outcome::Failed);
    EXPECT_EQ(
        run("move", lib("Logs/myfoo.log"), QStringLiteral("../x")).outcome, AdminRunner::Outcome::Failed);
    EXPECT_EQ(run("move", lib("Logs/myfoo.log"), QStringLiteral("myfoo_1.log")).outcome,
        AdminRunner::Outcome::Succeeded);
    EXPECT_EQ(QFileInfo(m_trash + QStringLiteral("/myfoo_1.log")).size(), 3);
}

TEST_F(Helper, OnlyTheLaunchersRefusalReadsAsDeniedAndNoAgentAsUnavailable)
{
    using O = AdminRunner::Outcome;
    const struct
    {
        std::vector<std::string> launcher;
        O outcome;
        std::string reason; // contained in the reason
    } rows[] = {
        { { "/bin/sh", "-c", "exit 126" }, O::Denied, "" },
        { { "/bin/sh", "-c", "echo 'Error executing command as another user: Not authorized' >&2; exit 127" },
            O::Denied, "Not authorized" },
        // No agent or no authority: nobody was asked, so nobody refused.
        { { "/bin/sh", "-c",
              "echo 'Error executing command as another user: No authentication agent found.' >&2; exit "
              "127" },
            O::Unavailable, "No authentication agent" },
        { { "/bin/sh", "-c", "exit 127" }, O::Unavailable, "" },
        { { "/usr/bin/env" }, O::Failed, "wrong arguments" }, // the helper's own refusal, with its reason
        { { "/nonexistent/pkexec" }, O::Failed, "couldn’t be started" }, // no launcher at all
        // Through a launcher the helper hears only the operation and the item:
        // it takes the roots from the asking account.
        { { "/bin/sh", "-c", "shift; printf '%s|' \"$@\" >&2; exit 1", "sh" }, O::Failed, "delete|/etc|" },
    };
    for (const auto &row : rows) {
        PkexecAdminRunner runner(removalHelperPath(), row.launcher);
        const AdminRunner::Result r = runner.run({ "delete", m_tree.home().toStdString(),
            m_tree.root().toStdString(), m_trash.toStdString(), "/etc" });
        EXPECT_EQ(r.outcome, row.outcome) << row.launcher.back();
        EXPECT_NE(r.reason.find(row.reason), std::string::npos) << r.reason;
    }
    // Wrong arguments are the helper's failure, never a launcher status.
    EXPECT_EQ(m_runner.run({ "delete" }).outcome, AdminRunner::Outcome::Failed);
}
