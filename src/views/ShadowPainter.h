#pragma once

#include <QColor>
#include <QImage>
#include <QRectF>
#include <QSize>

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
};

} // namespace brimlark
