#pragma once

#include "grid/AppTileModel.h"
#include "platform/core/Scheduler.h"
#include "state/BrimlarkViewModel.h"
#include "state/ViewModelClient.h"

#include <QObject>
#include <QPointer>
#include <QSizeF>
#include <QtQml/qqmlregistration.h>

#include <chrono>
#include <optional>

namespace brimlark {

// The rules of the panel over the grid: its size in the space it has, and
// its closing, which happens once however often it is asked for (a second
// click on the backdrop, a launch while it closes). Main thread only.
class CategoryPanelController : public ViewModelClient
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(bool dismissing READ dismissing NOTIFY dismissingChanged)
    // The panel's applications; the tiles follow them row by row, so a tile
    // being dragged survives a reorder.
    Q_PROPERTY(QList<brimlark::AppItem> appList READ appList WRITE setAppList NOTIFY appListChanged)
    Q_PROPERTY(brimlark::AppTileModel *apps READ apps CONSTANT)
    // The closing waits on the view model's scheduler; without one, on the
    // event loop.

public:
    static constexpr QSizeF preferredSize { 700, 500 };
    // Kept free around the panel when the space is narrower than it.
    static constexpr double margin = 24;
    static constexpr std::chrono::milliseconds closeDuration { 200 };

    explicit CategoryPanelController(QObject *parent = nullptr);
    ~CategoryPanelController() override;

    // The panel's size in an overlay of `available`: its preferred size,
    // clamped to the space less the margin on each side, so the close button
    // stays on screen.
    Q_INVOKABLE static QSizeF panelSize(const QSizeF &available);

    const QList<AppItem> &appList() const { return m_apps.apps(); }
    void setAppList(const QList<AppItem> &apps);
    AppTileModel *apps() { return &m_apps; }

    bool dismissing() const { return m_dismissing; }
    // Starts the closing animation and reports dismissed() once it is over;
    // later calls change nothing.
    Q_INVOKABLE void dismissWithAnimation();

signals:
    void dismissingChanged();
    void appListChanged();
    // The panel has finished closing; the grid removes it.
    void dismissed();

protected:
    void viewModelBound() override;

private:
    AppTileModel m_apps;
    bool m_dismissing = false;
    // With the view model that scheduled it.
    std::optional<std::pair<QPointer<BrimlarkViewModel>, Scheduler::TaskId>> m_pendingDismiss;
};

} // namespace brimlark
