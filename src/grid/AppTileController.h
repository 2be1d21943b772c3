#pragma once

#include "grid/AppTileMenu.h"
#include "model/AppItem.h"
#include "platform/core/Scheduler.h"
#include "state/CatalogClient.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QUrl>
#include <QtQml/qqmlregistration.h>

#include <chrono>

namespace brimlark {

// What one application tile does: a click launches with the short launching
// look, a drag records the application as the dragged one, and the context
// menu's entries come from the state of the moment it opens. Main thread only.
class AppTileController : public CatalogClient
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(brimlark::AppItem app READ app WRITE setApp NOTIFY appChanged)
    Q_PROPERTY(bool isLaunching READ isLaunching NOTIFY isLaunchingChanged)
    // The application's icon from the icon provider.
    Q_PROPERTY(QUrl iconSource READ iconSource NOTIFY appChanged)

public:
    static constexpr std::chrono::milliseconds launchingLook { 300 };

    explicit AppTileController(QObject *parent = nullptr);
    ~AppTileController() override;

    const AppItem &app() const { return m_app; }
    void setApp(const AppItem &app);

    bool isLaunching() const { return m_isLaunching; }
    QUrl iconSource() const;

    // A single click: the launching look starts, the application is
    // launched, and the look ends a moment after this click. Later clicks do
    // not put off an earlier click's end.
    Q_INVOKABLE void click();
    // The menu's entries now.
    Q_INVOKABLE QList<brimlark::MenuEntry> menu() const;
    // Runs a menu entry (its action, and the folder's
    // UUID text for the folder entries).
    Q_INVOKABLE void perform(brimlark::AppTileMenu::Action action, const QString &folderID);
    void perform(AppTileMenu::Action action, const QUuid &folderID = {});

    // A drag of the tile started or ended (dropped or cancelled).
    Q_INVOKABLE void beginDrag();
    Q_INVOKABLE void endDrag();

signals:
    void appChanged();
    void isLaunchingChanged();
    // A click launched the application (whatever the outcome).
    void launched();

private:
    void setLaunching(bool launching);
    void cancelPendingResets();

    using PendingReset = std::pair<QPointer<BrimlarkViewModel>, Scheduler::TaskId>;

    AppItem m_app;
    bool m_isLaunching = false;
    QList<PendingReset> m_pendingResets;
};

} // namespace brimlark
