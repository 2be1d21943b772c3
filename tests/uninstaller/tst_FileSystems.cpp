// Removal across file systems and deep trees. Each case runs in a child
// process: a private mount namespace for its tmpfs, or a low open-file limit.
#include "support/UninstallerFixture.h"

#include "platform/base/Trash.h"
#include "uninstaller/RemovalHelperPath.h"
#include "uninstaller/ResidualRemoval.h"
#include "uninstaller/ResidualScan.h"
#include "uninstaller/helper/SafeRemoval.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include <optional>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

using namespace brimlark;

namespace {

const QString s_noNamespace = QStringLiteral("no private mount namespace");

// Runs body in a child after mounting what it needs in a private mount
// namespace; nothing where mount namespaces are not available.
std::optional<QString> withMounts(const std::function<bool()> &mounts, const std::function<QString()> &body)
{
    const QString out
        = test::inChild([&] { return test::privateMounts() && mounts() ? body() : s_noNamespace; });
    return out == s_noNamespace ? std::nullopt : std::optional(out);
}

// Runs body in a child with a fresh tmpfs mounted at folder, holding a file "data".
std::optional<QString> onTmpfs(const QString &folder, const std::function<QString()> &body)
{
    return withMounts([&] { return test::mountTmpfs(folder); },
        [&] {
            QFile data(folder + QStringLiteral("/data"));
            data.open(QIODevice::WriteOnly);
            data.write("keep");
            data.close();
            return body();
        });
}

// The helper run directly (as root, roots given): its status and reason.
QString helperLine(const QStringList &arguments)
{
    QProcess helper;
    helper.start(QString::fromStdString(removalHelperPath()), arguments);
    helper.waitForFinished();
    return QString::number(helper.exitCode()) + QLatin1Char(' ')
        + QString::fromUtf8(helper.readAllStandardError()).trimmed();
}

QString keptOrGone(const QString &path)
{
    return QFileInfo::exists(path) ? QStringLiteral("kept") : QStringLiteral("gone");
}

class FileSystems : public ::testing::Test
{
protected:
    void SetUp() override { m_tree.makeFooLeftovers(); }
    QString lib(const char *relative) const
    {
        return m_tree.home() + QStringLiteral("/Library/") + QLatin1String(relative);
    }
    QString trashFiles() const { return m_tree.base() + QStringLiteral("/trash/files"); }
    SafeRemoval safe() const
    {
        return SafeRemoval(
            m_tree.home().toStdString(), m_tree.root().toStdString(), trashFiles().toStdString());
    }
    QStringList roots() const { return { m_tree.home(), m_tree.root(), trashFiles() }; }
    // Three files in a folder outside the findings, to be mounted into one.
    QString photos() const
    {
        for (const char *f : { "photos/1.jpg", "photos/2.jpg", "photos/sub/3.jpg" }) {
            m_tree.file(QString::fromUtf8(f), 1);
        }
        return m_tree.base() + QStringLiteral("/photos");
    }
    int photoCount() const
    {
        return int(QDir(m_tree.base() + QStringLiteral("/photos")).entryList(QDir::Files).size()
            + QDir(m_tree.base() + QStringLiteral("/photos/sub")).entryList(QDir::Files).size());
    }
    test::ResidualTree m_tree;
};

QString line(const SafeRemoval::Outcome &o)
{
    return QString::number(int(o.status)) + QLatin1Char(' ') + QString::fromStdString(o.reason);
}

} // namespace

