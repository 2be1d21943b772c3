#include "platform/gui/Symbols.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QStringList>

using brimlark::Symbols;

namespace {

// Every symbol name that the launcher's views draw or offer (toolbar, tiles,
// cards, sidebar, pickers, lock screens, uninstaller, desk tools).
const QStringList &namesUsedByTheViews()
{
    static const QStringList names {
        u"app.badge"_qs,
        u"app.badge.fill"_qs,
        u"app.fill"_qs,
        u"archivebox.fill"_qs,
        u"arrow.up.arrow.down"_qs,
        u"atom"_qs,
        u"bolt"_qs,
        u"bolt.fill"_qs,
        u"book.fill"_qs,
        u"bookmark.fill"_qs,
        u"briefcase"_qs,
        u"briefcase.fill"_qs,
        u"calendar"_qs,
        u"calendar.fill"_qs,
        u"camera"_qs,
        u"camera.fill"_qs,
        u"chart.bar"_qs,
        u"chart.bar.fill"_qs,
        u"chart.pie"_qs,
        u"chart.pie.fill"_qs,
        u"checkmark"_qs,
        u"checkmark.square.fill"_qs,
        u"chevron.left"_qs,
        u"chevron.left.forwardslash.chevron.right"_qs,
        u"chevron.right"_qs,
        u"chevron.up.chevron.down"_qs,
        u"chevron.up.circle.fill"_qs,
        u"clock"_qs,
        u"code.square.fill"_qs,
        u"cpu"_qs,
        u"cpu.fill"_qs,
        u"creditcard.fill"_qs,
        u"crop"_qs,
        u"cube"_qs,
        u"cube.fill"_qs,
        u"doc.badge.checkmark"_qs,
        u"doc.fill"_qs,
        u"doc.on.doc"_qs,
        u"doc.on.doc.fill"_qs,
        u"doc.plaintext"_qs,
        u"doc.plaintext.fill"_qs,
        u"doc.richtext"_qs,
        u"doc.richtext.fill"_qs,
        u"doc.text"_qs,
        u"doc.text.fill"_qs,
        u"envelope"_qs,
        u"envelope.fill"_qs,
        u"exclamationmark.triangle.fill"_qs,
        u"externaldrive"_qs,
        u"externaldrive.badge.timemachine"_qs,
        u"externaldrive.fill"_qs,
        u"eye"_qs,
        u"eye.slash"_qs,
        u"eyedropper"_qs,
        u"eyedropper.halffull"_qs,
        u"film"_qs,
        u"film.fill"_qs,
        u"folder"_qs,
        u"folder.badge.plus"_qs,
        u"folder.fill"_qs,
        u"gamecontroller"_qs,
        u"gamecontroller.fill"_qs,
        u"gear"_qs,
        u"gearshape"_qs,
        u"gearshape.fill"_qs,
        u"gearshape.2"_qs,
        u"gearshape.2.fill"_qs,
        u"globe"_qs,
        u"headphones"_qs,
        u"headphones.fill"_qs,
        u"heart"_qs,
        u"heart.fill"_qs,
        u"house"_qs,
        u"house.fill"_qs,
        u"internaldrive.fill"_qs,
        u"key"_qs,
        u"key.fill"_qs,
        u"laptopcomputer"_qs,
        u"lightbulb"_qs,
        u"lightbulb.fill"_qs,
        u"line.3.horizontal"_qs,
        u"lock.doc.fill"_qs,
        u"lock.fill"_qs,
        u"lock.open.fill"_qs,
        u"lock.shield"_qs,
        u"lock.shield.fill"_qs,
        u"magnifyingglass"_qs,
        u"music.note"_qs,
        u"music.note.fill"_qs,
        u"network"_qs,
        u"newspaper"_qs,
        u"newspaper.fill"_qs,
        u"note.text"_qs,
        u"note.text.badge.plus"_qs,
        u"paintbrush"_qs,
        u"paintbrush.fill"_qs,
        u"paintpalette"_qs,
        u"paintpalette.fill"_qs,
        u"pencil"_qs,
        u"pencil.circle.fill"_qs,
        u"pencil.tip"_qs,
        u"personalhotspot"_qs,
        u"pin.fill"_qs,
        u"play.fill"_qs,
        u"play.tv"_qs,
        u"play.tv.fill"_qs,
        u"plus"_qs,
        u"plus.circle"_qs,
        u"plus.circle.fill"_qs,
        u"puzzlepiece.extension.fill"_qs,
        u"qrcode"_qs,
        u"ruler"_qs,
        u"ruler.fill"_qs,
        u"shippingbox.fill"_qs,
        u"slider.horizontal.3"_qs,
        u"sparkles"_qs,
        u"speaker.wave.2"_qs,
        u"speaker.wave.2.fill"_qs,
        u"square"_qs,
        u"square.grid.2x2"_qs,
        u"square.grid.2x2.fill"_qs,
        u"star"_qs,
        u"star.fill"_qs,
        u"stop.fill"_qs,
        u"tag.fill"_qs,
        u"terminal"_qs,
        u"terminal.fill"_qs,
        u"touchid"_qs,
        u"trash"_qs,
        u"trash.fill"_qs,
        u"video"_qs,
        u"video.fill"_qs,
        u"wand.and.stars"_qs,
        u"wrench"_qs,
        u"wrench.fill"_qs,
        u"wrenches.fill"_qs,
        u"xmark.circle"_qs,
        u"xmark.circle.fill"_qs,
    };
    return names;
}

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

TEST(Symbols, EveryNameTheViewsUseHasAGlyph)
{
    const QStringList available = Symbols::names();
    for (const QString &name : namesUsedByTheViews()) {
        SCOPED_TRACE(name.toStdString());
        EXPECT_TRUE(Symbols::exists(name));
        EXPECT_TRUE(available.contains(name));
        const QImage image = Symbols::image(name, QSize(32, 32), QColor(0x20, 0x80, 0xF0));
        ASSERT_FALSE(image.isNull());
        const Coverage c = coverage(image, qRgb(0x20, 0x80, 0xF0));
        EXPECT_GT(c.painted, 20);
        EXPECT_LT(c.painted, 32 * 32);
        EXPECT_TRUE(c.onlyTint);
    }
}

TEST(Symbols, NamesListsOnlyDrawableNames)
{
    const QStringList names = Symbols::names();
    EXPECT_GE(names.size(), namesUsedByTheViews().size());
    for (const QString &name : names) {
        EXPECT_TRUE(Symbols::exists(name)) << name.toStdString();
    }
    EXPECT_FALSE(names.contains(u"LICENSE"_qs));
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

TEST(Symbols, UnknownOrUnsafeNamesDrawNothing)
{
    for (const QString &name : { QString(), u"no.such.symbol"_qs, u"STAR"_qs, u"star "_qs, u".star"_qs,
             u"star."_qs, u"star..fill"_qs, u"../symbols/star"_qs, u"star/../star"_qs, u"/symbols/star"_qs,
             u"LICENSE"_qs, u"star.svg"_qs }) {
        SCOPED_TRACE(name.toStdString());
        EXPECT_FALSE(Symbols::exists(name));
        EXPECT_TRUE(Symbols::resourcePath(name).isEmpty());
        EXPECT_TRUE(Symbols::image(name, QSize(16, 16), Qt::black).isNull());
    }
}

TEST(Symbols, AnEmptySizeGivesNoImage)
{
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
    EXPECT_FALSE(columnPainted(5));
    EXPECT_FALSE(columnPainted(31));
    EXPECT_TRUE(columnPainted(42));
    EXPECT_TRUE(columnPainted(54));
    EXPECT_FALSE(columnPainted(64));
    EXPECT_FALSE(columnPainted(90));
}

} // namespace
