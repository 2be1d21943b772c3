#include "model/AppDiscovery.h"

#include "model/AppFinder.h"
#include "model/AppScanner.h"
#include "model/FileItem.h"

#include <QMetaObject>
#include <QUrl>

namespace brimlark {

namespace {
AppDiscovery::Services withDefaults(AppDiscovery::Services services)
{
    if (!services.folders) {
        services.folders = &AppScanner::applicationFolders;
    }
    if (!services.scanner) {
        services.scanner = &AppScanner::scan;
    }
    if (!services.recentDocuments) {
        services.recentDocuments = [] { return RecentDocuments().fetch(); };
    }
    return services;
}
} // namespace

AppDiscovery::AppDiscovery(AppFinder &finder, QObject *parent) : AppDiscovery(finder, Services{}, parent)
{
}

AppDiscovery::AppDiscovery(AppFinder &finder, Services services, QObject *parent)
    : QObject(parent)
    , m_finder(&finder)
    , m_services(withDefaults(std::move(services)))
    , m_watcher(std::move(m_services.rescanTimer), m_services.console)
{
    m_pool.setMaxThreadCount(2);
    finder.setScanAppsHook([this] { scanApps(); });
    finder.setStartMonitoringHook([this] { startMonitoring(); });
    finder.setRecentFilesHook([this] { fetchRecentFiles(); });
    if (m_services.iconPrefetch) {
        finder.setIconPrefetchHook(m_services.iconPrefetch);
    }
    // The catalog may have other hooks by then; go through it.
    connect(&m_watcher, &AppFolderWatcher::rescanRequested, this, [this] {
        if (m_finder) {
            m_finder->scanApps();
        }
    });
}

AppDiscovery::~AppDiscovery()
{
    // The catalog may outlive us: leave it no hook that points here.
    if (m_finder) {
        m_finder->setScanAppsHook({});
        m_finder->setStartMonitoringHook({});
        m_finder->setRecentFilesHook({});
    }
    m_pool.clear();
    m_pool.waitForDone();
}

void AppDiscovery::scanApps()
{
    if (!m_finder) {
        return;
    }
    const quint64 generation = m_finder->beginScan();
    const QStringList folders = m_services.folders();
    auto scanner = m_services.scanner;
    m_pool.start([this, scanner, folders, generation] {
        QList<AppItem> apps = scanner(folders);
        // Queued to this object: dropped if it is gone by then. The catalog
        // itself drops a scan that a newer one has overtaken.
        QMetaObject::invokeMethod(
            this,
            [this, apps = std::move(apps), generation] {
                if (m_finder) {
                    m_finder->publishScan(apps, generation);
                }
            },
            Qt::QueuedConnection);
    });
}

void AppDiscovery::startMonitoring()
{
    m_watcher.startMonitoring(m_services.folders());
}

void AppDiscovery::fetchRecentFiles()
{
    const quint64 generation = ++m_recentGeneration;
    auto fetch = m_services.recentDocuments;
    m_pool.start([this, fetch, generation] {
        QList<RecentDocuments::Document> documents = fetch();
        QMetaObject::invokeMethod(
            this,
            [this, documents = std::move(documents), generation] {
                if (generation != m_recentGeneration || !m_finder) {
                    return;
                }
                QList<FileItem> files;
                files.reserve(documents.size());
                for (const auto &doc : documents) {
                    files.append(FileItem(doc.displayName, doc.path, QUrl::fromLocalFile(doc.path)));
                }
                m_finder->setRecentFiles(std::move(files));
            },
            Qt::QueuedConnection);
    });
}

bool AppDiscovery::waitForBackground(int msecs)
{
    return m_pool.waitForDone(msecs);
}

} // namespace brimlark
