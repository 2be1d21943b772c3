#pragma once

#include "platform/core/Scheduler.h"

#include <QFileSystemWatcher>
#include <QHash>
#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

namespace brimlark {

// Watches the application folders (their entries, not deeper) and asks for
// one rescan a second after the last change of a burst. Main thread only.
class AppFolderWatcher : public QObject
{
    Q_OBJECT
public:
    using Console = std::function<void(const QString &line)>;
    static constexpr int DebounceMsec = 1000;

    // The wait goes through the scheduler; without a console lines go to
    // the model's log category (standard output in the program).
    explicit AppFolderWatcher(Scheduler &scheduler, Console console = {}, QObject *parent = nullptr);
    ~AppFolderWatcher() override;

    // Watches each folder that exists and is not watched yet, then writes
    // "📡 Monitoring N directories for app changes". Returns N, the number
    // of folders watched. A folder that is removed stops being watched; one
    // that does not exist yet is watched from its parent, and once it
    // appears it is watched and a rescan follows.
    int startMonitoring(const QStringList &folders);
    QStringList watchedFolders() const;

    // Once monitoring: watches these bundles (the bundle, Contents and
    // Contents/Resources) instead of those given before, so that a bundle
    // still being copied is read again when its files arrive. At most
    // MaxWatchedBundles.
    void watchBundles(const QStringList &bundles);
    QStringList watchedBundleFolders() const;
    static constexpr int MaxWatchedBundles = 256;

    // (Re)starts the one-second wait for a rescan.
    void scheduleRescan();

    static void printLine(const QString &line);

signals:
    // After "🔄 Rescanning apps due to file system change..." was written.
    void rescanRequested();

private:
    struct Identity
    {
        quint64 device = 0;
        quint64 inode = 0;
        bool operator==(const Identity &) const = default;
    };
    static std::optional<Identity> identityOf(const QString &path);
    void parentChanged(const QString &parent);

    Scheduler &m_scheduler;
    std::optional<Scheduler::TaskId> m_pendingRescan;
    Console m_console;
    QFileSystemWatcher m_watcher;
    // A folder's own watch says nothing when the folder itself is renamed:
    // its parent's watch notices that the name no longer leads to it.
    QFileSystemWatcher m_parents;
    QHash<QString, Identity> m_identities;
    // Application folders asked for, watched or not (yet).
    QStringList m_wanted;
    bool m_monitoring = false;
    QFileSystemWatcher m_bundles;
};

} // namespace brimlark
