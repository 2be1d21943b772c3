#include "shell/AppDelegate.h"

#include "platform/Defaults.h"
#include "platform/NotificationCenter.h"
#include "shell/ApplicationWindows.h"
#include "shell/GlobalHotkeyManager.h"
#include "shell/WindowSizing.h"

#include <QGuiApplication>
#include <QScreen>
#include <QTimer>
#include <QWindow>

#include <cmath>
#include <optional>

namespace brimlark {

namespace {

QSize toPixels(const QSizeF &size)
{
    return { static_cast<int>(std::lround(size.width())), static_cast<int>(std::lround(size.height())) };
}

} // namespace

AppDelegate::AppDelegate(QObject *parent)
    : AppDelegate(Hooks {}, parent)
{
}

AppDelegate::AppDelegate(Hooks hooks, QObject *parent)
    : QObject(parent)
    , m_hooks(std::move(hooks))
{
    if (!m_hooks.firstWindow) {
        m_hooks.firstWindow = &ApplicationWindows::firstWindow;
    }
    if (!m_hooks.registerHotKey) {
        m_hooks.registerHotKey = [] { GlobalHotkeyManager::shared().registerHotKey(); };
    }
    if (!m_hooks.isRulerShowing) {
        m_hooks.isRulerShowing = [] { return false; };
    }
}

void AppDelegate::applicationDidFinishLaunching()
{
    if (QWindow *window = m_hooks.firstWindow()) {
        window->requestActivate();
    }
    // The window may not be complete yet; its set-up runs on a later turn.
    QTimer::singleShot(0, this, &AppDelegate::setUpWindow);
    m_hooks.registerHotKey();
}

void AppDelegate::setUpWindow()
{
    QWindow *window = m_hooks.firstWindow();
    if (!window) {
        emit windowSetUpFinished();
        return;
    }
    // This platform draws the title bar itself; the window shows no title.
    window->setTitle(QString());
    window->removeEventFilter(&m_windowDelegate);
    window->installEventFilter(&m_windowDelegate);
    window->setMinimumSize(toPixels(WindowSizing::MinimumSize));

    // The launcher's window draws its content under its title bar, so its
    // frame is its content here; the window manager's decoration is not part
    // of it and must not make the window grow on every launch.
    const QSizeF frame = window->size();
    Defaults &defaults = Defaults::standard();
    if (!defaults.boolean(HasLaunchedBeforeKey).value_or(false)) {
        QScreen *screen = window->screen();
        if (!screen) {
            screen = QGuiApplication::primaryScreen();
        }
        if (!screen && !QGuiApplication::screens().isEmpty()) {
            screen = QGuiApplication::screens().first();
        }
        std::optional<QRectF> screenFrame;
        if (screen) {
            screenFrame = QRectF(screen->geometry());
        }
        const QSizeF content = WindowSizing::firstLaunchContentSize(screenFrame);
        const QRectF placed = WindowSizing::centred(content, screenFrame);
        window->setGeometry(QRect(
            QPoint(static_cast<int>(std::lround(placed.x())), static_cast<int>(std::lround(placed.y()))),
            toPixels(content)));
        defaults.set(HasLaunchedBeforeKey, DefaultsValue(true));
    } else if (const auto grown = WindowSizing::grownToMinimum(frame)) {
        window->resize(toPixels(*grown));
    }
    emit windowSetUpFinished();
}

bool AppDelegate::applicationShouldHandleReopen()
{
    QWindow *window = m_hooks.firstWindow();
    if (!window) {
        return true;
    }
    ApplicationWindows::bringForward(window, true);
    if (m_hooks.isRulerShowing()) {
        NotificationCenter::defaultCenter().post(Notifications::AppReopened);
    }
    return true;
}

} // namespace brimlark
