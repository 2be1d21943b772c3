#include "platform/gui/X11ScreenSampler.h"

#include <QGuiApplication>
#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QRasterWindow>
#include <QScreen>

#include <algorithm>

namespace brimlark {

namespace {
// One screen's frozen picture; reports a pick or a cancel once.
class SamplerOverlay final : public QRasterWindow
{
public:
    SamplerOverlay(QScreen *screen, QImage picture, std::function<void(std::optional<QColor>)> done)
        : m_picture(std::move(picture))
        , m_done(std::move(done))
    {
        setScreen(screen);
        setFlags(
            Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::X11BypassWindowManagerHint);
        setTitle(QStringLiteral("Pick Color"));
        setGeometry(screen->geometry());
        setCursor(Qt::CrossCursor);
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.drawImage(QRect(QPoint(0, 0), size()), m_picture);
    }
    void mousePressEvent(QMouseEvent *event) override
    {
        if (event->button() == Qt::RightButton) {
            m_done(std::nullopt);
        } else if (event->button() == Qt::LeftButton) {
            m_done(pixelAt(event->position()));
        }
    }
    void keyPressEvent(QKeyEvent *event) override
    {
        if (event->key() == Qt::Key_Escape) {
            m_done(std::nullopt);
        }
    }

private:
    std::optional<QColor> pixelAt(QPointF position) const
    {
        if (m_picture.isNull() || width() <= 0 || height() <= 0) {
            return std::nullopt;
        }
        // The picture is in device pixels; the window in points.
        const int x = std::clamp(int(position.x() * m_picture.width() / width()), 0, m_picture.width() - 1);
        const int y
            = std::clamp(int(position.y() * m_picture.height() / height()), 0, m_picture.height() - 1);
        return QColor(m_picture.pixel(x, y));
    }

    QImage m_picture;
    std::function<void(std::optional<QColor>)> m_done;
};
} // namespace

X11ScreenSampler::X11ScreenSampler(QObject *parent)
    : QObject(parent)
{
}

X11ScreenSampler::~X11ScreenSampler()
{
    for (const auto &overlay : m_overlays) {
        delete overlay.data();
    }
}

std::vector<QWindow *> X11ScreenSampler::overlays() const
{
    std::vector<QWindow *> out;
    for (const auto &overlay : m_overlays) {
        if (overlay) {
            out.push_back(overlay.data());
        }
    }
    return out;
}

void X11ScreenSampler::showSampler(Handler handler)
{
    if (isShowing()) {
        // The overlays cover every screen: a second request cannot come from
        // the user; it is answered as cancelled and the first one goes on.
        QMetaObject::invokeMethod(
            this, [handler = std::move(handler)] { handler(std::nullopt); }, Qt::QueuedConnection);
        return;
    }
    m_handler = std::move(handler);
    // All pictures first, so that no overlay appears in another's picture.
    std::vector<std::pair<QScreen *, QImage>> pictures;
    for (QScreen *screen : QGuiApplication::screens()) {
        pictures.emplace_back(screen, screen->grabWindow(0).toImage().convertToFormat(QImage::Format_RGB32));
    }
    if (pictures.empty()) {
        finish(std::nullopt);
        return;
    }
    for (auto &[screen, picture] : pictures) {
        auto *overlay = new SamplerOverlay(screen, std::move(picture), [this](std::optional<QColor> color) {
            // Out of the overlay's own event handler before it goes.
            QMetaObject::invokeMethod(
                this, [this, color] { finish(color); }, Qt::QueuedConnection);
        });
        m_overlays.emplace_back(overlay);
        overlay->show();
        overlay->raise();
    }
    if (QWindow *first = m_overlays.front()) {
        first->requestActivate();
        first->setKeyboardGrabEnabled(true);
        first->setMouseGrabEnabled(true);
    }
}

void X11ScreenSampler::finish(std::optional<QColor> color)
{
    if (!m_handler) {
        return;
    }
    for (const auto &overlay : m_overlays) {
        if (overlay) {
            overlay->setKeyboardGrabEnabled(false);
            overlay->setMouseGrabEnabled(false);
            overlay->close();
            overlay->deleteLater();
        }
    }
    m_overlays.clear();
    Handler handler = std::move(m_handler);
    m_handler = nullptr;
    handler(color);
}

} // namespace brimlark
