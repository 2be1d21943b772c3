// The removal helper run as pkexec runs it: as root with PKEXEC_UID naming the
// account that asked. Tests run as root, so the real helper runs here.
#include "support/UninstallerFixture.h"

#include "uninstaller/RemovalHelperPath.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

using namespace brimlark;

namespace {

constexpr uid_t s_account = 4242;

struct HelperRun
{
    int status = -1;
    QString reason;
};

// The arguments of `unshare` that run script in a private mount namespace.
QStringList privately(const char *script)
{
    return { QStringLiteral("-m"), QStringLiteral("--propagation"), QStringLiteral("private"),
        QStringLiteral("sh"), QStringLiteral("-c"), QString::fromUtf8(script) };
}

// The tests give the helper a passwd of their own through a bind mount in a
// private mount namespace, which a chroot or some containers refuse: the
// reason why, or empty when it works here.
QString privateMountRefused()
{
    QProcess probe;
    probe.start(QStringLiteral("unshare"), privately("mount --bind /etc/passwd /etc/passwd"));
    if (probe.waitForFinished(20000) && probe.exitStatus() == QProcess::NormalExit && probe.exitCode() == 0) {
        return {};
    }
    const QString why = QString::fromLocal8Bit(probe.readAllStandardError()).trimmed();
    return why.isEmpty() ? QStringLiteral("unshare: ") + probe.errorString() : why;
}

class HelperAccount : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (geteuid() != 0) {
            GTEST_SKIP() << "the helper's account checks need root";
        }
        if (const QString why = privateMountRefused(); !why.isEmpty()) {
            GTEST_SKIP() << "no private mount namespace for the helper's own passwd: " << why.toStdString();
        }
        m_tree.makeFooLeftovers();
        m_victim = m_tree.file(QStringLiteral("victim/Library/Caches/keep/file"), 1);
        m_trashFiles = m_tree.home() + QStringLiteral("/.local/share/Trash/files");
        QDir().mkpath(m_trashFiles);
        QDir().mkpath(m_tree.home() + QStringLiteral("/.local/share/Trash/info"));
        for (const QString &f : { m_tree.home(), m_tree.home() + QStringLiteral("/.local"),
                 m_tree.home() + QStringLiteral("/.local/share"),
                 m_tree.home() + QStringLiteral("/.local/share/Trash"), m_trashFiles }) {
            ASSERT_EQ(chown(QFile::encodeName(f).constData(), s_account, s_account), 0);
        }
        // A passwd of our own, seen only inside the helper's mount namespace.
        m_passwd = m_tree.file(QStringLiteral("passwd"), 0);
        QFile passwd(m_passwd);
        ASSERT_TRUE(passwd.open(QIODevice::WriteOnly));
        passwd.write("root:x:0:0:root:/root:/bin/sh\nnobody:x:65534:65534::/nonexistent:/bin/"
                     "sh\nbrimtest:x:4242:4242::"
            + QFile::encodeName(m_tree.home()) + ":/bin/sh\n");
    }

    // The helper with PKEXEC_UID set (by default to the account above, which
    // exists in the helper's passwd).
    HelperRun run(const QStringList &arguments, const QString &uid = QStringLiteral("4242")) const
    {
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("PKEXEC_UID"), uid);
        process.setProcessEnvironment(env);
        process.start(QStringLiteral("unshare"),
            privately("mount --bind \"$0\" /etc/passwd && exec \"$@\"")
                + QStringList { m_passwd, QString::fromStdString(removalHelperPath()) } + arguments);
        process.waitForFinished(20000);
        return { process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromUtf8(process.readAllStandardError()).trimmed() };
    }
    QString lib(const char *relative) const
    {
        return m_tree.home() + QStringLiteral("/Library/") + QLatin1String(relative);
    }

    test::ResidualTree m_tree;
    QString m_victim;
    QString m_trashFiles;
    QString m_passwd;
};

} // namespace

TEST_F(HelperAccount, RootsNamedByTheCallerAreRefusedAndNothingChanges)
{
    const QString victimItem = m_tree.base() + QStringLiteral("/victim/Library/Caches/keep");
    const QString hostileTrash = m_tree.base() + QStringLiteral("/victim/Library/Caches");
    const QString me = QStringLiteral("4242"), del = QStringLiteral("delete"), move = QStringLiteral("move");
    const QString cache = lib("Caches/com.acme.foo");
    const QString victimHome = m_tree.base() + QStringLiteral("/victim");
    const struct
    {
        QString uid;
        QStringList arguments;
    } rows[] = {
        // The old form, roots first: never under pkexec.
        { me, { del, victimHome, QStringLiteral("/"), m_trashFiles, victimItem } },
        { me, { move, victimHome, QStringLiteral("/"), hostileTrash, victimItem, QStringLiteral("x") } },
        // The item outside the asking account's home, or the system root not the build's.
        { me, { del, victimItem } },
        { me, { move, victimItem, QStringLiteral("x") } },
        { me, { del, m_tree.root() + QStringLiteral("/Library/Preferences/com.acme.foo.plist") } },
        // Someone else's home: nobody's is not this tree.
        { QStringLiteral("65534"), { del, cache } },
        // No account, or not a number.
        { QStringLiteral("4243"), { del, cache } },
        { QStringLiteral("4242 "), { del, cache } },
        { QString(), { del, cache } },
    };
    for (const auto &row : rows) {
        const HelperRun r = run(row.arguments, row.uid);
        EXPECT_EQ(r.status, 2) << row.arguments.join(QLatin1Char(' ')).toStdString() << ": "
                               << r.reason.toStdString();
        EXPECT_FALSE(r.reason.isEmpty());
    }
    EXPECT_TRUE(QFileInfo::exists(m_victim));
    EXPECT_TRUE(QFileInfo::exists(lib("Caches/com.acme.foo/Cache.db")));
    EXPECT_TRUE(QFileInfo::exists(m_tree.root() + QStringLiteral("/Library/Preferences/com.acme.foo.plist")));
    EXPECT_TRUE(QDir(m_trashFiles).isEmpty());
}

