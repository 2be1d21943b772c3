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

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

using namespace brimlark;

namespace {

// Runs body in a child after mounting what it needs in a private mount namespace.
QString withMounts(const std::function<bool()> &mounts, const std::function<QString()> &body)
{
    return test::inChild(
        [&] { return test::privateMounts() && mounts() ? body() : QStringLiteral("mount failed"); });
}

// Runs body in a child with a fresh tmpfs mounted at folder, holding a file "data".
QString onTmpfs(const QString &folder, const std::function<QString()> &body)
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

QString line(const SafeRemoval::Outcome &o)
{
    return QString::number(int(o.status)) + QLatin1Char(' ') + QString::fromStdString(o.reason);
}

std::string local(const QString &path)
{
    return QFile::encodeName(path).toStdString();
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
        return SafeRemoval(local(m_tree.home()), local(m_tree.root()), local(trashFiles()));
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

// Cases that mount, each in a child's private mount namespace.
class MountedFileSystems : public FileSystems
{
protected:
    void SetUp() override
    {
        if (test::inChild([] { return test::privateMounts() ? QStringLiteral("1") : QString(); }).isEmpty()) {
            GTEST_SKIP() << "mount namespaces are not available here";
        }
        FileSystems::SetUp();
    }
};

} // namespace

TEST_F(MountedFileSystems, AFindingThatIsAMountPointIsLeftWithEverythingOnIt)
{
    const QString mounted = lib("Caches/Foo");
    QDir().mkpath(trashFiles());
    const QString out = onTmpfs(mounted, [&] {
        return QStringList { line(safe().remove(local(mounted))),
            line(safe().moveToTrash(local(mounted), "Foo")),
            // The helper itself, run directly as root against the same tree.
            helperLine(QStringList { QStringLiteral("delete") } + roots() + QStringList { mounted }),
            keptOrGone(mounted + QStringLiteral("/data")) }
            .join(QLatin1Char('\n'));
    });
    const QString reason = QStringLiteral("“Foo” is on another file system and was left in place");
    const QString refused = QString::number(int(SafeRemoval::Status::Refused)) + QLatin1Char(' ') + reason;
    EXPECT_EQ(out,
        QStringList({ refused, refused, QStringLiteral("2 ") + reason, QStringLiteral("kept") })
            .join(QLatin1Char('\n')));
}

TEST_F(MountedFileSystems, ARemovalNeverDescendsIntoAnotherFileSystemInsideIt)
{
    const QString finding = lib("Caches/com.acme.foo");
    const QString inner = finding + QStringLiteral("/mounted");
    const QString out = onTmpfs(inner, [&] {
        const QString removal = line(safe().remove(local(finding)));
        return removal + QLatin1Char('\n') + keptOrGone(inner + QStringLiteral("/data")) + QLatin1Char('\n')
            + keptOrGone(finding + QStringLiteral("/Cache.db"));
    });
    EXPECT_EQ(out,
        QString::number(int(SafeRemoval::Status::Failed))
            + QStringLiteral(" “mounted” is on another file system and was left in place\nkept\ngone"));
}

// A bind mount of a folder of the same file system passes a device check.
TEST_F(MountedFileSystems, ABindMountInsideAFindingIsLeftWithTheFoldersHoldingIt)
{
    const QString finding = lib("Application Support/Gammaray");
    const QString inner = finding + QStringLiteral("/deep/inner");
    const QString reason = QStringLiteral("“inner” is a mount point and was left in place, with the folders "
                                          "that hold it");
    for (const bool byHelper : { false, true }) {
        m_tree.file(QStringLiteral("home/Library/Application Support/Gammaray/Cache.db"), 4);
        const QString source = photos();
        const QString out = withMounts([&] { return test::bindMount(source, inner); },
            [&] {
                const QString result = byHelper
                    ? helperLine(QStringList { QStringLiteral("delete") } + roots() + QStringList { finding })
                    : line(safe().remove(local(finding)));
                return result + QLatin1Char('\n') + QString::number(photoCount()) + QLatin1Char(' ')
                    + keptOrGone(finding + QStringLiteral("/Cache.db"));
            });
        const QString status
            = byHelper ? QStringLiteral("1") : QString::number(int(SafeRemoval::Status::Failed));
        EXPECT_EQ(out, status + QLatin1Char(' ') + reason + QStringLiteral("\n3 gone"));
        EXPECT_TRUE(QFileInfo(inner).isDir());
    }
}

// A move takes whatever is mounted inside along, into a Trash that is emptied
// later (and, with rights, hands it over): an item holding one stays.
TEST_F(MountedFileSystems, AnItemHoldingAMountPointIsNotMoved)
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
        const QString out = withMounts(mount, [&] {
            return line(safe().moveToTrash(local(item), "Foo")) + QLatin1Char('\n')
                + helperLine(QStringList { QStringLiteral("move") } + roots()
                    + QStringList { item, QStringLiteral("Foo") });
        });
        const QString reason
            = QStringLiteral("“Foo” holds a mount point, “%1”, and was left in place").arg(point);
        EXPECT_EQ(out,
            QString::number(int(SafeRemoval::Status::Refused)) + QLatin1Char(' ') + reason
                + QStringLiteral("\n2 ") + reason);
        EXPECT_TRUE(QFileInfo::exists(tool));
        EXPECT_TRUE(QDir(trashFiles()).isEmpty());
    }
    EXPECT_EQ(photoCount(), 3);
}

TEST_F(MountedFileSystems, ATrashOnAnotherFileSystemIsFinalWithoutAskingForAdministratorRights)
{
    const QString dataHome = m_tree.base() + QStringLiteral("/data");
    const QString out = onTmpfs(dataHome, [&] {
        test::FakeAdminRunner admin;
        Trash trash(local(dataHome));
        const ResidualRemoval::Context context { m_tree.home(), m_tree.root(), false, &admin, &trash };
        const QList<AppResidualFile> selection {
            { QUuid::createUuid(), lib("Logs/myfoo.log"), ResidualCategory::logs, QStringLiteral("myfoo.log"),
                3, true, true },
            { QUuid::createUuid(), m_tree.root() + QStringLiteral("/Library/Receipts/com.acme.foo.bom"),
                ResidualCategory::receipts, QStringLiteral("com.acme.foo.bom"), 2, true, false },
        };
        QStringList lines = ResidualRemoval::run(context, DeletionMethod::trash, selection).errors;
        lines.append(QString::number(admin.calls().size()));
        lines.append(
            QString::number(QDir(dataHome + QStringLiteral("/Trash/info")).entryList(QDir::Files).size()));
        return lines.join(QLatin1Char('\n'));
    });
    EXPECT_EQ(out,
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
        return QString::number(size) + QLatin1Char(' ') + line(safe().remove(local(finding))).trimmed();
    });
    EXPECT_EQ(out, QStringLiteral("%1 0").arg(2 * depth));
    EXPECT_FALSE(QFileInfo::exists(finding));
}
