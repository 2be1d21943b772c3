#include "views/SymbolImage.h"

#include "platform/gui/Symbols.h"

#include <QQuickWindow>
#include <QSGImageNode>

#include <cmath>

namespace brimlark {

SymbolImage::SymbolImage(QQuickItem *parent)
    : QQuickItem(parent)
{
    setFlag(ItemHasContents);
    setImplicitSize(m_size, m_size);
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

QSGNode *SymbolImage::updatePaintNode(QSGNode *old, UpdatePaintNodeData *)
{
    // Made afresh on each change: a symbol changes seldom, and the node
    // owns the texture it is made with.
    delete old;
    QQuickWindow *shown = window();
    if (!m_available || !shown || width() <= 0 || height() <= 0) {
        return nullptr;
    }
    const qreal dpr = shown->effectiveDevicePixelRatio();
    const QSize pixels(
        static_cast<int>(std::ceil(width() * dpr)), static_cast<int>(std::ceil(height() * dpr)));
    const QImage image = glyph(pixels);
    QSGTexture *texture
        = image.isNull() ? nullptr : shown->createTextureFromImage(image, QQuickWindow::TextureCanUseAtlas);
    if (!texture) {
        return nullptr;
    }
    QSGImageNode *node = shown->createImageNode();
    node->setTexture(texture);
    node->setOwnsTexture(true);
    node->setFiltering(smooth() ? QSGTexture::Linear : QSGTexture::Nearest);
    // Its pixels from the top-left corner, as many as the item covers.
    node->setRect(QRectF(QPointF(0, 0), QSizeF(pixels) / dpr));
    return node;
}

void SymbolImage::geometryChange(const QRectF &newGeometry, const QRectF &oldGeometry)
{
    QQuickItem::geometryChange(newGeometry, oldGeometry);
    if (newGeometry.size() != oldGeometry.size()) {
        update();
    }
}

void SymbolImage::itemChange(ItemChange change, const ItemChangeData &value)
{
    if (change == ItemDevicePixelRatioHasChanged) {
        update();
    }
    QQuickItem::itemChange(change, value);
}

QImage SymbolImage::glyph(const QSize &pixels) const
{
    return Symbols::image(m_name, pixels, m_color);
}

} // namespace brimlark
