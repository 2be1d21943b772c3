#include "model/AppDiscovery.h"

#include "model/AppFinder.h"
#include "model/AppScanner.h"
#include "model/FileItem.h"
#include "platform/base/FreedMemory.h"

#include <QMetaObject>
#include <QMutex>
#include <QThreadPool>
#include <QTimer>
#include <QUrl>

#include <memory>
#include <vector>

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

// Pools of passes that were still running when their discovery went away.
// The process waits for them once more, bounded, as it ends: a pass that
// finishes during the library's own teardown would read freed locale data.
class Stragglers
{
public:
    static Stragglers &instance()
    {
        // Made at the first straggler, after the library's globals the
        // passes use, so it is taken down before them.
        static Stragglers s;
        return s;
    }
    void keep(QThreadPool *pool)
    {
        QMutexLocker lock(&m_mutex);
        m_pools.push_back(pool);
    }
    ~Stragglers()
    {
        for (QThreadPool *pool : m_pools) {
            if (pool->waitForDone(AppDiscovery::ShutdownWaitMsec)) {
                delete pool;
            }
        }
    }

private:
    QMutex m_mutex;
    std::vector<QThreadPool *> m_pools;
};
} // namespace

struct AppDiscovery::Relay
{
    QMutex mutex;
    AppDiscovery *target = nullptr;
};

template <typename Step> void AppDiscovery::post(const std::shared_ptr<Relay> &relay, Step step)
{
    QMutexLocker lock(&relay->mutex);
    if (relay->target) {
        QMetaObject::invokeMethod(relay->target, std::move(step), Qt::QueuedConnection);
    }
}

AppDiscovery::AppDiscovery(AppFinder &finder, Scheduler &scheduler, Services services, QObject *parent)
    : QObject(parent)
    , m_finder(&finder)
    , m_services(withDefaults(std::move(services)))
    , m_watcher(scheduler, m_services.console)
    , m_relay(std::make_shared<Relay>())
    , m_pool(new QThreadPool)
{
    m_relay->target = this;
    m_pool->setMaxThreadCount(2);
    connect(&m_watcher, &AppFolderWatcher::rescanRequested, this, &AppDiscovery::scanApps);
}

AppDiscovery::~AppDiscovery()
{
    {
        QMutexLocker lock(&m_relay->mutex);
        m_relay->target = nullptr;
    }
    m_pool->clear();
    // Reads are bounded and never block, but a slow disk must not hold the
    // quit: a pass still running then keeps its pool to itself.
    if (m_pool->waitForDone(ShutdownWaitMsec)) {
        delete m_pool;
    } else {
        m_watcher.printLine(QStringLiteral("Application scan still running at exit; not waited for"));
        Stragglers::instance().keep(m_pool);
    }
}

void AppDiscovery::scanApps()
{
    if (!m_finder) {
        return;
    }
    const quint64 generation = m_finder->beginScan();
    const QStringList folders = m_services.folders();

    // The collation ranks, the folded names and the file dates are worked out
    // on the pool, so that the publish step collates and folds nothing and
    // reads no file per application; the dates come from the scan's own look
    // at each bundle.
    struct Pass
    {
        QList<AppItem> apps;
        AppFinder::ScanDetails details;
    };
    auto scanner = m_services.scanner;
    m_pool->start([this, relay = m_relay, scanner, folders, generation] {
        auto pass = std::make_shared<Pass>();
        NewlyAddedTracker::ScanDates dates;
        pass->apps = scanner(folders, &dates);
        pass->details = AppFinder::prepareScan(pass->apps, {});
        pass->details.fileDates = std::move(dates);
        // Queued to this object: dropped if it is gone by then. The catalog
        // itself drops a scan that a newer one has overtaken.
        post(relay, [this, pass, generation] {
            if (m_finder && m_finder->publishScan(pass->apps, generation, pass->details)) {
                published(pass->apps);
            }
            // The pass's temporaries stay freed in the pool threads' own
            // allocator arenas, some megabytes at ten thousand applications:
            // handed back once the catalog has its result. (Fewer arenas
            // would hold less, but a start's scan then waits on the same
            // allocator locks as the threads building the window, and the
            // window comes about a third later.)
            QTimer::singleShot(0, this, &releaseFreedMemory);
        });
    });
}

void AppDiscovery::published(const QList<AppItem> &apps)
{
    QStringList unfinished;
    for (const auto &app : apps) {
        if (app.awaitsFiles()) {
            unfinished << app.id();
        }
    }
    m_watcher.watchBundles(unfinished);
    if (m_services.iconPrefetch) {
        QStringList paths;
        QList<quint64> stamps;
        paths.reserve(apps.size());
        stamps.reserve(apps.size());
        for (const auto &app : apps) {
            paths << app.id();
            stamps << app.iconStamp();
        }
        // Speculative decoding must not compete with the first frame; icons
        // the view asks for load on their own pool meanwhile.
        m_finder->defer([prefetch = m_services.iconPrefetch, paths = std::move(paths),
                            stamps = std::move(stamps)] { prefetch(paths, stamps); });
    }
    fetchRecentFiles();
}

void AppDiscovery::startMonitoring()
{
    m_watcher.startMonitoring(m_services.folders());
}

void AppDiscovery::fetchRecentFiles()
{
    const quint64 generation = ++m_recentGeneration;
    auto fetch = m_services.recentDocuments;
    m_pool->start([this, relay = m_relay, fetch, generation] {
        QList<RecentDocuments::Document> documents = fetch();
        post(relay, [this, documents = std::move(documents), generation] {
            if (generation != m_recentGeneration || !m_finder) {
                return;
            }
            QList<FileItem> files;
            files.reserve(documents.size());
            for (const auto &doc : documents) {
                files.append(FileItem(doc.displayName, doc.path, QUrl::fromLocalFile(doc.path)));
            }
            m_finder->setRecentFiles(std::move(files));
        });
    });
}

bool AppDiscovery::waitForBackground(int msecs)
{
    return m_pool->waitForDone(msecs);
}

} // namespace brimlark
