#pragma once

#include "state/Scheduler.h"

#include <QObject>
#include <QSizeF>
#include <QtQml/qqmlregistration.h>

#include <chrono>
#include <optional>

namespace brimlark {

// The rules of the panel over the grid: its size in the space it has, and
// its closing, which happens once however often it is asked for (a second
// click on the backdrop, a launch while it closes). Main thread only.
class CategoryPanelController : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(bool dismissing READ dismissing NOTIFY dismissingChanged)

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

    bool dismissing() const { return m_dismissing; }
    // Starts the closing animation and reports dismissed() once it is over;
    // later calls change nothing.
    Q_INVOKABLE void dismissWithAnimation();

signals:
    void dismissingChanged();
    // The panel has finished closing; the grid removes it.
    void dismissed();

private:
    bool m_dismissing = false;
    std::optional<Scheduler::TaskId> m_pendingDismiss;
};

} // namespace brimlark
