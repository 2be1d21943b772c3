#include "tools/RulerManager.h"

#include "model/WorkspaceStorage.h"
#include "platform/base/ProcessWide.h"
#include "platform/core/RulerWindowPlacement.h"
#include "platform/gui/CompositingManager.h"
#include "platform/gui/QuickRulerWindow.h"
#include "tools/MeasurementText.h"

#include <QGuiApplication>
#include <QQmlEngine>
#include <QScreen>

namespace brimlark {

namespace {
std::unique_ptr<RulerWindow> makeQuickRulerWindow(const QRectF &frame)
{
    auto window = std::make_unique<QuickRulerWindow>(CompositingManager::isRunning());
    window->engine()->addImportPath(QStringLiteral("qrc:/"));
    window->setInitialProperties(
        { { QStringLiteral("host"), QVariant::fromValue<QObject *>(window.get()) } });
    window->setSource(QUrl(QStringLiteral("qrc:/Brimlark/Tools/RulerView.qml")));
    window->setGeometry(frame.toRect());
    return window;
}

std::optional<QRectF> primaryScreenFrame()
{
    if (QScreen *screen = QGuiApplication::primaryScreen()) {
        return QRectF(screen->geometry());
    }
    return std::nullopt;
}
} // namespace

RulerManager::RulerManager(
    WorkspaceStorage &storage, WindowFactory makeWindow, ScreenFrame mainScreen, QObject *parent)
    : QObject(parent)
    , m_storage(storage)
    , m_makeWindow(std::move(makeWindow))
    , m_mainScreen(std::move(mainScreen))
{
}

RulerManager::~RulerManager() = default;

namespace {
ProcessWide<RulerManager> s_shared("RulerManager::shared()");
}

RulerManager &RulerManager::shared()
{
    return *s_shared.get();
}

void RulerManager::installShared(RulerManager *manager)
{
    s_shared.installUnowned(manager);
}

std::unique_ptr<RulerManager> RulerManager::overStorage(WorkspaceStorage &storage)
{
    return std::make_unique<RulerManager>(storage, makeQuickRulerWindow, primaryScreenFrame);
}

void RulerManager::toggleRuler()
{
    if (isRulerShowing()) {
        closeRuler();
    } else {
        showRuler();
    }
}

void RulerManager::showRuler()
{
    if (m_window) {
        return;
    }
    const QRectF frame = RulerWindowPlacement::initialFrame(m_mainScreen());
    m_window = m_makeWindow(frame);
    RulerWindow *window = m_window.get();
    window->onLiveResizeEnded = [this] { windowDidEndLiveResize(); };
    // The close button lives in the window, and a close by the window system
    // arrives in its event handling: it is dropped after that has returned,
    // and only if it is still the current ruler.
    window->onCloseRequested = [this, window] {
        QMetaObject::invokeMethod(
            this,
            [this, window] {
                if (m_window.get() == window) {
                    closeRuler();
                }
            },
            Qt::QueuedConnection);
    };
    window->makeKeyAndOrderFront();
    emit isRulerShowingChanged();
    addMeasurement(400, 300);
}

void RulerManager::closeRuler()
{
    if (m_window) {
        m_window->closeWindow();
        m_window.reset();
    }
    emit isRulerShowingChanged();
}

void RulerManager::windowDidEndLiveResize()
{
    if (!m_window) {
        return;
    }
    const QSizeF size = m_window->contentSize();
    const auto width = MeasurementText::wholePoints(size.width());
    const auto height = MeasurementText::wholePoints(size.height());
    if (width && height) {
        addMeasurement(*width, *height);
    }
}

void RulerManager::resizeRuler(double width, double height)
{
    if (!m_window) {
        return;
    }
    const auto wholeWidth = MeasurementText::wholePoints(width);
    const auto wholeHeight = MeasurementText::wholePoints(height);
    if (!wholeWidth || !wholeHeight) {
        return;
    }
    m_window->setFrame(
        RulerWindowPlacement::resizedFrame(m_window->frame(), width, height, m_window->desktopFrame()), true);
    addMeasurement(*wholeWidth, *wholeHeight);
}

void RulerManager::addMeasurement(qint64 width, qint64 height)
{
    m_storage.setRecentMeasurements(
        MeasurementText::recorded(m_storage.recentMeasurements(), MeasurementText::format(width, height)));
}

} // namespace brimlark
