#include "sidebar/ColorWheel.h"

#include "sidebar/FolderColorMath.h"

#include <QPainter>
#include <QPainterPath>

namespace brimlark {

ColorWheel::ColorWheel(QQuickItem *parent)
    : QQuickPaintedItem(parent)
{
    setAntialiasing(true);
}

void ColorWheel::paint(QPainter *painter)
{
    const int side = int(std::min(width(), height()));
    if (side <= 0) {
        return;
    }
    if (m_image.width() != side) {
        m_image = QImage(side, side, QImage::Format_ARGB32_Premultiplied);
        m_image.fill(Qt::transparent);
        const double r = side / 2.0;
        for (int y = 0; y < side; ++y) {
            auto *line = reinterpret_cast<QRgb *>(m_image.scanLine(y));
            for (int x = 0; x < side; ++x) {
                const auto p = FolderColorMath::wheelPoint(x + 0.5, y + 0.5, r);
                const auto c = FolderColorMath::colorFromHsb(p.hue, p.saturation, 1.0);
                line[x] = qRgb(FolderColorMath::byteOf(c.red), FolderColorMath::byteOf(c.green),
                    FolderColorMath::byteOf(c.blue));
            }
        }
    }
    QPainterPath circle;
    circle.addEllipse(QRectF(0, 0, side, side));
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setClipPath(circle);
    painter->drawImage(QPointF(0, 0), m_image);
}

} // namespace brimlark
