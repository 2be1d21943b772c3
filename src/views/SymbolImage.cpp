#include "views/SymbolImage.h"

#include "platform/gui/Symbols.h"

#include <QPainter>
#include <QQuickWindow>

#include <cmath>

namespace brimlark {

SymbolImage::SymbolImage(QQuickItem *parent)
    : QQuickPaintedItem(parent)
{
    setImplicitSize(m_size, m_size);
    setAntialiasing(true);
}

void SymbolImage::setName(const QString &name)
{
    if (name == m_name) {
        return;
    }
    m_name = name;
    m_available = Symbols::exists(name);
    update();
    emit nameChanged();
}

void SymbolImage::setColor(const QColor &color)
{
    if (color == m_color) {
        return;
    }
    m_color = color;
    update();
    emit colorChanged();
}

void SymbolImage::setSize(qreal size)
{
    if (qFuzzyCompare(size, m_size) || size < 0) {
        return;
    }
    m_size = size;
    setImplicitSize(size, size);
    update();
    emit sizeChanged();
}

void SymbolImage::paint(QPainter *painter)
{
    if (!m_available) {
        return;
    }
    const qreal dpr = window() ? window()->effectiveDevicePixelRatio() : 1.0;
    const QSize pixels(
        static_cast<int>(std::ceil(width() * dpr)), static_cast<int>(std::ceil(height() * dpr)));
    QImage image = glyph(pixels);
    if (image.isNull()) {
        return;
    }
    image.setDevicePixelRatio(dpr);
    painter->drawImage(QPointF(0, 0), image);
}

QImage SymbolImage::glyph(const QSize &pixels) const
{
    return Symbols::image(m_name, pixels, m_color);
}

} // namespace brimlark
