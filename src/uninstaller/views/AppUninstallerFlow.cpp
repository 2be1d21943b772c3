#include "uninstaller/views/AppUninstallerFlow.h"

#include "platform/base/DiskAccess.h"
#include "platform/core/Scheduler.h"
#include "platform/gui/AppIconImageProvider.h"
#include "uninstaller/AppUninstallerScanner.h"
#include "uninstaller/ByteCountFormatter.h"
#include "uninstaller/views/ResidualListModel.h"
#include "uninstaller/views/UninstallerServices.h"
#include "views/EnabledStateAccessibility.h"

#include <QFileInfo>
#include <QFuture>

namespace brimlark {

namespace {

constexpr qsizetype shownErrors = 3;

QStringList firstErrors(const QStringList &errors)
{
    return errors.mid(0, shownErrors);
}

} // namespace

AppUninstallerFlow::Outcome AppUninstallerFlow::outcomeOf(const RemovalResult &result)
{
    Outcome outcome;
    if (result.removedCount >= 1) {
        outcome.done = DeletionResult { result.removedCount, result.freedBytes, result.errors };
        return outcome;
    }
    if (result.errors.isEmpty()) {
        outcome.alertMessage
            = QStringLiteral("No items were selected or all selected files were already deleted.");
    } else if (std::all_of(result.errors.cbegin(), result.errors.cend(),
                   [](const QString &e) { return e.contains(QLatin1String("No permission")); })) {
        outcome.alertMessage
            = QStringLiteral("All selected files are owned by macOS or require administrator access to "
                             "delete. These files are "
                             "shown with a lock icon and have been automatically deselected.");
    } else {
        outcome.alertMessage = firstErrors(result.errors).join(QLatin1Char('\n'));
    }
    return outcome;
}

QString AppUninstallerFlow::displayPath(const QString &path, const QString &home)
{
    QString base = home;
    while (base.endsWith(QLatin1Char('/'))) {
        base.chop(1);
    }
    // Only the home folder itself: "/home/al" is not the start of "/home/alice".
    if (base.isEmpty() || !path.startsWith(base)) {
        return path;
    }
    if (path.size() == base.size() || path.at(base.size()) == QLatin1Char('/')) {
        return QLatin1Char('~') + path.mid(base.size());
    }
    return path;
}

QString AppUninstallerFlow::iconForFile(const QString &path, bool isDirectory)
{
    if (isDirectory) {
        return QStringLiteral("folder.fill");
    }
    const QString extension = QFileInfo(path).suffix().toLower();
    if (extension == QLatin1String("plist")) {
        return QStringLiteral("doc.text.fill");
    }
    if (extension == QLatin1String("log")) {
        return QStringLiteral("doc.plaintext.fill");
    }
    if (extension == QLatin1String("crash")) {
        return QStringLiteral("exclamationmark.triangle.fill");
    }
    if (extension == QLatin1String("pem") || extension == QLatin1String("cer")) {
        return QStringLiteral("lock.doc.fill");
    }
    return QStringLiteral("doc.fill");
}

QString AppUninstallerFlow::itemCountText(qsizetype count)
{
    return QStringLiteral("(%1 item%2)").arg(count).arg(count == 1 ? QString() : QStringLiteral("s"));
}

AppUninstallerFlow::AppUninstallerFlow(QObject *parent)
    : QObject(parent)
    , m_files(new ResidualListModel(this))
{
    installEnabledStateAccessibility();
}

AppUninstallerFlow::~AppUninstallerFlow()
{
    stopPolling();
}

void AppUninstallerFlow::setServices(UninstallerServices *services)
{
    if (services == m_services) {
        return;
    }
    m_services = services;
    emit servicesChanged();
}

QUrl AppUninstallerFlow::appIconSource() const
{
    return m_appPath.isEmpty() ? QUrl() : AppIconImageProvider::urlForPath(m_appPath);
}

QString AppUninstallerFlow::scanStage() const
{
    return m_scanner ? m_scanner->scanStageText() : ScanStages::statusLine(ScanStage::idle);
}

double AppUninstallerFlow::scanProgress() const
{
    return m_scanner ? m_scanner->scanProgress() : 0;
}

bool AppUninstallerFlow::isSystemApp() const
{
    return m_scanner && m_scanner->isSystemApp();
}

int AppUninstallerFlow::totalCount() const
{
    return m_scanner ? m_scanner->totalCount() : 0;
}

int AppUninstallerFlow::selectedCount() const
{
    return m_scanner ? m_scanner->selectedCount() : 0;
}

QString AppUninstallerFlow::formattedTotalSize() const
{
    return formatFileByteCount(m_scanner ? m_scanner->totalSelectedSize() : 0);
}

bool AppUninstallerFlow::canRemove() const
{
    return selectedCount() > 0 && !isSystemApp() && !m_isRemoving;
}

QString AppUninstallerFlow::resultLine() const
{
    if (!m_deletionResult) {
        return {};
    }
    return QStringLiteral("Removed %1 items · Freed %2")
        .arg(m_deletionResult->removedCount)
        .arg(formatFileByteCount(m_deletionResult->freedBytes));
}

QString AppUninstallerFlow::errorHeading() const
{
    if (!m_deletionResult || m_deletionResult->errors.isEmpty()) {
        return {};
    }
    return QStringLiteral("%1 item(s) could not be removed:").arg(m_deletionResult->errors.size());
}

QStringList AppUninstallerFlow::errorLines() const
{
    QStringList lines;
    if (m_deletionResult) {
        for (const QString &e : firstErrors(m_deletionResult->errors)) {
            lines.append(QStringLiteral("• ") + e);
        }
    }
    return lines;
}

void AppUninstallerFlow::setShowPermanentDeleteAlert(bool shown)
{
    if (shown != m_showPermanentDeleteAlert) {
        m_showPermanentDeleteAlert = shown;
        emit alertsChanged();
    }
}

QString AppUninstallerFlow::permanentDeleteMessage() const
{
    return QStringLiteral("This will permanently delete %1 items (%2). This cannot be undone.")
        .arg(selectedCount())
        .arg(formattedTotalSize());
}

void AppUninstallerFlow::setShowPermissionError(bool shown)
{
    if (shown != m_showPermissionError) {
        m_showPermissionError = shown;
        emit alertsChanged();
    }
}

void AppUninstallerFlow::setStage(UninstallerStage stage, bool animated)
{
    if (stage == m_stage && animated == m_animateStage) {
        return;
    }
    m_stage = stage;
    m_animateStage = animated;
    emit stageChanged();
}

void AppUninstallerFlow::appeared(const QString &appName, const QString &appPath)
{
    if (!m_services) {
        return;
    }
    m_appName = appName;
    m_appPath = appPath;
    emit appChanged();
    if (!m_scanner) {
        m_scanner = m_services->makeScanner();
        m_home = m_scanner->home();
        connect(m_scanner.get(), &AppUninstallerScanner::scanStageChanged, this,
            &AppUninstallerFlow::scanChanged);
        connect(m_scanner.get(), &AppUninstallerScanner::scanProgressChanged, this,
            &AppUninstallerFlow::scanChanged);
        connect(m_scanner.get(), &AppUninstallerScanner::isSystemAppChanged, this, [this] {
            emit scanChanged();
            emit removingChanged();
        });
        connect(m_scanner.get(), &AppUninstallerScanner::residualFilesChanged, this, [this] {
            m_files->setFiles(m_scanner->residualFiles(), m_home);
            emit selectionChanged();
            emit removingChanged();
        });
        // The scan publishes its done stage before it stops scanning.
        connect(m_scanner.get(), &AppUninstallerScanner::isScanningChanged, this, [this] {
            if (m_stage == UninstallerStage::scanning && !m_scanner->isScanning()
                && m_scanner->scanStage() == ScanStage::done) {
                setStage(UninstallerStage::review, true);
            }
        });
    }
    if (m_services->diskAccess.hasAccess()) {
        startScan(false);
    } else {
        setStage(UninstallerStage::checkingAccess, false);
    }
}

void AppUninstallerFlow::startScan(bool animated)
{
    // Into the scanning stage first: the scan's end moves on from there.
    setStage(UninstallerStage::scanning, animated);
    m_scanner->scan(m_appName, m_appPath);
}

void AppUninstallerFlow::disappeared()
{
    stopPolling();
}

void AppUninstallerFlow::openSystemSettings()
{
    if (!m_services) {
        return;
    }
    m_services->diskAccess.openSystemSettings();
    startAccessPolling();
}

void AppUninstallerFlow::startAccessPolling()
{
    stopPolling();
    scheduleTick();
}

void AppUninstallerFlow::scheduleTick()
{
    m_pollTask = m_services->scheduler.schedule(std::chrono::milliseconds(accessPollMs), [this] {
        m_pollTask = 0;
        if (!m_services || !m_services->diskAccess.hasAccess()) {
            if (m_services) {
                scheduleTick();
            }
            return;
        }
        emit pollingChanged();
        startScan(true);
    });
    emit pollingChanged();
}

void AppUninstallerFlow::stopPolling()
{
    if (m_pollTask != 0) {
        if (m_services) {
            m_services->scheduler.cancel(m_pollTask);
        }
        m_pollTask = 0;
        emit pollingChanged();
    }
}

void AppUninstallerFlow::performDeletion(Method method)
{
    // One removal at a time: the selection it took stays what it removes.
    if (!m_scanner || m_isRemoving) {
        return;
    }
    m_isRemoving = true;
    emit removingChanged();
    QFuture<RemovalResult> removal = m_scanner->removeSelectedFiles(
        method == Method::permanent ? DeletionMethod::permanent : DeletionMethod::trash);
    removal.then(this, [this](const RemovalResult &result) { finishRemoval(result); });
}

void AppUninstallerFlow::finishRemoval(const RemovalResult &result)
{
    m_isRemoving = false;
    emit removingChanged();
    Outcome outcome = outcomeOf(result);
    if (!outcome.done) {
        m_permissionErrorMessage = outcome.alertMessage;
        m_showPermissionError = true;
        emit alertsChanged();
        return;
    }
    m_deletionResult = std::move(outcome.done);
    emit resultChanged();
    setStage(UninstallerStage::done, true);
}

void AppUninstallerFlow::toggleSelection(const QString &id)
{
    if (!m_scanner || m_isRemoving) {
        return;
    }
    const QUuid uuid = QUuid::fromString(id);
    for (const AppResidualFile &f : m_scanner->residualFiles()) {
        // A locked entry is not toggled from its row.
        if (f.id == uuid && f.isUserDeletable) {
            m_scanner->toggleSelection(f);
            return;
        }
    }
}

void AppUninstallerFlow::selectAll()
{
    if (m_scanner && !m_isRemoving) {
        m_scanner->selectAll();
    }
}

void AppUninstallerFlow::deselectAll()
{
    if (m_scanner && !m_isRemoving) {
        m_scanner->deselectAll();
    }
}

void AppUninstallerFlow::toggleCategory(const QString &categoryId)
{
    const std::optional<ResidualCategory> category = ResidualCategories::fromId(categoryId);
    if (!m_scanner || m_isRemoving || !category) {
        return;
    }
    if (m_scanner->isAllSelected(*category)) {
        m_scanner->deselectAll(*category);
    } else {
        m_scanner->selectAll(*category);
    }
}

} // namespace brimlark
