#include "shell/AppDelegate.h"

#include "platform/base/Defaults.h"
#include "platform/core/NotificationCenter.h"
#include "platform/core/RulerPresence.h"
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

// The stored frame; nothing for a missing value or one of another shape.
std::optional<QRectF> storedFrame(const Defaults &defaults)
{
    const auto array = defaults.array(AppDelegate::WindowFrameKey);
    if (!array || array->size() != 4) {
        return std::nullopt;
    }
    std::int64_t v[4] {};
    for (std::size_t i = 0; i < 4; ++i) {
        const std::int64_t *number = (*array)[i].asInteger();
        if (!number || *number < -100000 || *number > 100000) {
            return std::nullopt;
        }
        v[i] = *number;
    }
    if (v[2] <= 0 || v[3] <= 0) {
        return std::nullopt;
    }
    return QRectF(double(v[0]), double(v[1]), double(v[2]), double(v[3]));
}

} // namespace

AppDelegate::AppDelegate(Defaults &defaults, NotificationCenter &center, GlobalHotkeyManager &hotkeys,
    const RulerPresence &ruler, QObject *parent)
    : QObject(parent)
    , m_defaults(defaults)
    , m_center(center)
    , m_hotkeys(hotkeys)
    , m_ruler(ruler)
{
    m_frameSave.setSingleShot(true);
    m_frameSave.setInterval(500);
    connect(&m_frameSave, &QTimer::timeout, this, &AppDelegate::saveWindowFrame);
}

void AppDelegate::applicationDidFinishLaunching(QWindow *window)
{
    if (m_window) {
        disconnect(m_window, nullptr, &m_frameSave, nullptr);
    }
    m_window = window;
    window->requestActivate();
    // The window may not be complete yet; its set-up runs on a later turn.
    QTimer::singleShot(0, this, &AppDelegate::setUpWindow);
    m_hotkeys.registerHotKey();
}

QWindow *AppDelegate::window() const
{
    return m_window.data();
}

void AppDelegate::setUpWindow()
{
    QWindow *window = m_window;
    if (!window) {
        return;
    }
    window->removeEventFilter(&m_windowDelegate);
    window->installEventFilter(&m_windowDelegate);
    window->setMinimumSize(toPixels(WindowSizing::MinimumSize));

    // The launcher's window draws its content under its title bar, so its
    // frame is its content here; the window manager's decoration is not part
    // of it and must not make the window grow on every launch.
    const QSizeF frame = window->size();
    Defaults &defaults = m_defaults;
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
    } else if (const auto stored = storedFrame(defaults)) {
        restoreFrame(*window, *stored);
    } else if (const auto grown = WindowSizing::grownToMinimum(frame)) {
        window->resize(toPixels(*grown));
    }
    // From now on the frame is remembered for the next start.
    const auto later = [this] { m_frameSave.start(); };
    connect(window, &QWindow::xChanged, &m_frameSave, later);
    connect(window, &QWindow::yChanged, &m_frameSave, later);
    connect(window, &QWindow::widthChanged, &m_frameSave, later);
    connect(window, &QWindow::heightChanged, &m_frameSave, later);
    emit windowSetUpFinished();
}

void AppDelegate::restoreFrame(QWindow &window, const QRectF &stored)
{
    QList<QRectF> screens;
    // The window's own screen first: a frame that is lost goes there.
    QScreen *own = window.screen() ? window.screen() : QGuiApplication::primaryScreen();
    if (own) {
        screens << QRectF(own->availableGeometry());
    }
    const QList<QScreen *> all = QGuiApplication::screens();
    for (QScreen *screen : all) {
        if (screen != own) {
            screens << QRectF(screen->availableGeometry());
        }
    }
    window.setGeometry(WindowSizing::restoredFrame(stored, screens).toRect());
}

void AppDelegate::saveWindowFrame()
{
    m_frameSave.stop();
    // A maximised, full-screen or minimised window is not the frame to come back to.
    if (!m_window || m_window->windowStates() != Qt::WindowNoState) {
        return;
    }
    const QRect frame = m_window->geometry();
    if (frame.isEmpty()) {
        return;
    }
    const DefaultsValue::Array stored { DefaultsValue(frame.x()), DefaultsValue(frame.y()),
        DefaultsValue(frame.width()), DefaultsValue(frame.height()) };
    const auto current = m_defaults.array(WindowFrameKey);
    if (!current || *current != stored) {
        m_defaults.set(WindowFrameKey, DefaultsValue(stored));
    }
}

void AppDelegate::applicationWillTerminate()
{
    saveWindowFrame();
    m_windowDelegate.setTerminating(true);
}

bool AppDelegate::applicationShouldHandleReopen()
{
    if (!m_window) {
        return true;
    }
    ApplicationWindows::bringForward(m_window, true);
    if (m_ruler.isRulerShowing()) {
        m_center.post(Notifications::AppReopened);
    }
    return true;
}

} // namespace brimlark
