#include "views/RoundShadows.h"

#include <gtest/gtest.h>

#include <QColor>
#include <QImage>

using brimlark::RoundShadowImageProvider;

namespace {

int alphaAt(const QImage &image, qreal x, qreal y)
{
    return qAlpha(image.pixel(int(x), int(y)));
}

} // namespace

// A swatch's shadow: full strength (the colour's own opacity) inside the
// circle, half at its edge, fading to nothing within the reach; drawn at
// the screen's density; a sharp one when there is no blur.
TEST(RoundShadows, aCircleBlursAcrossItsEdgeWithinItsReach)
{
    const QColor tint = QColor::fromRgbF(1, 0, 0, 0.35);
    const struct
    {
        qreal blur;
        qreal scale;
    } cases[] = { { 4, 1 }, { 4, 2 }, { 2, 1 }, { 0, 1 } };
    for (const auto &c : cases) {
        const int reach = RoundShadowImageProvider::reach(c.blur);
        const QImage image = RoundShadowImageProvider::shadow(22, c.blur, tint, c.scale);
        const qreal side = (22 + 2 * reach) * c.scale;
        ASSERT_EQ(image.width(), int(std::ceil(side))) << c.blur << " " << c.scale;
        const qreal centre = side / 2;
        const qreal edge = centre + 11 * c.scale;
        EXPECT_NEAR(alphaAt(image, centre, centre), 0.35 * 255, 2);
        EXPECT_EQ(qRed(qUnpremultiply(image.pixel(int(centre), int(centre)))), 255);
        EXPECT_EQ(alphaAt(image, 0, 0), 0);
        if (c.blur > 0) {
            // Half strength lies on the edge: between the pixels either side.
            EXPECT_GT(alphaAt(image, edge - 1, centre), 0.35 * 255 / 2) << "inside the edge";
            EXPECT_LT(alphaAt(image, edge, centre), 0.35 * 255 / 2) << "outside the edge";
            EXPECT_GT(alphaAt(image, edge, centre), 0) << "outside the edge";
            EXPECT_LE(alphaAt(image, side - 1, centre), 2) << "beyond the reach";
        } else {
            EXPECT_NEAR(alphaAt(image, edge - 1, centre), 0.35 * 255, 2) << "sharp inside the edge";
        }
    }
}
