#include "uninstaller/views/GradientSymbolImage.h"

#include "platform/gui/Symbols.h"

#include <QLinearGradient>
#include <QPainter>
#include <QQuickWindow>

#include <cmath>

namespace brimlark {

GradientSymbolImage::GradientSymbolImage(QQuickItem *parent)
    : QQuickPaintedItem(parent)
{
    setImplicitSize(m_size, m_size);
    setAntialiasing(true);
}

void GradientSymbolImage::redraw()
{
    update();
    emit changed();
}

void GradientSymbolImage::setName(const QString &name)
{
    if (name != m_name) {
        m_name = name;
        redraw();
    }
}

void GradientSymbolImage::setSize(qreal size)
{
    if (size >= 0 && !qFuzzyCompare(size, m_size)) {
        m_size = size;
        setImplicitSize(size, size);
        redraw();
    }
}

void GradientSymbolImage::setStartColor(const QColor &color)
{
    if (color != m_start) {
        m_start = color;
        redraw();
    }
}

void GradientSymbolImage::setEndColor(const QColor &color)
{
    if (color != m_end) {
        m_end = color;
        redraw();
    }
}

QImage GradientSymbolImage::render(const QSize &pixels) const
{
    // The glyph as a mask, then the gradient kept only where the glyph is.
    QImage image = Symbols::image(m_name, pixels, Qt::white);
    if (image.isNull()) {
        return image;
    }
    image = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    QLinearGradient gradient(QPointF(0, 0), QPointF(image.width(), image.height()));
    gradient.setColorAt(0, m_start);
    gradient.setColorAt(1, m_end);
    QPainter painter(&image);
    painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
    painter.fillRect(image.rect(), gradient);
    return image;
}

void GradientSymbolImage::paint(QPainter *painter)
{
    const qreal dpr = window() ? window()->effectiveDevicePixelRatio() : 1.0;
    QImage image = render(
        QSize(static_cast<int>(std::ceil(width() * dpr)), static_cast<int>(std::ceil(height() * dpr))));
    if (image.isNull()) {
        return;
    }
    image.setDevicePixelRatio(dpr);
    painter->drawImage(QPointF(0, 0), image);
}

} // namespace brimlark
