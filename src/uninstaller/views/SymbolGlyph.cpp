#include "uninstaller/views/SymbolGlyph.h"

#include "platform/Symbols.h"

#include <QPainter>
#include <QQuickWindow>

#include <cmath>

namespace brimlark {

SymbolGlyph::SymbolGlyph(QQuickItem *parent)
    : QQuickPaintedItem(parent)
{
    setImplicitSize(m_size, m_size);
    setAntialiasing(true);
    connect(this, &SymbolGlyph::changed, this, [this] { update(); });
}

void SymbolGlyph::setSize(qreal size)
{
    if (size >= 0 && !qFuzzyCompare(size, m_size)) {
        m_size = size;
        setImplicitSize(size, size);
        Q_EMIT changed();
    }
}

void SymbolGlyph::paint(QPainter *painter)
{
    const qreal dpr = window() ? window()->effectiveDevicePixelRatio() : 1.0;
    QImage image = Symbols::image(
        m_name, QSize(int(std::ceil(width() * dpr)), int(std::ceil(height() * dpr))), m_color);
    if (!image.isNull()) {
        image.setDevicePixelRatio(dpr);
        painter->drawImage(QPointF(0, 0), image);
    }
}

} // namespace brimlark
