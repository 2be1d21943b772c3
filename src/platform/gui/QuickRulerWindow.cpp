#include "platform/gui/QuickRulerWindow.h"

#include "platform/core/RulerWindowPlacement.h"

#include <QQuickItem>
#include <QScreen>
#include <QSurfaceFormat>
#include <QVariantAnimation>

namespace brimlark {

RulerWindow::~RulerWindow() = default;

QuickRulerWindow::QuickRulerWindow(bool composited)
    : m_translucent(composited)
{
    setFlags(Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    setTitle(QStringLiteral("Screen Ruler"));
    setResizeMode(QQuickView::SizeRootObjectToView);
    if (m_translucent) {
        QSurfaceFormat surface = format();
        surface.setAlphaBufferSize(8);
        setFormat(surface);
        setColor(Qt::transparent);
    } else {
        setColor(opaqueTint());
    }
    setOpacity(0.98);
    // The overlay's panel needs this much room.
    setMinimumSize(QSize(200, 160));
}

QuickRulerWindow::~QuickRulerWindow()
{
    if (m_animation) {
        m_animation->stop();
    }
}

QColor QuickRulerWindow::opaqueTint()
{
    // Dark slate: the ruler's blue marks and white figures stay readable.
    return QColor(0x1F, 0x2A, 0x38);
}

QRectF QuickRulerWindow::frame() const
{
    return QRectF(geometry());
}

void QuickRulerWindow::setFrame(const QRectF &target, bool animate)
{
    if (m_animation) {
        m_animation->stop();
        delete m_animation;
    }
    if (!animate || !isVisible()) {
        setGeometry(target.toRect());
        return;
    }
    auto *animation = new QVariantAnimation(this);
    animation->setDuration(150);
    animation->setStartValue(QRectF(geometry()));
    animation->setEndValue(target);
    connect(animation, &QVariantAnimation::valueChanged, this,
        [this](const QVariant &value) { setGeometry(value.toRectF().toRect()); });
    // The last step lands exactly on the target, whatever the easing rounded to.
    connect(animation, &QVariantAnimation::finished, this, [this, target] { setGeometry(target.toRect()); });
    m_animation = animation;
    animation->start(QAbstractAnimation::DeleteWhenStopped);
}

QSizeF QuickRulerWindow::contentSize() const
{
    if (QQuickItem *root = rootObject()) {
        return QSizeF(root->width(), root->height());
    }
    return QSizeF(size());
}

QRectF QuickRulerWindow::desktopFrame() const
{
    if (QScreen *on = screen()) {
        return QRectF(on->virtualGeometry());
    }
    return QRectF();
}

void QuickRulerWindow::makeKeyAndOrderFront()
{
    show();
    raise();
    requestActivate();
}

void QuickRulerWindow::closeWindow()
{
    if (m_animation) {
        m_animation->stop();
    }
    m_closing = true;
    close();
}

void QuickRulerWindow::moveResize(const QRectF &target)
{
    setGeometry(RulerWindowPlacement::draggedFrame(frame(), target, desktopFrame()).toRect());
}

bool QuickRulerWindow::event(QEvent *event)
{
    const bool handled = QQuickView::event(event);
    // A window manager closed the frameless ruler: it is off the screen, so
    // its owner drops it as if its close button had been clicked.
    if (event->type() == QEvent::Close && event->isAccepted() && !m_closing) {
        m_closing = true;
        requestClose();
    }
    return handled;
}

void QuickRulerWindow::endLiveResize()
{
    if (onLiveResizeEnded) {
        onLiveResizeEnded();
    }
}

void QuickRulerWindow::requestClose()
{
    if (onCloseRequested) {
        onCloseRequested();
    }
}

} // namespace brimlark
