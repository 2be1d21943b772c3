#pragma once

#include "platform/core/RulerPresence.h"

#include <QObject>
#include <QRectF>
#include <QtQml/qqmlregistration.h>

#include <functional>
#include <memory>
#include <optional>

namespace brimlark {

class RulerWindow;
class WorkspaceStorage;

// Owns the one screen ruler window of the process and records every size it
// takes in the active workspace's recent measurements.
class RulerManager : public QObject, public RulerPresence
{
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("The program makes the ruler's manager")
    Q_PROPERTY(bool isRulerShowing READ isRulerShowing NOTIFY isRulerShowingChanged)
public:
    // Makes the window at its first frame (screen points, origin top left).
    using WindowFactory = std::function<std::unique_ptr<RulerWindow>(const QRectF &frame)>;
    // The main screen's whole frame, or nothing without a screen.
    using ScreenFrame = std::function<std::optional<QRectF>()>;

    RulerManager(WorkspaceStorage &storage, WindowFactory makeWindow, ScreenFrame mainScreen,
        QObject *parent = nullptr);
    ~RulerManager() override;

    // The process's manager, built and installed by the program at start
    // (nullptr uninstalls); asking before that is a programming error.
    static RulerManager &shared();
    static void installShared(RulerManager *manager);
    // The program's manager over the storage: a Qt Quick window showing
    // RulerView, the primary screen.
    static std::unique_ptr<RulerManager> overStorage(WorkspaceStorage &storage);

    bool isRulerShowing() const override { return m_window != nullptr; }
    RulerWindow *window() const { return m_window.get(); }

    Q_INVOKABLE void toggleRuler();
    // Opens a 400 by 300 ruler centred on the main screen, unless one shows.
    Q_INVOKABLE void showRuler();
    Q_INVOKABLE void closeRuler();
    // After the user resized the window: records the size it now has.
    void windowDidEndLiveResize();
    // Gives the window the size, its left and top edges kept, and records the
    // size asked for. A size that is not finite or reaches 2^31 in magnitude
    // does nothing; the window itself gets at least the ruler's minimum and
    // at most the virtual desktop's size.
    Q_INVOKABLE void resizeRuler(double width, double height);
    void addMeasurement(qint64 width, qint64 height);

signals:
    void isRulerShowingChanged();

private:
    WorkspaceStorage &m_storage;
    WindowFactory m_makeWindow;
    ScreenFrame m_mainScreen;
    std::unique_ptr<RulerWindow> m_window;
};

} // namespace brimlark
