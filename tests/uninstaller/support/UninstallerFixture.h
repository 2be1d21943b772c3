#pragma once

#include "platform/base/AdminRunner.h"
#include "platform/base/Trash.h"
#include "uninstaller/AppUninstallerScanner.h"

#include <QMutex>
#include <QTemporaryDir>
#include <QThreadPool>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace brimlark::test {

// A temporary home and system root with files made by relative path.
class ResidualTree
{
public:
    ResidualTree();
    QString home() const { return m_dir.path() + QStringLiteral("/home"); }
    QString root() const { return m_dir.path() + QStringLiteral("/root"); }
    QString base() const { return m_dir.path(); }
    // Writes size bytes at base()/relative, making its folders.
    QString file(const QString &relative, int size) const;
    // The handmade leftovers of an application "Foo" (com.acme.foo).
    void makeFooLeftovers() const;

private:
    QTemporaryDir m_dir;
};

// Records every helper call and answers from a script (default: succeed).
class FakeAdminRunner : public AdminRunner
{
public:
    Result run(const std::vector<std::string> &arguments) override;
    std::vector<std::vector<std::string>> calls() const;
    std::function<Result(const std::vector<std::string> &)> answer;

private:
    mutable QMutex m_mutex;
    std::vector<std::vector<std::string>> m_calls;
};

// What scanners over a tree work with: the Trash in the home's data folder,
// this administrator and a pool of their own (waited for at the end).
// Everything under the system Library is locked: not the user's to remove.
class ScannerWorld
{
    const ResidualTree &m_tree;

public:
    explicit ScannerWorld(const ResidualTree &tree)
        : m_tree(tree)
    {
    }
    ~ScannerWorld() { pool.waitForDone(); }
    // A scanner that reads bundleIdentifier from every bundle.
    std::unique_ptr<AppUninstallerScanner> scanner(const std::optional<QString> &bundleIdentifier = {});

    FakeAdminRunner admin;
    Trash trash { (m_tree.home() + QStringLiteral("/.local/share")).toStdString() };
    QThreadPool pool;
};

// Runs body in a forked child (for limits, mount namespaces and dropped
// rights that must not touch the test process) and returns what it wrote.
QString inChild(const std::function<QString()> &body);
// A private mount namespace for the calling (child) process; false when the
// kernel or the rights do not allow one.
bool privateMounts();
// Mounts a fresh tmpfs at folder (made when missing) in the current namespace.
bool mountTmpfs(const QString &folder);
// Binds a folder or file onto to (a folder made when missing), as `mount --bind` does.
bool bindMount(const QString &from, const QString &to);

// Starts a scan and returns once its results are published.
bool scanAndWait(AppUninstallerScanner &scanner, const QString &appName, const QString &bundlePath);
// Waits for a removal and for the list update posted before it finished.
RemovalResult waitForRemoval(QFuture<RemovalResult> future);

} // namespace brimlark::test
