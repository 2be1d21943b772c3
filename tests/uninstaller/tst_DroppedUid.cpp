// Permission cases under the unprivileged "nobody": tests run as root, where
// every access check passes, so these fork a child that drops its rights.
#include "support/UninstallerFixture.h"

#include "platform/base/Trash.h"
#include "uninstaller/DeletionProbe.h"
#include "uninstaller/ResidualRemoval.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace brimlark;

namespace {

constexpr uid_t s_nobody = 65534;

// Runs body as nobody in a child process and returns what it wrote.
QString asNobody(const std::function<QString()> &body)
{
    return test::inChild([&] {
        if (setgroups(0, nullptr) == 0 && setgid(s_nobody) == 0 && setuid(s_nobody) == 0
            && geteuid() == s_nobody) {
            return body();
        }
        return QStringLiteral("could not drop rights");
    });
}

void own(const QString &path, uid_t uid, mode_t mode)
{
    ASSERT_EQ(chown(QFile::encodeName(path).constData(), uid, uid), 0);
    ASSERT_EQ(chmod(QFile::encodeName(path).constData(), mode), 0);
}

class DroppedUid : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (geteuid() != 0) {
            GTEST_SKIP() << "needs root to drop to nobody";
        }
        // Every folder readable and searchable by nobody, owned by root.
        for (const QString &f :
            { m_tree.base(), m_tree.home(), m_tree.home() + QStringLiteral("/Library") }) {
            own(f, 0, 0755);
        }
    }
    // The "Foo" cache as root's: nobody can neither remove nor move it itself.
    AppResidualFile lockedCache()
    {
        m_tree.makeFooLeftovers();
        const QString path = m_tree.home() + QStringLiteral("/Library/Caches/com.acme.foo");
        for (const QString &f : { QFileInfo(path).path(), path }) {
            own(f, 0, 0755);
        }
        return { QUuid::createUuid(), path, ResidualCategory::caches, QStringLiteral("com.acme.foo"), 4096,
            true, true };
    }
    // A Trash of nobody's in the data folder.
    void makeTrash(const QString &data)
    {
        QDir().mkpath(data + QStringLiteral("/Trash/files"));
        QDir().mkpath(data + QStringLiteral("/Trash/info"));
        for (const QString &f : { data, data + QStringLiteral("/Trash"),
                 data + QStringLiteral("/Trash/files"), data + QStringLiteral("/Trash/info") }) {
            own(f, s_nobody, 0700);
        }
    }
    test::ResidualTree m_tree;
};

} // namespace

TEST_F(DroppedUid, DeletableMeansAWritableFolderAndOwnershipInASticky)
{
    const QString locked = m_tree.file(QStringLiteral("locked/f"), 1);
    const QString open = m_tree.file(QStringLiteral("open/f"), 1);
    const QString mine = m_tree.file(QStringLiteral("sticky/mine"), 1);
    const QString theirs = m_tree.file(QStringLiteral("sticky/theirs"), 1);
    own(QFileInfo(locked).path(), 0, 0755);
    own(QFileInfo(open).path(), s_nobody, 0755);
    own(QFileInfo(mine).path(), 0, 01777);
    own(mine, s_nobody, 0644);
    const QString answers = asNobody([&] {
        QString out;
        for (const QString &p : { locked, open, mine, theirs }) {
            out += isDeletableFile(p) ? QLatin1Char('1') : QLatin1Char('0');
        }
        return out;
    });
    EXPECT_EQ(answers, QStringLiteral("0110"));
}

TEST_F(DroppedUid, AFailedOwnRemovalFallsBackToTheAdministratorWithItsOwnReason)
{
    const AppResidualFile entry = lockedCache();
    const QString path = entry.path;
    const QString data = m_tree.home() + QStringLiteral("/.local/share");
    makeTrash(data);

    const QString out = asNobody([&] {
        test::FakeAdminRunner admin;
        Trash trash(data.toStdString());
        const ResidualRemoval::Context context { m_tree.home(), m_tree.root(), false, &admin, &trash };
        admin.answer = [](const std::vector<std::string> &) {
            return AdminRunner::Result { AdminRunner::Outcome::Denied, {} };
        };
        const RemovalResult permanent = ResidualRemoval::run(context, DeletionMethod::permanent, { entry });
        int calls = 0;
        admin.answer = [&calls](const std::vector<std::string> &) {
            return AdminRunner::Result {
                ++calls == 1 ? AdminRunner::Outcome::DestinationExists : AdminRunner::Outcome::Succeeded, {}
            };
        };
        const RemovalResult trashed = ResidualRemoval::run(context, DeletionMethod::trash, { entry });
        QStringList lines = permanent.errors;
        lines.append(QString::number(trashed.removedCount));
        for (const auto &call : admin.calls()) {
            lines.append(QString::fromStdString(call.front() + " " + call.back()));
        }
        lines.append(QDir(data + QStringLiteral("/Trash/info")).entryList(QDir::Files));
        return lines.join(QLatin1Char('\n'));
    });
    const QStringList lines = out.split(QLatin1Char('\n'));
    ASSERT_EQ(lines.size(), 6) << out.toStdString();
    EXPECT_EQ(lines[0], QStringLiteral("com.acme.foo: “Cache.db” couldn’t be removed: No permission"));
    EXPECT_EQ(lines[1], QStringLiteral("1"));
    EXPECT_EQ(lines[2], QStringLiteral("delete ") + path);
    EXPECT_EQ(lines[3], QStringLiteral("move com.acme.foo"));
    EXPECT_TRUE(lines[4].contains(QRegularExpression(QStringLiteral("^move com\\.acme_[0-9A-F]{8}\\.foo$"))))
        << out.toStdString();
    // The info of the taken name was given back; the final one stays.
    EXPECT_EQ(lines[5], lines[4].mid(5) + QStringLiteral(".trashinfo"));
}

// The helper moves into the account's ~/.local/share/Trash whatever
// XDG_DATA_HOME says, in the home of the account's user entry whatever HOME
// says; the info files would go to another Trash.
TEST_F(DroppedUid, AMoveWithRightsIsRefusedWhenTheTrashIsNotTheAccountsDefault)
{
    const AppResidualFile entry = lockedCache();
    test::FakeAdminRunner recording;
    // A launcher that would report every move done; nobody's home is not the tree's.
    PkexecAdminRunner launcher("/bin/true", { "/bin/sh", "-c", "exit 0" });
    const std::pair<AdminRunner *, QString> rows[] = {
        { &recording, m_tree.base() + QStringLiteral("/data") },
        { &launcher, m_tree.home() + QStringLiteral("/.local/share") },
    };
    for (const auto &[runner, data] : rows) {
        makeTrash(data);
        const QString out = asNobody([&] {
            Trash trash(data.toStdString());
            const ResidualRemoval::Context context { m_tree.home(), m_tree.root(), false, runner, &trash };
            const RemovalResult r = ResidualRemoval::run(context, DeletionMethod::trash, { entry });
            return (r.errors + QDir(data + QStringLiteral("/Trash/info")).entryList(QDir::Files))
                       .join(QLatin1Char('\n'))
                + QStringLiteral("\n%1 %2").arg(r.removedCount).arg(recording.calls().size());
        });
        EXPECT_EQ(out,
            QStringLiteral(
                "com.acme.foo: It can only be moved with administrator rights, which use the Trash "
                "in ~/.local/share, not the one XDG_DATA_HOME names.\n0 0"));
    }
    EXPECT_TRUE(QFileInfo::exists(entry.path + QStringLiteral("/Cache.db")));
}
