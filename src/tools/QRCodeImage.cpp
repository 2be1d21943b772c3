#include "tools/QRCodeImage.h"

#include <QPainter>
#include <QPainterPath>

namespace brimlark {

QRCodeImage::QRCodeImage(QQuickItem *parent)
    : QQuickPaintedItem(parent)
{
    setAntialiasing(true);
}

void QRCodeImage::setImage(const QImage &image)
{
    m_image = image;
    emit imageChanged();
    update();
}

void QRCodeImage::setRadius(qreal radius)
{
    if (radius != m_radius) {
        m_radius = radius;
        emit radiusChanged();
        update();
    }
}

void QRCodeImage::paint(QPainter *painter)
{
    if (m_image.isNull()) {
        return;
    }
    const QRectF bounds(0, 0, width(), height());
    QPainterPath corners;
    corners.addRoundedRect(bounds, m_radius, m_radius);
    painter->setRenderHint(QPainter::Antialiasing, true);
    painter->setClipPath(corners);
    painter->setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter->drawImage(bounds, m_image);
}

} // namespace brimlark
