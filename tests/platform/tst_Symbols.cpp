#include "platform/gui/Symbols.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QStringList>

using brimlark::Symbols;

namespace {

struct Coverage
{
    int painted = 0;
    bool onlyTint = true;
};

Coverage coverage(const QImage &image, QRgb tint)
{
    Coverage result;
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < argb.height(); ++y) {
        for (int x = 0; x < argb.width(); ++x) {
            const QRgb pixel = argb.pixel(x, y);
            if (qAlpha(pixel) == 0) {
                continue;
            }
            ++result.painted;
            // Edge pixels are partly covered; their colour is still the tint's.
            if (qAlpha(pixel) == 255 && (pixel & 0xFFFFFF) != (tint & 0xFFFFFF)) {
                result.onlyTint = false;
            }
        }
    }
    return result;
}

// The names the views and the program's lists use are checked against
// these in the views' and the shell's tests.
TEST(Symbols, EveryListedNameDrawsInItsTint)
{
    const QStringList names = Symbols::names();
    EXPECT_FALSE(names.contains(u"LICENSE"_qs));
    for (const QString &name : names) {
        SCOPED_TRACE(name.toStdString());
        EXPECT_TRUE(Symbols::exists(name));
        const QImage image = Symbols::image(name, QSize(32, 32), QColor(0x20, 0x80, 0xF0));
        ASSERT_FALSE(image.isNull());
        const Coverage c = coverage(image, qRgb(0x20, 0x80, 0xF0));
        EXPECT_GT(c.painted, 20);
        EXPECT_LT(c.painted, 32 * 32);
        EXPECT_TRUE(c.onlyTint);
        // Drawn again in another tint, it is in that one.
        EXPECT_TRUE(coverage(Symbols::image(name, QSize(32, 32), Qt::red), qRgb(255, 0, 0)).onlyTint);
    }
}

TEST(Symbols, FilledNamesDrawTheFilledGlyph)
{
    const QRgb tint = qRgb(0, 0, 0);
    for (const auto &[outline, filled] : { std::pair { u"star"_qs, u"star.fill"_qs },
             std::pair { u"folder"_qs, u"folder.fill"_qs }, std::pair { u"heart"_qs, u"heart.fill"_qs } }) {
        const int outlineCoverage
            = coverage(Symbols::image(outline, QSize(48, 48), QColor(tint)), tint).painted;
        const int filledCoverage
            = coverage(Symbols::image(filled, QSize(48, 48), QColor(tint)), tint).painted;
        EXPECT_GT(filledCoverage, outlineCoverage + 100) << filled.toStdString();
    }
}

TEST(Symbols, UnknownOrUnsafeNamesOrAnEmptySizeDrawNothing)
{
    for (const QString &name : { QString(), u"no.such.symbol"_qs, u"STAR"_qs, u"star "_qs, u".star"_qs,
             u"star."_qs, u"star..fill"_qs, u"../symbols/star"_qs, u"star/../star"_qs, u"/symbols/star"_qs,
             u"LICENSE"_qs, u"star.svg"_qs }) {
        SCOPED_TRACE(name.toStdString());
        EXPECT_FALSE(Symbols::exists(name));
        EXPECT_TRUE(Symbols::resourcePath(name).isEmpty());
        EXPECT_TRUE(Symbols::image(name, QSize(16, 16), Qt::black).isNull());
    }
    // Nor does a known one in an empty size.
    EXPECT_TRUE(Symbols::image(u"star"_qs, QSize(0, 16), Qt::black).isNull());
    EXPECT_TRUE(Symbols::image(u"star"_qs, QSize(), Qt::black).isNull());
}

TEST(Symbols, AWideBoxCentresTheSquareGlyph)
{
    const QImage image = Symbols::image(u"square.grid.2x2.fill"_qs, QSize(96, 32), Qt::black);
    ASSERT_EQ(image.size(), QSize(96, 32));
    auto columnPainted = [&](int x) {
        for (int y = 0; y < image.height(); ++y) {
            if (qAlpha(image.pixel(x, y)) > 0) {
                return true;
            }
        }
        return false;
    };
    // The 32-point glyph sits in columns 32 to 63.
    for (const auto &[x, painted] : { std::pair { 5, false }, std::pair { 31, false }, std::pair { 42, true },
             std::pair { 54, true }, std::pair { 64, false }, std::pair { 90, false } }) {
        EXPECT_EQ(columnPainted(x), painted) << x;
    }
}

} // namespace
