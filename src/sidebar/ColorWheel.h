#pragma once

#include <QImage>
#include <QQuickPaintedItem>
#include <QtQml/qqmlregistration.h>

namespace brimlark {

// The hue and saturation wheel at full brightness: hue 0 (red) at the
// right, growing clockwise, white at the centre. Painted from the same rule
// the picker stores, so the knob's colour is the colour under it.
class ColorWheel : public QQuickPaintedItem
{
    Q_OBJECT
    QML_ELEMENT
public:
    explicit ColorWheel(QQuickItem *parent = nullptr);
    void paint(QPainter *painter) override;

private:
    QImage m_image;
};

} // namespace brimlark
