#include "model/AppFolderWatcher.h"

#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>

#include <cstdio>

namespace brimlark {

AppFolderWatcher::AppFolderWatcher(Scheduler &scheduler, Console console, QObject *parent)
    : QObject(parent)
    , m_scheduler(scheduler)
    , m_console(console ? std::move(console) : Console(&AppFolderWatcher::printLine))
{
    connect(&m_watcher, &QFileSystemWatcher::directoryChanged, this, [this] { scheduleRescan(); });
    connect(&m_parents, &QFileSystemWatcher::directoryChanged, this, &AppFolderWatcher::parentChanged);
}

std::optional<AppFolderWatcher::Identity> AppFolderWatcher::identityOf(const QString &path)
{
    struct stat status = {};
    if (::stat(QFile::encodeName(path).constData(), &status) != 0 || !S_ISDIR(status.st_mode)) {
        return std::nullopt;
    }
    return Identity { quint64(status.st_dev), quint64(status.st_ino) };
}

void AppFolderWatcher::parentChanged(const QString &parent)
{
    bool gone = false;
    for (auto it = m_identities.begin(); it != m_identities.end();) {
        if (QFileInfo(it.key()).absolutePath() != parent || identityOf(it.key()) == it.value()) {
            ++it;
            continue;
        }
        // Renamed or deleted: its watch now follows a folder under another
        // name, or nothing.
        m_watcher.removePath(it.key());
        it = m_identities.erase(it);
        gone = true;
    }
    if (gone) {
        scheduleRescan();
    }
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
        const auto identity = identityOf(folder);
        if (identity && m_watcher.addPath(folder)) {
            m_identities.insert(folder, *identity);
            const QString parent = QFileInfo(folder).absolutePath();
            if (parent != folder && !m_parents.directories().contains(parent)) {
                m_parents.addPath(parent);
            }
        }
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