TEST_F(HelperAccount, TheTrashMustBeTheAccountsOwnRealFolders)
{
    const QString trash = m_tree.home() + QStringLiteral("/.local/share/Trash");
    const QString rootOnly = m_tree.base() + QStringLiteral("/rootonly");
    ASSERT_TRUE(QDir(trash).removeRecursively());
    QDir().mkpath(rootOnly + QStringLiteral("/files"));
    const std::function<bool()> trashes[] = {
        // Swapped for a link to a folder of root's.
        [&] { return QFile::link(rootOnly, trash); },
        // A real folder, but root's.
        [&] {
            return unlink(QFile::encodeName(trash).constData()) == 0
                && QDir().mkpath(trash + QStringLiteral("/files"));
        },
    };
    for (const auto &makeTrash : trashes) {
        ASSERT_TRUE(makeTrash());
        const HelperRun r = run({ QStringLiteral("move"), lib("Logs/myfoo.log"), QStringLiteral("a") });
        EXPECT_EQ(r.status, 2) << r.reason.toStdString();
        EXPECT_TRUE(QFileInfo::exists(lib("Logs/myfoo.log")));
        EXPECT_TRUE(QDir(rootOnly + QStringLiteral("/files")).isEmpty());
    }
}

TEST_F(HelperAccount, WorksInTheAccountsHomeAndHandsWhatItMovedToTheAccount)
{
    // A folder of root's with a set-id program inside, as a system package leaves it.
    const QString item = lib("Application Support/Foo");
    const QString program = m_tree.file(QStringLiteral("home/Library/Application Support/Foo/bin/tool"), 4);
    ASSERT_EQ(chmod(QFile::encodeName(program).constData(), 06755), 0);
    ASSERT_EQ(
        symlink("/etc/shadow", QFile::encodeName(item + QStringLiteral("/shadow-link")).constData()), 0);

    HelperRun r = run({ QStringLiteral("move"), item, QStringLiteral("Foo") });
    ASSERT_EQ(r.status, 0) << r.reason.toStdString();
    EXPECT_FALSE(QFileInfo::exists(item));
    const QString moved = m_trashFiles + QStringLiteral("/Foo");
    for (const QString &path : { moved, moved + QStringLiteral("/bin"), moved + QStringLiteral("/bin/tool"),
             moved + QStringLiteral("/shadow-link") }) {
        struct stat st;
        ASSERT_EQ(lstat(QFile::encodeName(path).constData(), &st), 0) << path.toStdString();
        EXPECT_EQ(st.st_uid, s_account) << path.toStdString();
        EXPECT_EQ(st.st_gid, s_account) << path.toStdString();
        EXPECT_EQ(st.st_mode & (S_ISUID | S_ISGID), 0u) << path.toStdString();
    }
    // The link was handed over itself, never followed.
    struct stat shadow;
    ASSERT_EQ(stat("/etc/shadow", &shadow), 0);
    EXPECT_NE(shadow.st_uid, s_account);

    // A taken name is the caller's to change; then a plain removal.
    m_tree.file(QStringLiteral("home/.local/share/Trash/files/myfoo.log"), 1);
    r = run({ QStringLiteral("move"), lib("Logs/myfoo.log"), QStringLiteral("myfoo.log") });
    EXPECT_EQ(r.status, 3) << r.reason.toStdString();
    r = run({ QStringLiteral("delete"), lib("Caches/com.acme.foo") });
    EXPECT_EQ(r.status, 0) << r.reason.toStdString();
    EXPECT_FALSE(QFileInfo::exists(lib("Caches/com.acme.foo")));
}

TEST_F(HelperAccount, AFileWithOtherHardLinksKeepsItsOwnerWhenMoved)
{
    // Another account's file and one of root's, linked into the account's Library.
    const QString theirs = m_tree.file(QStringLiteral("victim/theirs"), 1);
    const QString roots = m_tree.file(QStringLiteral("victim/roots"), 1);
    ASSERT_EQ(chown(QFile::encodeName(theirs).constData(), 5555, 5555), 0);
    const QString item = lib("Application Support/Foo");
    m_tree.file(QStringLiteral("home/Library/Application Support/Foo/own"), 1);
    ASSERT_EQ(link(QFile::encodeName(roots).constData(),
                  QFile::encodeName(item + QStringLiteral("/linked")).constData()),
        0);
    ASSERT_EQ(link(QFile::encodeName(theirs).constData(), QFile::encodeName(lib("Caches/x")).constData()), 0);

    for (const QString &path : { item, lib("Caches/x") }) {
        const HelperRun r = run({ QStringLiteral("move"), path, QFileInfo(path).fileName() });
        ASSERT_EQ(r.status, 0) << r.reason.toStdString();
    }
    const std::pair<QString, uid_t> owners[]
        = { { theirs, 5555 }, { roots, 0 }, { m_trashFiles + QStringLiteral("/Foo"), s_account },
              { m_trashFiles + QStringLiteral("/Foo/own"), s_account } };
    for (const auto &[path, owner] : owners) {
        struct stat st;
        ASSERT_EQ(lstat(QFile::encodeName(path).constData(), &st), 0) << path.toStdString();
        EXPECT_EQ(st.st_uid, owner) << path.toStdString();
    }
}
