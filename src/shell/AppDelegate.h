#pragma once

#include "shell/WindowDelegate.h"

#include <QObject>
#include <QPointer>
#include <QTimer>

#include <string>

QT_BEGIN_NAMESPACE
class QWindow;
QT_END_NAMESPACE

namespace brimlark {

class Defaults;
class GlobalHotkeyManager;
class NotificationCenter;
class RulerPresence;

// The application's delegate: sets up the one window after launch, registers
// the hot key, brings the window back when brimlark is started again, and
// keeps the application running without windows.
class AppDelegate : public QObject
{
    Q_OBJECT
public:
    static inline const std::string HasLaunchedBeforeKey = "BrimlarkHasLaunchedBefore";
    // The window's last frame: x, y, width, height (integers).
    static inline const std::string WindowFrameKey = "BrimlarkWindowFrame";

    // The window's frame and first launch are kept in the defaults; a reopen
    // while the ruler shows is posted to the centre. All of them outlive the
    // delegate.
    AppDelegate(Defaults &defaults, NotificationCenter &center, GlobalHotkeyManager &hotkeys,
        const RulerPresence &ruler, QObject *parent = nullptr);

    // Activates the window, schedules its set-up for a later turn of the
    // event loop and registers the hot key at once.
    void applicationDidFinishLaunching(QWindow *window);
    // Brimlark was started again: the window comes back, restored if
    // minimised; "brimLarkAppReopened" is posted while the ruler is showing.
    bool applicationShouldHandleReopen();
    static bool applicationShouldTerminateAfterLastWindowClosed() { return false; }
    // The application is quitting: the window's frame is stored and the
    // window may now close for real.
    void applicationWillTerminate();

    WindowDelegate *windowDelegate() { return &m_windowDelegate; }
    // The launched window; null before launch and once it is gone.
    QWindow *window() const;

signals:
    // The deferred window set-up has run.
    void windowSetUpFinished();

private:
    void setUpWindow();
    void restoreFrame(QWindow &window, const QRectF &stored);
    void saveWindowFrame();

    Defaults &m_defaults;
    NotificationCenter &m_center;
    GlobalHotkeyManager &m_hotkeys;
    const RulerPresence &m_ruler;
    WindowDelegate m_windowDelegate;
    QPointer<QWindow> m_window;
    // Frame changes are stored once the window has been still for a moment.
    QTimer m_frameSave;
};

} // namespace brimlark
