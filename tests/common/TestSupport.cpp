#include "TestSupport.h"

#include "platform/base/SystemPaths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QThread>

namespace brimlark::test {

TemporaryRoots::TemporaryRoots()
{
    QDir(m_dir.path()).mkpath(QStringLiteral("home"));
    QDir(m_dir.path()).mkpath(QStringLiteral("root"));
    SystemPaths::overrideRoots(home().toStdString(), root().toStdString());
}

TemporaryRoots::~TemporaryRoots()
{
    SystemPaths::overrideRoots({}, {});
}

QString TemporaryRoots::home() const
{
    return m_dir.path() + QStringLiteral("/home");
}

QString TemporaryRoots::root() const
{
    return m_dir.path() + QStringLiteral("/root");
}

bool TemporaryRoots::writeFile(const QString &path, const QByteArray &contents)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        return false;
    }
    return f.write(contents) == contents.size();
}

bool waitUntil(const std::function<bool()> &condition, int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    while (!condition()) {
        if (deadline.hasExpired()) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(1);
    }
    return true;
}

} // namespace brimlark::test