TEST_F(FileSystems, AFindingThatIsAMountPointIsLeftWithEverythingOnIt)
{
    const QString mounted = lib("Caches/Foo");
    QDir().mkpath(m_tree.base() + QStringLiteral("/trash/files"));
    const std::optional<QString> out = onTmpfs(mounted, [&] {
        QStringList lines { line(safe().remove(QFile::encodeName(mounted).toStdString())),
            line(safe().moveToTrash(QFile::encodeName(mounted).toStdString(), "Foo")) };
        // The helper itself, run directly as root against the same tree.
        QProcess helper;
        helper.start(QString::fromStdString(removalHelperPath()),
            { QStringLiteral("delete"), m_tree.home(), m_tree.root(),
                m_tree.base() + QStringLiteral("/trash/files"), mounted });
        helper.waitForFinished();
        lines.append(QString::number(helper.exitCode()));
        lines.append(keptOrGone(mounted + QStringLiteral("/data")));
        return lines.join(QLatin1Char('\n'));
    });
    if (!out) {
        GTEST_SKIP() << "mount namespaces are not available here";
    }
    const QStringList lines = out->split(QLatin1Char('\n'));
    ASSERT_EQ(lines.size(), 4) << out->toStdString();
    const QString refused = QString::number(int(SafeRemoval::Status::Refused))
        + QStringLiteral(" “Foo” is on another file system and was left in place");
    EXPECT_EQ(lines[0], refused);
    EXPECT_EQ(lines[1], refused);
    EXPECT_EQ(lines[2], QStringLiteral("2"));
    EXPECT_EQ(lines[3], QStringLiteral("kept"));
}

TEST_F(FileSystems, ARemovalNeverDescendsIntoAnotherFileSystemInsideIt)
{
    const QString finding = lib("Caches/com.acme.foo");
    const QString inner = finding + QStringLiteral("/mounted");
    const std::optional<QString> out = onTmpfs(inner, [&] {
        const SafeRemoval::Outcome o = safe().remove(QFile::encodeName(finding).toStdString());
        return line(o) + QLatin1Char('\n') + keptOrGone(inner + QStringLiteral("/data")) + QLatin1Char('\n')
            + keptOrGone(finding + QStringLiteral("/Cache.db"));
    });
    if (!out) {
        GTEST_SKIP() << "mount namespaces are not available here";
    }
    EXPECT_EQ(*out,
        QString::number(int(SafeRemoval::Status::Failed))
            + QStringLiteral(" “mounted” is on another file system and was left in place\nkept\ngone"));
}

// A bind mount of a folder of the same file system passes a device check.
TEST_F(FileSystems, ABindMountInsideAFindingIsLeftWithTheFoldersHoldingIt)
{
    const QString finding = lib("Application Support/Gammaray");
    const QString inner = finding + QStringLiteral("/deep/inner");
    const QString reason = QStringLiteral("“inner” is a mount point and was left in place, with the folders "
                                          "that hold it");
    for (const bool byHelper : { false, true }) {
        m_tree.file(QStringLiteral("home/Library/Application Support/Gammaray/Cache.db"), 4);
        const QString source = photos();
        const std::optional<QString> out = withMounts([&] { return test::bindMount(source, inner); },
            [&] {
                const QString result = byHelper
                    ? helperLine(QStringList { QStringLiteral("delete") } + roots() + QStringList { finding })
                    : line(safe().remove(QFile::encodeName(finding).toStdString()));
                return result + QLatin1Char('\n') + QString::number(photoCount()) + QLatin1Char(' ')
                    + keptOrGone(finding + QStringLiteral("/Cache.db"));
            });
        if (!out) {
            GTEST_SKIP() << "mount namespaces are not available here";
        }
        const QString status
            = byHelper ? QStringLiteral("1") : QString::number(int(SafeRemoval::Status::Failed));
        EXPECT_EQ(*out, status + QLatin1Char(' ') + reason + QStringLiteral("\n3 gone"));
        EXPECT_TRUE(QFileInfo(inner).isDir());
    }
}

// A move takes whatever is mounted inside along, into a Trash that is emptied
// later (and, with rights, hands it over): an item holding one stays.
TEST_F(FileSystems, AnItemHoldingAMountPointIsNotMoved)
{
    const QString item = lib("Application Support/Foo");
    const QString inner = item + QStringLiteral("/inner");
    QDir().mkpath(trashFiles());
    const QString source = photos();
    const QString tool = item + QStringLiteral("/bin/tool");
    const std::pair<std::function<bool()>, QString> mounts[] = {
        { [&] { return test::bindMount(source, inner); }, QStringLiteral("inner") },
        { [&] { return test::mountTmpfs(inner); }, QStringLiteral("inner") },
        // A file bound over a file: its owner would change.
        { [&] { return test::bindMount(source + QStringLiteral("/1.jpg"), tool); }, QStringLiteral("tool") },
    };
    for (const auto &[mount, point] : mounts) {
        m_tree.file(QStringLiteral("home/Library/Application Support/Foo/bin/tool"), 4);
        const std::optional<QString> out = withMounts(mount, [&] {
            return line(safe().moveToTrash(QFile::encodeName(item).toStdString(), "Foo")) + QLatin1Char('\n')
                + helperLine(QStringList { QStringLiteral("move") } + roots()
                    + QStringList { item, QStringLiteral("Foo") });
        });
        if (!out) {
            GTEST_SKIP() << "mount namespaces are not available here";
        }
        const QString reason
            = QStringLiteral("“Foo” holds a mount point, “%1”, and was left in place").arg(point);
        EXPECT_EQ(*out,
            QString::number(int(SafeRemoval::Status::Refused)) + QLatin1Char(' ') + reason
                + QStringLiteral("\n2 ") + reason);
        EXPECT_TRUE(QFileInfo::exists(tool));
        EXPECT_TRUE(QDir(trashFiles()).isEmpty());
    }
    EXPECT_EQ(photoCount(), 3);
}

