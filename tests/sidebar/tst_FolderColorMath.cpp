#include "sidebar/FolderColorMath.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdlib>
#include <limits>

using namespace brimlark;

namespace {
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();
} // namespace

TEST(FolderColorMath, readsHexByTrimmedLength)
{
    const struct
    {
        const char16_t *text;
        const char *hex;
    } cases[] = {
        { u"#007AFF", "#007AFF" },
        { u"#abc", "#AABBCC" },
        { u"  ff3b30 ", "#FF3B30" },
        { u"#80FF0000", "#808080" },
        { u"hello", "#808080" },
        { u"#zzzzzz", "#000000" },
        { u"#12zzzz", "#000012" },
        { u"0x12", "#808080" },
        { u"", "#808080" },
    };
    for (const auto &c : cases) {
        const Color color = FolderColorMath::colorFromHex(QString::fromUtf16(c.text));
        EXPECT_EQ(FolderColorMath::colorToHex(color), QLatin1String(c.hex))
            << QString::fromUtf16(c.text).toStdString();
        EXPECT_EQ(color.opacity, 1.0);
    }
}

TEST(FolderColorMath, writesTruncatedUpperCaseHexOfClampedComponents)
{
    const struct
    {
        Color color;
        const char *hex;
    } cases[] = {
        { { 0.5, 1, 0, 1 }, "#7FFF00" }, // 127.5 truncates
        { { 12.9 / 255, 0, 0, 0.5 }, "#0C0000" }, // alpha never written
        { { 2, -1, 1e300, 1 }, "#FF00FF" },
        { { kNaN, kInf, -kInf, 1 }, "#00FF00" },
    };
    for (const auto &c : cases) {
        EXPECT_EQ(FolderColorMath::colorToHex(c.color), QLatin1String(c.hex)) << c.hex;
    }
}

TEST(FolderColorMath, wheelPointsGiveTheirColours)
{
    const struct
    {
        double x, y;
        const char *hex;
        double saturation;
    } cases[] = {
        { 70, 70, "#FFFFFF", 0 },
        { 140, 70, "#FF0000", 1 },
        { 0, 70, "#00FFFF", 1 },
        { 70, 140, "#7FFF00", 1 },
        { 400, 70, "#FF0000", 1 },
        { kNaN, 3, "#FFFFFF", 0 },
    };
    for (const auto &c : cases) {
        const auto p = FolderColorMath::wheelPoint(c.x, c.y, 70);
        EXPECT_DOUBLE_EQ(p.saturation, c.saturation);
        EXPECT_EQ(FolderColorMath::colorToHex(FolderColorMath::colorFromHsb(p.hue, p.saturation, 1)),
            QLatin1String(c.hex))
            << c.x << "," << c.y;
        // Back from the colour to the same place.
        const auto hsb = FolderColorMath::hsbFromColor(FolderColorMath::colorFromHsb(p.hue, p.saturation, 1));
        const QPointF knob = FolderColorMath::knobCenter(hsb.hue, hsb.saturation, 70);
        const QPointF press = FolderColorMath::knobCenter(p.hue, p.saturation, 70);
        EXPECT_NEAR(knob.x(), press.x(), 1e-9);
        EXPECT_NEAR(knob.y(), press.y(), 1e-9);
    }
}

TEST(FolderColorMath, hueOfOneWrapsToTheFirstSector)
{
    // A press a hair above the right-hand rim's axis: atan2 gives a tiny
    // negative angle and adding 1 rounds to exactly 1.0.
    const auto p = FolderColorMath::wheelPoint(140, std::nextafter(70.0, 0.0), 70);
    ASSERT_EQ(p.hue, 1.0);
    EXPECT_EQ(FolderColorMath::colorToHex(FolderColorMath::colorFromHsb(p.hue, 1, 1)), u"#FF0000");
    EXPECT_EQ(FolderColorMath::colorToHex(FolderColorMath::colorFromHsb(1.0, 0.5, 1)), u"#FF7F7F");
}

TEST(FolderColorMath, readsComponentNumbersAsCNumbers)
{
    const struct
    {
        const char16_t *text;
        std::optional<double> value;
    } cases[] = {
        { u"12.9", 12.9 },
        { u"1e2", 100 },
        { u"-3", -3 },
        { u"+4.5", 4.5 },
        { u" 12", {} },
        { u"12 ", {} },
        { u"", {} },
        { u"12,9", {} },
        { u"abc", {} },
        { u"\t1", {} },
    };
    for (const auto &c : cases) {
        EXPECT_EQ(FolderColorMath::readNumber(QString::fromUtf16(c.text)), c.value)
            << QString::fromUtf16(c.text).toStdString();
    }
    EXPECT_EQ(FolderColorMath::readNumber(QStringView(u"1\u00002", 3)), std::nullopt);
    EXPECT_TRUE(std::isinf(*FolderColorMath::readNumber(u"inf")));
    EXPECT_TRUE(std::isnan(*FolderColorMath::readNumber(u"nan")));
}

TEST(FolderColorMath, readsCNumbersInAGermanLocale)
{
    // The locale is compiled into a temporary folder so the test needs no
    // system-wide locale.
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString target = dir.filePath(QStringLiteral("de_DE.UTF-8"));
    const QByteArray command = "localedef -i de_DE -f UTF-8 '" + target.toLocal8Bit() + "' 2>/dev/null";
    ASSERT_EQ(std::system(command.constData()), 0) << "localedef (package locales) is needed";
    qputenv("LOCPATH", dir.path().toLocal8Bit());
    ASSERT_NE(std::setlocale(LC_ALL, "de_DE.UTF-8"), nullptr);
    const auto dotted = FolderColorMath::readNumber(u"12.9");
    const auto comma = FolderColorMath::readNumber(u"12,9");
    std::setlocale(LC_ALL, "C");
    qunsetenv("LOCPATH");
    EXPECT_EQ(dotted, 12.9);
    EXPECT_EQ(comma, std::nullopt);
}
