#pragma once

#include "uninstaller/AppResidualFile.h"
#include "uninstaller/ResidualRemoval.h"
#include "uninstaller/ScanStage.h"

#include <QFuture>
#include <QList>
#include <QMap>
#include <QObject>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

class QThreadPool;

namespace brimlark {

class AdminRunner;
class Trash;

// One per uninstall sheet: finds what an application leaves in the Library
// folders, holds the selection, and removes it. Lives on the GUI thread;
// scanning and removal run on a pool and publish back here.
class AppUninstallerScanner : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QString scanStage READ scanStageText NOTIFY scanStageChanged)
    Q_PROPERTY(double scanProgress READ scanProgress NOTIFY scanProgressChanged)
    Q_PROPERTY(bool isScanning READ isScanning NOTIFY isScanningChanged)
    Q_PROPERTY(bool isSystemApp READ isSystemApp NOTIFY isSystemAppChanged)
    Q_PROPERTY(int selectedCount READ selectedCount NOTIFY residualFilesChanged)
    Q_PROPERTY(int totalCount READ totalCount NOTIFY residualFilesChanged)
    Q_PROPERTY(QString formattedTotalSize READ formattedTotalSize NOTIFY residualFilesChanged)

public:
    using DeletionMethod = brimlark::DeletionMethod;

    struct Services
    {
        QString home;
        QString systemRoot;
        // CFBundleIdentifier of the bundle at a path; none when unreadable.
        std::function<std::optional<QString>(const QString &bundlePath)> bundleIdentifier;
        // Defaults to isDeletableFile; the path as the file system spells it.
        std::function<bool(const QByteArray &path)> isDeletable;
        AdminRunner *adminRunner = nullptr;
        Trash *trash = nullptr;
        // Defaults to the global pool.
        QThreadPool *pool = nullptr;
    };

    explicit AppUninstallerScanner(Services services, QObject *parent = nullptr);
    ~AppUninstallerScanner() override;

    const QList<AppResidualFile> &residualFiles() const { return m_residualFiles; }
    const QString &home() const { return m_services.home; }
    ScanStage scanStage() const { return m_scanStage; }
    QString scanStageText() const { return ScanStages::statusLine(m_scanStage); }
    double scanProgress() const { return m_scanProgress; }
    bool isScanning() const { return m_isScanning; }
    bool isSystemApp() const { return m_isSystemApp; }

    QMap<ResidualCategory, QList<AppResidualFile>> filesByCategory() const;
    QList<AppResidualFile> selectedFiles() const;
    qint64 totalSelectedSize() const;
    QString formattedTotalSize() const;
    int selectedCount() const;
    int totalCount() const { return int(m_residualFiles.size()); }

    void toggleSelection(const AppResidualFile &file);
    void selectAll(ResidualCategory category);
    void deselectAll(ResidualCategory category);
    bool isAllSelected(ResidualCategory category) const;
    void selectAll();
    void deselectAll();

    // Starts a scan of the application (name without ".app", bundle path) and
    // returns at once; a newer scan supersedes an older one's results.
    void scan(const QString &appName, const QString &bundlePath);

    // Takes the selection as it is now, on the GUI thread, and removes it on
    // the pool. Removed entries leave residualFiles before the future finishes.
    QFuture<RemovalResult> removeSelectedFiles(DeletionMethod method);

signals:
    void residualFilesChanged();
    void scanStageChanged();
    void scanProgressChanged();
    void isScanningChanged();
    void isSystemAppChanged();

private:
    struct Link;
    void post(std::function<void(AppUninstallerScanner &)> update) const;
    void setSelected(qsizetype index, bool selected);
    void setAll(const std::function<bool(const AppResidualFile &)> &which, bool selected);
    bool underSystemFolder(const QString &path) const;

    Services m_services;
    std::shared_ptr<Link> m_link;
    quint64 m_scanGeneration = 0;

    QList<AppResidualFile> m_residualFiles;
    ScanStage m_scanStage = ScanStage::idle;
    double m_scanProgress = 0;
    bool m_isScanning = false;
    bool m_isSystemApp = false;
};

} // namespace brimlark
