#include "model/AppFolderWatcher.h"

#include "model/ModelLog.h"

#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>

namespace brimlark {

AppFolderWatcher::AppFolderWatcher(Scheduler &scheduler, Console console, QObject *parent)
    : QObject(parent)
    , m_scheduler(scheduler)
    , m_console(console ? std::move(console) : Console(&AppFolderWatcher::printLine))
{
    connect(&m_watcher, &QFileSystemWatcher::directoryChanged, this, [this] { scheduleRescan(); });
    connect(&m_parents, &QFileSystemWatcher::directoryChanged, this, &AppFolderWatcher::parentChanged);
    connect(&m_bundles, &QFileSystemWatcher::directoryChanged, this, [this] { scheduleRescan(); });
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
    // A folder that has appeared under this parent is watched from now on.
    for (const QString &folder : std::as_const(m_wanted)) {
        if (m_identities.contains(folder) || QFileInfo(folder).absolutePath() != parent) {
            continue;
        }
        if (const auto identity = identityOf(folder); identity && m_watcher.addPath(folder)) {
            m_identities.insert(folder, *identity);
            gone = true;
        }
    }
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
    qCInfo(lcModel).noquote() << line;
}

int AppFolderWatcher::startMonitoring(const QStringList &folders)
{
    m_monitoring = true;
    const QStringList watched = m_watcher.directories();
    for (const QString &folder : folders) {
        if (!m_wanted.contains(folder)) {
            m_wanted << folder;
        }
        if (watched.contains(folder)) {
            continue;
        }
        if (!QFileInfo(folder).isDir()) {
            // Made later (the user's own folder, most often): its parent says so.
            const QString parent = QFileInfo(folder).absolutePath();
            if (parent != folder && QFileInfo(parent).isDir() && !m_parents.directories().contains(parent)) {
                m_parents.addPath(parent);
            }
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

void AppFolderWatcher::watchBundles(const QStringList &bundles)
{
    if (!m_monitoring) {
        return;
    }
    QStringList wanted;
    for (const QString &bundle : bundles.mid(0, MaxWatchedBundles)) {
        for (const QString &folder : { bundle, bundle + QStringLiteral("/Contents"),
                 bundle + QStringLiteral("/Contents/Resources") }) {
            if (QFileInfo(folder).isDir()) {
                wanted << folder;
            }
        }
    }
    QStringList stale;
    for (const QString &folder : m_bundles.directories()) {
        if (!wanted.contains(folder)) {
            stale << folder;
        }
    }
    if (!stale.isEmpty()) {
        m_bundles.removePaths(stale);
    }
    const QStringList watched = m_bundles.directories();
    QStringList added;
    for (const QString &folder : std::as_const(wanted)) {
        if (!watched.contains(folder)) {
            added << folder;
        }
    }
    if (!added.isEmpty()) {
        m_bundles.addPaths(added);
    }
}

QStringList AppFolderWatcher::watchedBundleFolders() const
{
    return m_bundles.directories();
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
