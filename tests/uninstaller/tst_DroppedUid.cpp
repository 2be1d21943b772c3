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
    m_tree.makeFooLeftovers();
    for (const QString &f : { m_tree.home() + QStringLiteral("/Library/Caches"),
             m_tree.home() + QStringLiteral("/Library/Caches/com.acme.foo") }) {
        own(f, 0, 0755);
    }
    const QString data = m_tree.base() + QStringLiteral("/data");
    QDir().mkpath(data + QStringLiteral("/Trash/files"));
    QDir().mkpath(data + QStringLiteral("/Trash/info"));
    for (const QString &f : { data, data + QStringLiteral("/Trash"), data + QStringLiteral("/Trash/files"),
             data + QStringLiteral("/Trash/info") }) {
        own(f, s_nobody, 0700);
    }
    const QString path = m_tree.home() + QStringLiteral("/Library/Caches/com.acme.foo");
    const AppResidualFile entry { QUuid::createUuid(), path, ResidualCategory::caches,
        QStringLiteral("com.acme.foo"), 4096, true, true };

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
