#include "tools/MeasurementText.h"
#include "tools/RulerGridCanvas.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace brimlark;

TEST(MeasurementText, FormatsWholeSizesAroundTheMultiplicationSign)
{
    EXPECT_EQ(MeasurementText::format(400, 300).toUtf8(), QByteArray("400 \xC3\x97 300 px"));
    EXPECT_EQ(MeasurementText::format(1024, 768), QStringLiteral("1024 \u00D7 768 px"));
    EXPECT_EQ(MeasurementText::format(-5, 12345678), QStringLiteral("-5 \u00D7 12345678 px"));
}

TEST(MeasurementText, ReadsBackOnlyTheMeasurementForm)
{
    const double inf = std::numeric_limits<double>::infinity();
    struct Row
    {
        const char *text;
        bool parses;
        double width, height;
    };
    const Row rows[] = {
        { "400 \u00D7 300 px", true, 400, 300 }, { "  640.5 \u00D7 480 px ", true, 640.5, 480 },
        { "1e3 \u00D7 2E2", true, 1000, 200 }, { "inf \u00D7 300 px", true, inf, 300 },
        { "400 x 300 px", false, 0, 0 }, // Latin x
        { "1 \u00D7 2 \u00D7 3 px", false, 0, 0 }, // two separators
        { " \u00D7 300 px", false, 0, 0 }, // empty width
        { "400 \u00D7 300 pixels", false, 0, 0 }, // not wholly a number
        { "4,5 \u00D7 300 px", false, 0, 0 }, // no locale decimal comma
    };
    for (const Row &row : rows) {
        const auto size = MeasurementText::parse(QString::fromUtf8(row.text));
        ASSERT_EQ(size.has_value(), row.parses) << row.text;
        if (size) {
            EXPECT_EQ(size->width, row.width) << row.text;
            EXPECT_EQ(size->height, row.height) << row.text;
        }
    }
}

TEST(MeasurementText, WholePointsRefuseWhatNoWindowCanBe)
{
    EXPECT_EQ(MeasurementText::wholePoints(412.8), 412);
    EXPECT_EQ(MeasurementText::wholePoints(-3.9), -3);
    EXPECT_EQ(MeasurementText::wholePoints(2147483647.5), 2147483647);
    for (double bad : { 2147483648.0, -2147483648.0, 1e300, std::numeric_limits<double>::infinity(),
             -std::numeric_limits<double>::infinity(), std::nan("") }) {
        EXPECT_FALSE(MeasurementText::wholePoints(bad).has_value()) << bad;
    }
}

TEST(MeasurementText, RecentListMovesRepeatsToTheFrontAndKeepsTen)
{
    const QString a = MeasurementText::format(400, 300);
    const QString b = MeasurementText::format(800, 600);
    EXPECT_EQ(MeasurementText::recorded({ b, a }, a), QStringList({ a, b }));

    QStringList ten;
    for (int i = 0; i < 10; ++i) {
        ten << MeasurementText::format(i, i);
    }
    const QStringList added = MeasurementText::recorded(ten, a);
    ASSERT_EQ(added.size(), 10);
    EXPECT_EQ(added.first(), a);
    EXPECT_EQ(added.last(), ten[8]);

    const QStringList moved = MeasurementText::recorded(ten, ten[5]);
    ASSERT_EQ(moved.size(), 10);
    EXPECT_EQ(moved.first(), ten[5]);
    EXPECT_EQ(moved.last(), ten[9]);
}

TEST(RulerGridCanvas, TicksAndLabelsFollowTheExtent)
{
    const auto at400 = RulerGridCanvas::ticks(400);
    ASSERT_EQ(at400.size(), 40);
    QList<int> labels;
    for (const auto &tick : at400) {
        const double expected = tick.value % 100 == 0 ? 12 : tick.value % 50 == 0 ? 8 : 4;
        EXPECT_EQ(tick.length, expected) << tick.value;
        if (tick.labelled) {
            labels << tick.value;
        }
    }
    EXPECT_EQ(labels, QList<int>({ 100, 200, 300 }));

    const auto at315 = RulerGridCanvas::ticks(315.5);
    EXPECT_EQ(at315.last().value, 310);
    EXPECT_FALSE(at315[30].labelled); // 300 is not below 295.5
    EXPECT_FALSE(RulerGridCanvas::ticks(120)[10].labelled);
    EXPECT_EQ(RulerGridCanvas::extentText(412.8), QStringLiteral("412 px"));
}
