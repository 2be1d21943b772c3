#include "grid/GridColumns.h"

#include <gtest/gtest.h>

#include <limits>

using namespace brimlark;

namespace {

struct ColumnCase
{
    double width;
    int appCount;
    double appMinimum;
    double appMaximum;
    double appSpacing;
    int categoryCount;
    double categoryMaximum;
};

class GridColumnsForWidth : public ::testing::TestWithParam<ColumnCase>
{
};

TEST_P(GridColumnsForWidth, FitsBothListsToThePane)
{
    const ColumnCase c = GetParam();
    const GridColumns columns = GridColumns::forWidth(c.width);
    EXPECT_EQ(columns.apps.count, c.appCount);
    EXPECT_DOUBLE_EQ(columns.apps.minimum, c.appMinimum);
    EXPECT_NEAR(columns.apps.maximum, c.appMaximum, 0.005);
    EXPECT_DOUBLE_EQ(columns.apps.spacing, c.appSpacing);
    EXPECT_EQ(columns.categories.count, c.categoryCount);
    EXPECT_DOUBLE_EQ(columns.categories.minimum, 260);
    EXPECT_NEAR(columns.categories.maximum, c.categoryMaximum, 0.005);
    EXPECT_DOUBLE_EQ(columns.categories.spacing, 24);
}

INSTANTIATE_TEST_SUITE_P(Widths, GridColumnsForWidth,
    ::testing::Values(
        // 1000 is still small; one more point makes the layout large.
        ColumnCase { 1000, 6, 110, 136, 24, 3, 280 }, ColumnCase { 1001, 5, 130, 161.8, 32, 3, 280 },
        ColumnCase { 900, 6, 110, 119.33, 24, 2, 280 }, ColumnCase { 1200, 7, 130, 134.86, 32, 4, 266 },
        ColumnCase { 2000, 11, 130, 146.91, 32, 6, 280 },
        // The narrowest pane the window allows: 900 less the widest sidebar.
        ColumnCase { 580, 3, 110, 140, 24, 1, 280 }));

TEST(GridColumns, StartWithFiveAppColumnsAndTwoCategoryColumns)
{
    const GridColumns initial;
    EXPECT_EQ(initial.apps, (GridColumnLayout { 5, 110, 140, 24 }));
    EXPECT_EQ(initial.categories, (GridColumnLayout { 2, 260, 280, 24 }));
}

TEST(GridColumns, AnUnmeasuredOrTinyPaneStillHasOneColumnOfEach)
{
    for (const double width : { 0.0, -50.0, 100.0, std::numeric_limits<double>::quiet_NaN() }) {
        const GridColumns columns = GridColumns::forWidth(width);
        EXPECT_EQ(columns.apps.count, 1) << width;
        EXPECT_EQ(columns.categories.count, 1) << width;
    }
}

TEST(GridColumnLayout, ColumnsShareTheWidthWithinTheirLimits)
{
    const GridColumnLayout layout { 3, 110, 140, 24 };
    // 516 points: an equal share of 156 is more than the maximum.
    EXPECT_DOUBLE_EQ(layout.columnWidth(516), 140);
    EXPECT_DOUBLE_EQ(layout.contentWidth(516), 3 * 140 + 2 * 24);
    // 300 points: 84 each is less than the minimum, which wins.
    EXPECT_DOUBLE_EQ(layout.columnWidth(300), 110);
    // In between the share is used as it is.
    EXPECT_DOUBLE_EQ(layout.columnWidth(3 * 120 + 48), 120);
}

TEST(GridColumnLayout, TheComputedListsFillTheirPaneExactlyWhenNotCapped)
{
    const GridColumns columns = GridColumns::forWidth(1200);
    const double available = 1200 - 64;
    EXPECT_NEAR(columns.apps.contentWidth(available), available, 1e-9);
}

} // namespace
