#include "platform/core/RulerWindowPlacement.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace brimlark;

namespace {

const QRectF desktop(0, 0, 1920, 1080);

TEST(RulerWindowPlacement, AResizeIsHeldBetweenTheMinimumAndTheDesktop)
{
    const double inf = std::numeric_limits<double>::infinity();
    const QRectF at(100, 500, 400, 300);
    struct Case
    {
        double width, height;
        QRectF desktop;
        QSizeF size;
    };
    for (const Case &c : {
             // Whole points, cut as the record cuts them.
             Case { 640.9, 480.5, desktop, { 640, 480 } },
             Case { 32767, 32767, desktop, { 1920, 1080 } },
             Case { 20000, 300, desktop, { 1920, 300 } },
             Case { 0, 0, desktop, { 200, 160 } },
             Case { -400, -300, desktop, { 200, 160 } },
             Case { 199.5, 159, desktop, { 200, 160 } },
             Case { inf, -inf, desktop, { 1920, 160 } },
             Case { std::nan(""), 300, desktop, { 200, 300 } },
             // Two screens side by side: the ruler may span both.
             Case { 5000, 900, QRectF(-1920, 0, 3840, 1080), { 3840, 900 } },
             // A desktop smaller than the ruler's minimum still gets a usable ruler.
             Case { 500, 500, QRectF(0, 0, 150, 100), { 200, 160 } },
             // Desktop not known: only the window system's limit holds.
             Case { 40000, 300, QRectF(), { 32767, 300 } },
         }) {
        const QRectF frame = RulerWindowPlacement::resizedFrame(at, c.width, c.height, c.desktop);
        EXPECT_EQ(frame.topLeft(), at.topLeft()) << c.width << " x " << c.height;
        EXPECT_EQ(frame.size(), c.size) << c.width << " x " << c.height;
    }
}

TEST(RulerWindowPlacement, AMouseResizeStopsAtTheDesktopsEdgesAndTheMinimum)
{
    const QRectF from(1000, 400, 400, 300);
    struct Case
    {
        const char *what;
        QRectF to;
        QRectF expected;
    };
    for (const Case &c : {
             Case { "inside", QRectF(1000, 400, 600, 350), QRectF(1000, 400, 600, 350) },
             Case {
                 "right edge past the desktop", QRectF(1000, 400, 30000, 300), QRectF(1000, 400, 920, 300) },
             Case {
                 "bottom edge past the desktop", QRectF(1000, 400, 400, 30000), QRectF(1000, 400, 400, 680) },
             Case { "left edge past the desktop", QRectF(-5000, 400, 6400, 300), QRectF(0, 400, 1400, 300) },
             Case { "top edge past the desktop", QRectF(1000, -900, 400, 1600), QRectF(1000, 0, 400, 700) },
             Case {
                 "right edge below the minimum", QRectF(1000, 400, -300, 300), QRectF(1000, 400, 200, 300) },
             Case { "left edge below the minimum", QRectF(1390, 400, 10, 300), QRectF(1200, 400, 200, 300) },
             Case { "top edge below the minimum", QRectF(1000, 690, 400, 10), QRectF(1000, 540, 400, 160) },
             Case { "a move keeps its size", QRectF(1100, -50, 400, 300), QRectF(1100, -50, 400, 300) },
             Case { "a move keeps the minimum on the desktop", QRectF(3000, -900, 400, 300),
                 QRectF(1720, -140, 400, 300) },
         }) {
        EXPECT_EQ(RulerWindowPlacement::draggedFrame(from, c.to, desktop), c.expected) << c.what;
    }

    // A ruler already hanging past the edge is not pulled back; it only grows no further.
    const QRectF hanging(1800, 400, 400, 300);
    EXPECT_EQ(RulerWindowPlacement::draggedFrame(hanging, QRectF(1800, 400, 900, 300), desktop), hanging);
    EXPECT_EQ(RulerWindowPlacement::draggedFrame(hanging, QRectF(1800, 400, 300, 300), desktop),
        QRectF(1800, 400, 300, 300));
    // Moved half off the screen and stretched back to its edge, again and
    // again: never larger than the desktop.
    QRectF ruler = from;
    for (int i = 0; i < 20; ++i) {
        ruler = RulerWindowPlacement::draggedFrame(ruler, ruler.translated(-5000, -5000), desktop);
        ruler = RulerWindowPlacement::draggedFrame(
            ruler, QRectF(ruler.topLeft(), QPointF(desktop.right() + 500, desktop.bottom() + 500)), desktop);
        ASSERT_LE(ruler.width(), desktop.width()) << i;
        ASSERT_LE(ruler.height(), desktop.height()) << i;
    }
    // Without a known desktop the window system's limit holds.
    EXPECT_EQ(
        RulerWindowPlacement::draggedFrame(from, QRectF(1000, 400, 90000, 300), QRectF()).width(), 32767);
}

} // namespace
