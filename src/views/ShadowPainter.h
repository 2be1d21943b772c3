#pragma once

#include <QColor>
#include <QImage>
#include <QRectF>
#include <QSize>
#include <QSizeF>

namespace brimlark {

// Soft shadows drawn once into a picture instead of blurred live each frame:
// a rounded rectangle's coverage (a circle is one whose corners meet),
// blurred by a Gaussian, in a colour. The one renderer behind the swatches'
// and knobs' round shadows and the grid's nine-patch shadows.
class ShadowPainter
{
public:
    ShadowPainter() = delete;

    // A shadow's blur radius is taken as twice the Gaussian's deviation.
    static qreal deviation(qreal blur);
    // How far a blur of that radius reaches beyond its shape: three
    // deviations, rounded up; none without a blur.
    static int reach(qreal blur);
    // An image of `size` pixels holding the rounded rectangle `shape` (in
    // pixels, corner radius `radius`) blurred by a Gaussian of `deviation`
    // pixels (a hard edge when 0), in `color` at the colour's own opacity.
    static QImage roundedRect(
        const QSize &size, const QRectF &shape, qreal radius, qreal deviation, const QColor &color);
    // The whole shadow of a rounded rectangle of `shape` points (corner
    // radius `cornerRadius`, blur radius `blur`) with `margin` points of room
    // on every side, at `scale` pixels per point (held between 0.5 and 4).
    static QImage around(const QSizeF &shape, qreal cornerRadius, qreal blur, qreal margin,
        const QColor &color, qreal scale = 1);
    // The pixels per point of a picture `natural` points wide that the
    // engine asks for at `requested` device pixels; 1 when it names no size.
    static qreal scaleFor(const QSize &requested, qreal natural);
};

} // namespace brimlark
