#include "uninstaller/AppUninstallerScanner.h"

#include "uninstaller/ByteCountFormatter.h"
#include "uninstaller/DeletionProbe.h"
#include "uninstaller/ResidualScan.h"
#include "uninstaller/helper/SafeRemoval.h"

#include <QMutex>
#include <QPromise>
#include <QThreadPool>

namespace brimlark {

namespace {
QString cleanedRoot(const QString &path)
{
    return path.isEmpty() ? path : QString::fromStdString(SafeRemoval::cleaned(path.toStdString()));
}
} // namespace

// Workers reach the scanner only through this link, which the scanner cuts
// when it goes; a worker that outlives it posts nothing.
struct AppUninstallerScanner::Link
{
    QMutex mutex;
    AppUninstallerScanner *scanner = nullptr;

    void post(std::function<void(AppUninstallerScanner &)> update)
    {
        QMutexLocker lock(&mutex);
        if (scanner) {
            AppUninstallerScanner *target = scanner;
            QMetaObject::invokeMethod(
                target, [target, update = std::move(update)] { update(*target); }, Qt::QueuedConnection);
        }
    }
    bool alive()
    {
        QMutexLocker lock(&mutex);
        return scanner != nullptr;
    }
};

AppUninstallerScanner::AppUninstallerScanner(Services services, QObject *parent)
    : QObject(parent)
    , m_services(std::move(services))
    , m_link(std::make_shared<Link>())
{
    if (!m_services.isDeletable) {
        m_services.isDeletable = [](const QByteArray &path) { return isDeletableFile(path); };
    }
    // Once, here: "/x//home" or "/x/./home" would make every path built on it
    // one that the removal refuses as not plainly written.
    m_services.home = cleanedRoot(m_services.home);
    m_services.systemRoot = cleanedRoot(m_services.systemRoot);
    if (!m_services.pool) {
        m_services.pool = QThreadPool::globalInstance();
    }
    m_link->scanner = this;
}

AppUninstallerScanner::~AppUninstallerScanner()
{
    QMutexLocker lock(&m_link->mutex);
    m_link->scanner = nullptr;
}

void AppUninstallerScanner::post(std::function<void(AppUninstallerScanner &)> update) const
{
    m_link->post(std::move(update));
}

QMap<ResidualCategory, QList<AppResidualFile>> AppUninstallerScanner::filesByCategory() const
{
    QMap<ResidualCategory, QList<AppResidualFile>> groups;
    for (const AppResidualFile &f : m_residualFiles) {
        groups[f.category].append(f);
    }
    return groups;
}

QList<AppResidualFile> AppUninstallerScanner::selectedFiles() const
{
    QList<AppResidualFile> selected;
    for (const AppResidualFile &f : m_residualFiles) {
        if (f.isSelected) {
            selected.append(f);
        }
    }
    return selected;
}

qint64 AppUninstallerScanner::totalSelectedSize() const
{
    qint64 total = 0;
    for (const AppResidualFile &f : m_residualFiles) {
        if (f.isSelected) {
            total += f.sizeBytes;
        }
    }
    return total;
}

QString AppUninstallerScanner::formattedTotalSize() const
{
    return formatFileByteCount(totalSelectedSize());
}

int AppUninstallerScanner::selectedCount() const
{
    return int(std::count_if(m_residualFiles.cbegin(), m_residualFiles.cend(),
        [](const AppResidualFile &f) { return f.isSelected; }));
}

void AppUninstallerScanner::setSelected(qsizetype index, bool selected)
{
    m_residualFiles[index].isSelected = selected;
    emit residualFilesChanged();
}

void AppUninstallerScanner::toggleSelection(const AppResidualFile &file)
{
    for (qsizetype i = 0; i < m_residualFiles.size(); ++i) {
        if (m_residualFiles[i].id == file.id) {
            setSelected(i, !m_residualFiles[i].isSelected);
            return;
        }
    }
}

void AppUninstallerScanner::setAll(const std::function<bool(const AppResidualFile &)> &which, bool selected)
{
    // One change for the whole operation, and none when nothing moved.
    bool changed = false;
    for (AppResidualFile &f : m_residualFiles) {
        if (which(f) && f.isSelected != selected) {
            f.isSelected = selected;
            changed = true;
        }
    }
    if (changed) {
        emit residualFilesChanged();
    }
}

void AppUninstallerScanner::selectAll(ResidualCategory category)
{
    setAll([category](const AppResidualFile &f) { return f.category == category; }, true);
}

void AppUninstallerScanner::deselectAll(ResidualCategory category)
{
    setAll([category](const AppResidualFile &f) { return f.category == category; }, false);
}

bool AppUninstallerScanner::isAllSelected(ResidualCategory category) const
{
    bool any = false;
    for (const AppResidualFile &f : m_residualFiles) {
        if (f.category == category) {
            any = true;
            if (!f.isSelected) {
                return false;
            }
        }
    }
    return any;
}

void AppUninstallerScanner::selectAll()
{
    setAll([](const AppResidualFile &) { return true; }, true);
}

void AppUninstallerScanner::deselectAll()
{
    setAll([](const AppResidualFile &) { return true; }, false);
}

bool AppUninstallerScanner::underSystemFolder(const QString &path) const
{
    const QString root = m_services.systemRoot == QLatin1String("/") ? QString() : m_services.systemRoot;
    return path.startsWith(QLatin1String("/System/")) || path.startsWith(root + QStringLiteral("/System/"));
}

void AppUninstallerScanner::scan(const QString &appName, const QString &bundlePath)
{
    const quint64 generation = ++m_scanGeneration;
    m_residualFiles.clear();
    emit residualFilesChanged();
    m_isScanning = true;
    emit isScanningChanged();
    m_scanProgress = 0;
    emit scanProgressChanged();

    const bool system = underSystemFolder(bundlePath);
    post([system](AppUninstallerScanner &s) {
        s.m_isSystemApp = system;
        emit s.isSystemAppChanged();
    });

    ResidualScan::Input input;
    input.appName = appName;
    input.bundlePath = bundlePath;
    input.home = m_services.home;
    input.systemRoot = m_services.systemRoot;
    input.isDeletable = m_services.isDeletable;

    // The bundle is read on the worker too: nothing on disk is touched from
    // the GUI thread.
    m_services.pool->start([link = m_link, input = std::move(input), generation,
                               bundleIdentifier = m_services.bundleIdentifier]() mutable {
        if (!link->alive()) {
            return;
        }
        input.bundleID = bundleIdentifier ? bundleIdentifier(input.bundlePath) : std::nullopt;
        input.otherApps = ResidualScan::installedApplications(
            input.home, input.systemRoot, input.bundlePath, bundleIdentifier);
        // Updates of a superseded scan are dropped on arrival.
        const auto publish = [&link, generation](std::function<void(AppUninstallerScanner &)> update) {
            link->post([generation, update = std::move(update)](AppUninstallerScanner &s) {
                if (s.m_scanGeneration == generation) {
                    update(s);
                }
            });
        };
        QList<AppResidualFile> found = ResidualScan::run(input, [&publish](ScanStage stage, double progress) {
            publish([stage, progress](AppUninstallerScanner &s) {
                s.m_scanStage = stage;
                emit s.scanStageChanged();
                s.m_scanProgress = progress;
                emit s.scanProgressChanged();
            });
        });
        publish([found = std::move(found)](AppUninstallerScanner &s) {
            s.m_residualFiles = found;
            emit s.residualFilesChanged();
            s.m_scanStage = ScanStage::done;
            emit s.scanStageChanged();
            s.m_scanProgress = 1;
            emit s.scanProgressChanged();
            s.m_isScanning = false;
            emit s.isScanningChanged();
        });
    });
}

QFuture<RemovalResult> AppUninstallerScanner::removeSelectedFiles(DeletionMethod method)
{
    ResidualRemoval::Context context;
    context.home = m_services.home;
    context.systemRoot = m_services.systemRoot;
    context.isSystemApp = m_isSystemApp;
    context.adminRunner = m_services.adminRunner;
    context.trash = m_services.trash;

    auto promise = std::make_shared<QPromise<RemovalResult>>();
    QFuture<RemovalResult> future = promise->future();
    promise->start();
    m_services.pool->start([link = m_link, context, method, selection = selectedFiles(), promise] {
        RemovalResult result = ResidualRemoval::run(context, method, selection);
        // Posted before the future finishes, so a continuation sees the list updated.
        link->post([removed = result.removedPaths](AppUninstallerScanner &s) {
            if (removed.isEmpty()) {
                return;
            }
            s.m_residualFiles.removeIf(
                [&removed](const AppResidualFile &f) { return removed.contains(f.fileSystemPath()); });
            emit s.residualFilesChanged();
        });
        promise->addResult(std::move(result));
        promise->finish();
    });
    return future;
}

} // namespace brimlark
