#include "UninstallerFixture.h"

#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sched.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

namespace brimlark::test {

ResidualTree::ResidualTree()
{
    QDir(m_dir.path()).mkpath(QStringLiteral("home/Library"));
    QDir(m_dir.path()).mkpath(QStringLiteral("root/Library"));
}

QString ResidualTree::file(const QString &relative, int size) const
{
    const QString path = m_dir.path() + QLatin1Char('/') + relative;
    TemporaryRoots::writeFile(path, QByteArray(size, 'x'));
    return path;
}

void ResidualTree::makeFooLeftovers() const
{
    file(QStringLiteral("root/Applications/Foo.app/Contents/MacOS/foo"), 30);
    file(QStringLiteral("root/Applications/Foo.app/Contents/.hidden"), 500);
    file(QStringLiteral("home/Library/Preferences/com.acme.foo.plist"), 10);
    file(QStringLiteral("home/Library/Preferences/FooHelper.plist"), 5);
    file(QStringLiteral("home/Library/Preferences/.foo.plist"), 5);
    file(QStringLiteral("home/Library/Preferences/unrelated.plist"), 5);
    file(QStringLiteral("root/Library/Preferences/com.acme.foo.plist"), 7);
    file(QStringLiteral("home/Library/Application Support/Foobar Data/a"), 100);
    file(QStringLiteral("home/Library/Application Support/Foobar Data/.hidden"), 1000);
    file(QStringLiteral("home/Library/Application Support/Foobar Data/.cache/x"), 1000);
    file(QStringLiteral("home/Library/Caches/com.acme.foo/Cache.db"), 4096);
    file(QStringLiteral("home/Library/Logs/myfoo.log"), 3);
    file(QStringLiteral("home/Library/Containers/com.acme.foo/data"), 50);
    file(QStringLiteral("home/Library/Group Containers/ABCD.acme.shared/x"), 20);
    file(QStringLiteral("home/Library/Group Containers/XYZ.other/x"), 20);
    file(QStringLiteral("home/Library/LaunchAgents/com.acme.foo.agent.plist"), 4);
    file(QStringLiteral("root/Library/LaunchDaemons/com.acme.foo.helper.plist"), 6);
    file(QStringLiteral("home/Library/Logs/DiagnosticReports/Foo_2024.crash"), 8);
    file(QStringLiteral("home/Library/Logs/DiagnosticReports/com.acme.bar.crash"), 8);
    file(QStringLiteral("home/Library/Saved Application State/com.acme.foo.savedState/w"), 9);
    file(QStringLiteral("home/Library/Extensions/com.acme.foo.kext/bin"), 11);
    file(QStringLiteral("root/Library/Receipts/com.acme.foo.bom"), 2);
}

std::unique_ptr<AppUninstallerScanner> ScannerWorld::scanner(const std::optional<QString> &bundleIdentifier)
{
    const QString systemLibrary = m_tree.root() + QStringLiteral("/Library/");
    return std::make_unique<AppUninstallerScanner>(AppUninstallerScanner::Services { m_tree.home(),
        m_tree.root(), [bundleIdentifier](const QString &) { return bundleIdentifier; },
        [systemLibrary](const QByteArray &p) { return !QFile::decodeName(p).startsWith(systemLibrary); },
        &admin, &trash, &pool });
}

AdminRunner::Result FakeAdminRunner::run(const std::vector<std::string> &arguments)
{
    {
        QMutexLocker lock(&m_mutex);
        m_calls.push_back(arguments);
    }
    return answer ? answer(arguments) : Result { Outcome::Succeeded, {} };
}

std::vector<std::vector<std::string>> FakeAdminRunner::calls() const
{
    QMutexLocker lock(&m_mutex);
    return m_calls;
}

QString inChild(const std::function<QString()> &body)
{
    int fds[2];
    if (pipe(fds) != 0) {
        return QStringLiteral("pipe failed");
    }
    const pid_t pid = fork();
    if (pid == 0) {
        close(fds[0]);
        const QByteArray out = body().toUtf8();
        (void)!write(fds[1], out.constData(), size_t(out.size()));
        _exit(0);
    }
    close(fds[1]);
    QByteArray result;
    char buffer[1024];
    for (ssize_t n; (n = read(fds[0], buffer, sizeof buffer)) > 0;) {
        result.append(buffer, n);
    }
    close(fds[0]);
    waitpid(pid, nullptr, 0);
    return QString::fromUtf8(result);
}

bool privateMounts()
{
    return unshare(CLONE_NEWNS) == 0 && mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0;
}

bool mountTmpfs(const QString &folder)
{
    QDir().mkpath(folder);
    return mount("tmpfs", QFile::encodeName(folder).constData(), "tmpfs", 0, "size=4m") == 0;
}

bool bindMount(const QString &from, const QString &to)
{
    if (!QFileInfo::exists(to)) {
        QDir().mkpath(to);
    }
    return mount(QFile::encodeName(from).constData(), QFile::encodeName(to).constData(), nullptr, MS_BIND,
               nullptr)
        == 0;
}

bool scanAndWait(AppUninstallerScanner &scanner, const QString &appName, const QString &bundlePath)
{
    scanner.scan(appName, bundlePath);
    return waitUntil([&] { return !scanner.isScanning(); });
}

RemovalResult waitForRemoval(QFuture<RemovalResult> future)
{
    waitUntil([&] { return future.isFinished(); }, 20000);
    // The list update was posted before the future finished.
    QCoreApplication::processEvents();
    return future.result();
}

} // namespace brimlark::test
