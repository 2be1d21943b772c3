#include "views/ShadowPainter.h"

#include <gtest/gtest.h>

#include <QColor>
#include <QImage>

using brimlark::ShadowPainter;

// A blurred shape: the colour's own opacity well inside it, half of it on a
// straight edge, nothing beyond the blur's reach, the same on either side
// of the shape's middle; sharp when there is no blur.
TEST(ShadowPainter, aShapeIsBlurredAcrossItsEdgeAndNoFurtherThanItsReach)
{
    const QColor tint = QColor::fromRgbF(0, 0, 1, 0.5);
    const struct
    {
        qreal radius; // 20 makes the 40-pixel square a circle
        qreal blur;
    } rows[] = { { 4, 8 }, { 4, 0 }, { 20, 6 }, { 20, 0 }, { 0, 3 } };
    for (const auto &row : rows) {
        const int reach = ShadowPainter::reach(row.blur);
        EXPECT_EQ(reach, row.blur > 0 ? int(std::ceil(1.5 * row.blur)) : 0) << row.blur;
        const int side = 40 + 2 * reach + 2;
        const QRectF shape(reach + 1, reach + 1, 40, 40);
        const QImage image = ShadowPainter::roundedRect(QSize(side, side), shape, row.radius,
            row.blur > 0 ? ShadowPainter::deviation(row.blur) : 0, tint);
        ASSERT_EQ(image.size(), QSize(side, side));
        const int middle = side / 2;
        const auto alpha = [&image](int x, int y) { return qAlpha(image.pixel(x, y)); };
        const QString what = QStringLiteral("radius %1 blur %2").arg(row.radius).arg(row.blur);
        EXPECT_NEAR(alpha(middle, middle), 0.5 * 255, 2) << qPrintable(what);
        EXPECT_EQ(qBlue(qUnpremultiply(image.pixel(middle, middle))), 255) << qPrintable(what);
        EXPECT_EQ(alpha(0, 0), 0) << qPrintable(what);
        EXPECT_EQ(alpha(0, middle), 0) << qPrintable(what) << ": beyond the reach";
        // The left edge's pixels either side of it: more than half inside,
        // less outside (all or nothing when sharp).
        const int edge = reach + 1;
        EXPECT_GE(alpha(edge, middle), 0.5 * 255 / 2) << qPrintable(what);
        EXPECT_LE(alpha(edge - 1, middle), 0.5 * 255 / 2) << qPrintable(what);
        if (row.blur > 0) {
            EXPECT_GT(alpha(edge - 1, middle), 0) << qPrintable(what) << ": the blur crosses the edge";
        } else {
            EXPECT_EQ(alpha(edge - 1, middle), 0) << qPrintable(what);
        }
        for (int d = 0; d < side / 2; d += 3) {
            EXPECT_NEAR(alpha(d, middle), alpha(side - 1 - d, middle), 1) << qPrintable(what) << " at " << d;
            EXPECT_NEAR(alpha(middle, d), alpha(middle, side - 1 - d), 1) << qPrintable(what) << " at " << d;
        }
    }
}
