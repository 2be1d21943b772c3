#include "model/AppFolderWatcher.h"

#include <QFileInfo>

#include <cstdio>

namespace brimlark {

AppFolderWatcher::AppFolderWatcher(Scheduler &scheduler, Console console, QObject *parent)
    : QObject(parent)
    , m_scheduler(scheduler)
    , m_console(console ? std::move(console) : Console(&AppFolderWatcher::printLine))
{
    connect(&m_watcher, &QFileSystemWatcher::directoryChanged, this, [this] { scheduleRescan(); });
}

AppFolderWatcher::~AppFolderWatcher()
{
    if (m_pendingRescan) {
        m_scheduler.cancel(*m_pendingRescan);
    }
}

void AppFolderWatcher::printLine(const QString &line)
{
    std::fputs(line.toUtf8().constData(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

int AppFolderWatcher::startMonitoring(const QStringList &folders)
{
    const QStringList watched = m_watcher.directories();
    for (const QString &folder : folders) {
        if (watched.contains(folder) || !QFileInfo(folder).isDir()) {
            continue;
        }
        // A folder that cannot be watched (no permission, no watches left) is skipped.
        m_watcher.addPath(folder);
    }
    const int count = int(m_watcher.directories().size());
    m_console(QStringLiteral("📡 Monitoring %1 directories for app changes").arg(count));
    return count;
}

QStringList AppFolderWatcher::watchedFolders() const
{
    return m_watcher.directories();
}

void AppFolderWatcher::scheduleRescan()
{
    if (m_pendingRescan) {
        m_scheduler.cancel(*m_pendingRescan);
    }
    m_pendingRescan = m_scheduler.schedule(std::chrono::milliseconds(DebounceMsec), [this] {
        m_pendingRescan.reset();
        m_console(QStringLiteral("🔄 Rescanning apps due to file system change..."));
        emit rescanRequested();
    });
}

} // namespace brimlark