TEST_F(FileSystems, ATrashOnAnotherFileSystemIsFinalWithoutAskingForAdministratorRights)
{
    const QString dataHome = m_tree.base() + QStringLiteral("/data");
    const std::optional<QString> out = onTmpfs(dataHome, [&] {
        test::FakeAdminRunner admin;
        Trash trash(dataHome.toStdString());
        const ResidualRemoval::Context context { m_tree.home(), m_tree.root(), false, &admin, &trash };
        const QList<AppResidualFile> selection {
            { QUuid::createUuid(), lib("Logs/myfoo.log"), ResidualCategory::logs, QStringLiteral("myfoo.log"),
                3, true, true },
            { QUuid::createUuid(), m_tree.root() + QStringLiteral("/Library/Receipts/com.acme.foo.bom"),
                ResidualCategory::receipts, QStringLiteral("com.acme.foo.bom"), 2, true, false },
        };
        const RemovalResult r = ResidualRemoval::run(context, DeletionMethod::trash, selection);
        QStringList lines = r.errors;
        lines.append(QString::number(admin.calls().size()));
        lines.append(
            QString::number(QDir(dataHome + QStringLiteral("/Trash/info")).entryList(QDir::Files).size()));
        return lines.join(QLatin1Char('\n'));
    });
    if (!out) {
        GTEST_SKIP() << "mount namespaces are not available here";
    }
    EXPECT_EQ(*out,
        QStringLiteral("myfoo.log: It is on another file system than the Trash, so it can’t be moved there.\n"
                       "com.acme.foo.bom: It is on another file system than the Trash, so it can’t be moved "
                       "there.\n0\n0"));
    EXPECT_TRUE(QFileInfo::exists(lib("Logs/myfoo.log")));
}

TEST_F(FileSystems, TreesDeeperThanTheOpenFileLimitAreMeasuredAndRemovedInFull)
{
    constexpr int depth = 600;
    const QString finding = lib("Caches/com.acme.deep");
    QDir().mkpath(finding);
    // Built through descriptors: the path is longer than any one call takes.
    int fd = open(QFile::encodeName(finding).constData(), O_RDONLY | O_DIRECTORY);
    ASSERT_GE(fd, 0);
    for (int i = 0; i < depth; ++i) {
        ASSERT_EQ(mkdirat(fd, "level", 0755), 0);
        const int next = openat(fd, "level", O_RDONLY | O_DIRECTORY);
        close(fd);
        ASSERT_GE(next, 0);
        fd = next;
        const int file = openat(fd, "f", O_WRONLY | O_CREAT, 0644);
        ASSERT_EQ(write(file, "xy", 2), 2);
        close(file);
    }
    close(fd);

    const QString out = test::inChild([&] {
        const rlimit low { 128, 128 };
        if (setrlimit(RLIMIT_NOFILE, &low) != 0) {
            return QStringLiteral("no limit");
        }
        const qint64 size = ResidualScan::directorySize(QFile::encodeName(finding));
        const SafeRemoval::Outcome o = safe().remove(QFile::encodeName(finding).toStdString());
        return QString::number(size) + QLatin1Char(' ') + line(o).trimmed();
    });
    EXPECT_EQ(out, QStringLiteral("%1 0").arg(2 * depth));
    EXPECT_FALSE(QFileInfo::exists(finding));
}
