#pragma once

#include "uninstaller/ResidualCategory.h"
#include "uninstaller/ResidualRemoval.h"
#include "uninstaller/views/ResidualListModel.h"
#include "uninstaller/views/UninstallerServices.h"

#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QUrl>
#include <QtQml/qqmlregistration.h>

#include <memory>
#include <optional>

namespace brimlark {

class AppUninstallerScanner;

// The uninstall sheet's state and rules: which screen shows, the access poll,
// the scan, the selection, the removal and what its result shows. The QML
// view only lays these out.
class AppUninstallerFlow : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(brimlark::UninstallerServices *services READ services WRITE setServices NOTIFY servicesChanged)
    Q_PROPERTY(UninstallerStage stage READ stage NOTIFY stageChanged)
    Q_PROPERTY(bool animateStage READ animateStage NOTIFY stageChanged)
    Q_PROPERTY(QString appName READ appName NOTIFY appChanged)
    Q_PROPERTY(QString appPath READ appPath NOTIFY appChanged)
    Q_PROPERTY(QUrl appIconSource READ appIconSource NOTIFY appChanged)
    Q_PROPERTY(ResidualListModel *files READ files CONSTANT)
    Q_PROPERTY(QString scanStage READ scanStage NOTIFY scanChanged)
    Q_PROPERTY(double scanProgress READ scanProgress NOTIFY scanChanged)
    Q_PROPERTY(bool isSystemApp READ isSystemApp NOTIFY scanChanged)
    Q_PROPERTY(int totalCount READ totalCount NOTIFY selectionChanged)
    Q_PROPERTY(int selectedCount READ selectedCount NOTIFY selectionChanged)
    Q_PROPERTY(QString formattedTotalSize READ formattedTotalSize NOTIFY selectionChanged)
    Q_PROPERTY(bool isRemoving READ isRemoving NOTIFY removingChanged)
    Q_PROPERTY(bool canRemove READ canRemove NOTIFY removingChanged)
    Q_PROPERTY(bool canChangeSelection READ canChangeSelection NOTIFY removingChanged)
    Q_PROPERTY(bool isPolling READ isPolling NOTIFY pollingChanged)
    Q_PROPERTY(bool hasDeletionResult READ hasDeletionResult NOTIFY resultChanged)
    Q_PROPERTY(QString resultLine READ resultLine NOTIFY resultChanged)
    Q_PROPERTY(QString errorHeading READ errorHeading NOTIFY resultChanged)
    Q_PROPERTY(QStringList errorLines READ errorLines NOTIFY resultChanged)
    Q_PROPERTY(bool showPermanentDeleteAlert READ showPermanentDeleteAlert WRITE setShowPermanentDeleteAlert
            NOTIFY alertsChanged)
    Q_PROPERTY(QString permanentDeleteMessage READ permanentDeleteMessage NOTIFY selectionChanged)
    Q_PROPERTY(
        bool showPermissionError READ showPermissionError WRITE setShowPermissionError NOTIFY alertsChanged)
    Q_PROPERTY(QString permissionErrorMessage READ permissionErrorMessage NOTIFY alertsChanged)

public:
    enum class UninstallerStage {
        checkingAccess,
        scanning,
        review,
        done,
    };
    Q_ENUM(UninstallerStage)
    enum class Method {
        trash,
        permanent,
    };
    Q_ENUM(Method)

    struct DeletionResult
    {
        qint64 removedCount = 0;
        qint64 freedBytes = 0;
        QStringList errors;
    };
    // What a finished removal turns into: the done screen with its result, or
    // the "Cannot Delete Files" alert with its message.
    struct Outcome
    {
        std::optional<DeletionResult> done;
        QString alertMessage;
    };
    static Outcome outcomeOf(const RemovalResult &result);
    // A path for people: the home folder at its start (as a whole folder
    // name) reads "~".
    static QString displayPath(const QString &path, const QString &home);
    static QString iconForFile(const QString &path, bool isDirectory);
    static QString itemCountText(qsizetype count);

    static constexpr int accessPollMs = 2000;

    explicit AppUninstallerFlow(QObject *parent = nullptr);
    ~AppUninstallerFlow() override;

    UninstallerServices *services() const { return m_services; }
    void setServices(UninstallerServices *services);

    UninstallerStage stage() const { return m_stage; }
    bool animateStage() const { return m_animateStage; }
    QString appName() const { return m_appName; }
    QString appPath() const { return m_appPath; }
    QUrl appIconSource() const;
    ResidualListModel *files() const { return m_files; }
    AppUninstallerScanner *scanner() const { return m_scanner.get(); }
    QString scanStage() const;
    double scanProgress() const;
    bool isSystemApp() const;
    int totalCount() const;
    int selectedCount() const;
    QString formattedTotalSize() const;
    bool isRemoving() const { return m_isRemoving; }
    bool canRemove() const;
    bool canChangeSelection() const { return !m_isRemoving; }
    bool isPolling() const { return m_pollTask != 0; }
    bool hasDeletionResult() const { return m_deletionResult.has_value(); }
    const std::optional<DeletionResult> &deletionResult() const { return m_deletionResult; }
    QString resultLine() const;
    QString errorHeading() const;
    QStringList errorLines() const;
    bool showPermanentDeleteAlert() const { return m_showPermanentDeleteAlert; }
    void setShowPermanentDeleteAlert(bool shown);
    QString permanentDeleteMessage() const;
    bool showPermissionError() const { return m_showPermissionError; }
    void setShowPermissionError(bool shown);
    QString permissionErrorMessage() const { return m_permissionErrorMessage; }

    // The sheet came on screen for this application (name without ".app",
    // bundle path): scan at once with access, else show the gate.
    Q_INVOKABLE void appeared(const QString &appName, const QString &appPath);
    // The sheet went away: the poll stops; nothing starts afterwards.
    Q_INVOKABLE void disappeared();
    // The gate's button: shows where access is granted and (re)starts the poll.
    Q_INVOKABLE void openSystemSettings();
    void startAccessPolling();

    Q_INVOKABLE void performDeletion(brimlark::AppUninstallerFlow::Method method);

    Q_INVOKABLE void toggleSelection(const QString &id);
    Q_INVOKABLE void selectAll();
    Q_INVOKABLE void deselectAll();
    // Selects the whole category, or deselects it when all of it is selected.
    Q_INVOKABLE void toggleCategory(const QString &categoryId);

signals:
    void servicesChanged();
    void stageChanged();
    void appChanged();
    void scanChanged();
    void selectionChanged();
    void removingChanged();
    void pollingChanged();
    void resultChanged();
    void alertsChanged();

private:
    void setStage(UninstallerStage stage, bool animated);
    void startScan(bool animated);
    void stopPolling();
    void scheduleTick();
    void finishRemoval(const RemovalResult &result);

    QPointer<UninstallerServices> m_services;
    std::unique_ptr<AppUninstallerScanner> m_scanner;
    ResidualListModel *m_files = nullptr;
    QString m_appName;
    QString m_appPath;
    QString m_home;
    UninstallerStage m_stage = UninstallerStage::checkingAccess;
    bool m_animateStage = false;
    quint64 m_pollTask = 0;
    bool m_isRemoving = false;
    std::optional<DeletionResult> m_deletionResult;
    bool m_showPermanentDeleteAlert = false;
    bool m_showPermissionError = false;
    QString m_permissionErrorMessage;
};

} // namespace brimlark
