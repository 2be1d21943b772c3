#include "shell/WindowSizing.h"

#include <gtest/gtest.h>

namespace WindowSizing = brimlark::WindowSizing;

namespace {

struct FirstLaunchCase
{
    const char *name;
    std::optional<QRectF> screen;
    QSizeF content;
    QPointF origin;
};

void PrintTo(const FirstLaunchCase &c, std::ostream *os)
{
    *os << c.name;
}

class FirstLaunch : public ::testing::TestWithParam<FirstLaunchCase>
{
};

TEST_P(FirstLaunch, TakesThreeQuartersOfTheScreenCentred)
{
    const FirstLaunchCase &c = GetParam();
    const QSizeF content = WindowSizing::firstLaunchContentSize(c.screen);
    EXPECT_EQ(content, c.content);
    EXPECT_EQ(WindowSizing::centred(content, c.screen), QRectF(c.origin, c.content));
}

INSTANTIATE_TEST_SUITE_P(Screens, FirstLaunch,
    ::testing::Values(
        FirstLaunchCase { "screen_1440x900", QRectF(0, 0, 1440, 900), { 1080, 675 }, { 180, 112.5 } },
        FirstLaunchCase { "no_screen_falls_back_to_1440x900", std::nullopt, { 1080, 675 }, { 180, 112.5 } },
        FirstLaunchCase { "screen_1600x1000", QRectF(0, 0, 1600, 1000), { 1200, 750 }, { 200, 125 } },
        // A second monitor right of the first: centred on that one.
        FirstLaunchCase {
            "screen_with_origin", QRectF(1440, -100, 2560, 1440), { 1920, 1080 }, { 1760, 80 } }));

struct GrowCase
{
    const char *name;
    QSizeF frame;
    std::optional<QSizeF> grown;
};

void PrintTo(const GrowCase &c, std::ostream *os)
{
    *os << c.name;
}

class LaterLaunch : public ::testing::TestWithParam<GrowCase>
{
};

TEST_P(LaterLaunch, GrowsOnlyWhatIsBelowTheMinimum)
{
    const GrowCase &c = GetParam();
    EXPECT_EQ(WindowSizing::grownToMinimum(c.frame), c.grown);
}

INSTANTIATE_TEST_SUITE_P(Frames, LaterLaunch,
    ::testing::Values(GrowCase { "too_narrow", { 800, 700 }, QSizeF(900, 700) },
        GrowCase { "too_low", { 1000, 500 }, QSizeF(1000, 600) },
        GrowCase { "both_too_small", { 400, 300 }, QSizeF(900, 600) },
        GrowCase { "a_fraction_too_narrow", { 899.5, 800 }, QSizeF(900, 800) },
        GrowCase { "exactly_minimum", { 900, 600 }, std::nullopt },
        GrowCase { "larger", { 1200, 800 }, std::nullopt }));

TEST(WindowSizing, ARestoredFrameStaysWhereItCanStillBeGrabbed)
{
    const QRectF left(0, 0, 1440, 900);
    const QRectF right(1440, 0, 1920, 1080);
    const struct
    {
        const char *name;
        QRectF stored;
        QList<QRectF> screens;
        QRectF expected;
    } rows[] = {
        { "on its screen", { 100, 120, 1000, 700 }, { left }, { 100, 120, 1000, 700 } },
        { "on the second screen", { 1600, 50, 1000, 700 }, { left, right }, { 1600, 50, 1000, 700 } },
        { "below the minimum grows", { 100, 120, 800, 500 }, { left }, { 100, 120, 900, 600 } },
        { "mostly off the right edge", { 1380, 100, 1000, 700 }, { left }, { 220, 100, 1000, 700 } },
        { "title above the screen", { 100, -60, 1000, 700 }, { left }, { 220, 100, 1000, 700 } },
        { "screen gone", { 1600, 50, 1000, 700 }, { left }, { 220, 100, 1000, 700 } },
        { "larger than what is left", { 4000, 0, 2000, 1200 }, { left }, left },
        { "larger than its screen", { 100, 50, 3800, 2100 }, { left }, left },
        { "wider than its screen", { 100, 50, 2000, 700 }, { left }, { 0, 50, 1440, 700 } },
        { "huge on the second screen", { 1500, 20, 100000, 100000 }, { left, right }, right },
        { "no screens", { 5000, 5000, 1000, 700 }, {}, { 5000, 5000, 1000, 700 } },
    };
    for (const auto &row : rows) {
        EXPECT_EQ(WindowSizing::restoredFrame(row.stored, row.screens), row.expected) << row.name;
    }
}

} // namespace
