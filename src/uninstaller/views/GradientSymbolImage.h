#pragma once

#include "views/SymbolImage.h"

#include <QColor>
#include <QtQml/qqmlregistration.h>

namespace brimlark {

// A symbol image filled with a linear gradient that runs from its top left
// corner (`startColor`) to its bottom right corner (`endColor`), as the
// access gate's badge is drawn. An unknown name draws nothing.
class GradientSymbolImage : public SymbolImage
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(QColor startColor READ startColor WRITE setStartColor NOTIFY gradientChanged)
    Q_PROPERTY(QColor endColor READ endColor WRITE setEndColor NOTIFY gradientChanged)
public:
    explicit GradientSymbolImage(QQuickItem *parent = nullptr);

    QColor startColor() const { return m_start; }
    void setStartColor(const QColor &color);
    QColor endColor() const { return m_end; }
    void setEndColor(const QColor &color);

signals:
    void gradientChanged();

protected:
    QImage glyph(const QSize &pixels) const override;

private:
    QColor m_start = Qt::black;
    QColor m_end = Qt::black;
};

} // namespace brimlark
