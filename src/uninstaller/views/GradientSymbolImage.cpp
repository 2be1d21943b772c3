#include "uninstaller/views/GradientSymbolImage.h"

#include "platform/gui/Symbols.h"

#include <QLinearGradient>
#include <QPainter>

namespace brimlark {

GradientSymbolImage::GradientSymbolImage(QQuickItem *parent)
    : SymbolImage(parent)
{
}

void GradientSymbolImage::setStartColor(const QColor &color)
{
    if (color != m_start) {
        m_start = color;
        update();
        emit gradientChanged();
    }
}

void GradientSymbolImage::setEndColor(const QColor &color)
{
    if (color != m_end) {
        m_end = color;
        update();
        emit gradientChanged();
    }
}

QImage GradientSymbolImage::glyph(const QSize &pixels) const
{
    // The glyph as a mask, then the gradient kept only where the glyph is.
    QImage image = Symbols::image(name(), pixels, Qt::white);
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

} // namespace brimlark
