#pragma once

#include "shell/WindowDelegate.h"

#include <QObject>
#include <QPointer>
#include <QTimer>

#include <functional>
#include <string>

QT_BEGIN_NAMESPACE
class QWindow;
QT_END_NAMESPACE

namespace brimlark {

class Defaults;
class NotificationCenter;

// The application's delegate: sets up the one window after launch, registers
// the hot key, brings the window back when brimlark is started again, and
// keeps the application running without windows.
class AppDelegate : public QObject
{
    Q_OBJECT
public:
    // What the delegate reaches outside itself. Left out: the application's
    // first window, no hot key (the application passes its registration) and
    // no ruler.
    struct Hooks
    {
        std::function<QWindow *()> firstWindow;
        std::function<void()> registerHotKey;
        // Whether the screen ruler is showing (false while there is none).
        std::function<bool()> isRulerShowing;
    };

    static inline const std::string HasLaunchedBeforeKey = "BrimlarkHasLaunchedBefore";
    // The window's last frame: x, y, width, height (integers).
    static inline const std::string WindowFrameKey = "BrimlarkWindowFrame";

    // The window's frame and first launch are kept in the defaults; a reopen
    // while the ruler shows is posted to the centre. Both outlive the delegate.
    AppDelegate(Defaults &defaults, NotificationCenter &center, Hooks hooks = {}, QObject *parent = nullptr);

    // Activates the application, schedules the window set-up for a later
    // turn of the event loop and registers the hot key at once.
    void applicationDidFinishLaunching();
    // Brimlark was started again: the first window comes back, restored if
    // minimised; "brimLarkAppReopened" is posted while the ruler is showing.
    bool applicationShouldHandleReopen();
    static bool applicationShouldTerminateAfterLastWindowClosed() { return false; }
    // The application is quitting: the window's frame is stored and the
    // window may now close for real.
    void applicationWillTerminate();

    WindowDelegate *windowDelegate() { return &m_windowDelegate; }

signals:
    // The deferred window set-up has run (also when there was no window).
    void windowSetUpFinished();

private:
    void setUpWindow();
    void restoreFrame(QWindow &window, const QRectF &stored);
    void saveWindowFrame();

    Defaults &m_defaults;
    NotificationCenter &m_center;
    Hooks m_hooks;
    WindowDelegate m_windowDelegate;
    QPointer<QWindow> m_window;
    // Frame changes are stored once the window has been still for a moment.
    QTimer m_frameSave;
};

} // namespace brimlark
