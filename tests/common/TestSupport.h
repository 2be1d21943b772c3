#pragma once

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QString>
#include <QTemporaryDir>

#include <functional>
#include <string>

namespace brimlark::test {

// A temporary home and system root for one test; the roots are installed in
// SystemPaths for the test's life and restored afterwards.
class TemporaryRoots
{
public:
    TemporaryRoots();
    ~TemporaryRoots();
    QString home() const;
    QString root() const;
    // Creates a file (and its folders) below the given base.
    static bool writeFile(const QString &path, const QByteArray &contents);

private:
    QTemporaryDir m_dir;
};

// Runs the event loop until the condition holds or the time is up.
bool waitUntil(const std::function<bool()> &condition, int timeoutMs = 5000);

} // namespace brimlark::test
