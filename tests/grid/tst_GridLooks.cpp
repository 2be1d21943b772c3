#include "grid/GridLooks.h"

#include <QColor>
#include <QImage>

#include <gtest/gtest.h>

using namespace brimlark;

namespace {

int alphaAt(const QImage &image, int x, int y)
{
    return qAlpha(image.pixel(x, y));
}

} // namespace

TEST(GridLooks, AShadowIsANinePatchThatFadesOutWithinItsReach)
{
    const struct
    {
        qreal corner;
        qreal blur;
        qreal alpha;
    } rows[] = { { 16, 4, 0.1 }, { 16, 12, 0.2 }, { 32, 20, 0.4 }, { 32, 40, 0.15 }, { 14, 8, 0.4 } };
    for (const auto &row : rows) {
        QColor color(Qt::black);
        color.setAlphaF(float(row.alpha));
        const QImage image = GridLooksImageProvider::shadow(row.corner, row.blur, color);
        const int m = GridLooksImageProvider::margin(row.blur);
        const int side = 2 * GridLooksImageProvider::border(row.corner, row.blur) + 1;
        ASSERT_EQ(image.size(), QSize(side, side)) << row.blur;
        const int centre = side / 2;
        // Full strength inside the shape, nothing at the reach's edge, and
        // the same on every side (a nine-patch stretches its middle only).
        EXPECT_NEAR(alphaAt(image, centre, centre), int(row.alpha * 255), 2) << row.blur;
        EXPECT_LE(alphaAt(image, 0, centre), 1) << row.blur;
        EXPECT_LE(alphaAt(image, 0, 0), 1) << row.blur;
        EXPECT_EQ(alphaAt(image, m / 2, centre), alphaAt(image, side - 1 - m / 2, centre));
        EXPECT_EQ(alphaAt(image, centre, m / 2), alphaAt(image, centre, side - 1 - m / 2));
        EXPECT_GT(alphaAt(image, m, centre), alphaAt(image, m / 2, centre)) << row.blur;
    }
}

TEST(GridLooks, AShadowOfAFixedShapeIsWholeAndFadesOutWithinItsReach)
{
    const QColor color = QColor::fromRgbF(0, 0, 0, 0.1f);
    for (const qreal scale : { 1.0, 2.0 }) {
        const QImage image = GridLooksImageProvider::shadow(QSizeF(68, 40), 16, 4, color, scale);
        const int m = GridLooksImageProvider::margin(4) * int(scale);
        ASSERT_EQ(image.size(), QSize(int(68 * scale) + 2 * m, int(40 * scale) + 2 * m)) << scale;
        const int cx = image.width() / 2;
        const int cy = image.height() / 2;
        EXPECT_NEAR(alphaAt(image, cx, cy), 25, 2) << scale;
        EXPECT_LE(alphaAt(image, 0, cy), 1) << scale;
        EXPECT_LE(alphaAt(image, cx, image.height() - 1), 1) << scale;
        EXPECT_EQ(alphaAt(image, m / 2, cy), alphaAt(image, image.width() - 1 - m / 2, cy)) << scale;
    }
}

TEST(GridLooks, AFillRunsFromTheTopLeadingCornerToTheBottomTrailingOne)
{
    const QColor from = QColor::fromRgbF(1, 1, 1, 0.35f);
    const QColor to = QColor::fromRgbF(1, 1, 1, 0.1f);
    const QImage image = GridLooksImageProvider::fill(QSizeF(260, 190), 32, from, to);
    ASSERT_EQ(image.size(), QSize(260, 190));
    // Diagonal: along the diagonal it changes, across it (top-trailing to
    // bottom-leading, through the centre) it stays.
    const int nearStart = alphaAt(image, 40, 40);
    const int nearEnd = alphaAt(image, 219, 149);
    EXPECT_GT(nearStart, nearEnd);
    EXPECT_NEAR(alphaAt(image, 130 + 40, 95 - 55), alphaAt(image, 130 - 40, 95 + 55), 3);
    // Rounded corners stay clear.
    EXPECT_EQ(alphaAt(image, 0, 0), 0);
    EXPECT_EQ(alphaAt(image, 259, 189), 0);
}

TEST(GridLooks, ImageAddressesCarryEveryParameterAndAreServed)
{
    const GridLooks looks(nullptr);
    const QUrl shadow = looks.shadowSource(32, 20, QColor::fromRgbF(0, 0, 0, 0.4f));
    const QUrl other = looks.shadowSource(32, 12, QColor::fromRgbF(0, 0, 0, 0.4f));
    EXPECT_EQ(shadow.scheme(), u"image"_qs);
    EXPECT_NE(shadow, other);
    GridLooksImageProvider provider;
    QSize size;
    const QString id = shadow.toString(QUrl::RemoveScheme | QUrl::RemoveAuthority).mid(1);
    const QImage served = provider.requestImage(id, &size, QSize());
    EXPECT_EQ(served, GridLooksImageProvider::shadow(32, 20, QColor::fromRgbF(0, 0, 0, 0.4f)));
    EXPECT_EQ(size, served.size());
    // A shape's size asks for its whole shadow, at the size the engine asks for.
    const QUrl whole = looks.shadowSource(16, 4, QColor::fromRgbF(0, 0, 0, 0.2f), 68, 40);
    const QString wholeId = whole.toString(QUrl::RemoveScheme | QUrl::RemoveAuthority).mid(1);
    const QSize twice(2 * (68 + 2 * GridLooksImageProvider::margin(4)), 0);
    EXPECT_EQ(provider.requestImage(wholeId, &size, twice),
        GridLooksImageProvider::shadow(QSizeF(68, 40), 16, 4, QColor::fromRgbF(0, 0, 0, 0.2f), 2));
    // Nonsense gives an empty picture, not a failure.
    EXPECT_EQ(provider.requestImage(u"nonsense?r=-5"_qs, &size, QSize()).size(), QSize(1, 1));
}
