#include "views/Color.h"
#include "views/Colors.h"

#include <gtest/gtest.h>

#include <QString>

using brimlark::Color;

namespace {

struct HexCase
{
    const char *name;
    QString text;
    Color expected;
};

constexpr double c(int value)
{
    return value / 255.0;
}

const Color Fallback { c(1), c(1), 0, c(1) };

void PrintTo(const HexCase &hexCase, std::ostream *os)
{
    *os << hexCase.name;
}

class ColorFromHex : public ::testing::TestWithParam<HexCase>
{
};

TEST_P(ColorFromHex, GivesTheColourOfItsForm)
{
    const HexCase &hexCase = GetParam();
    const Color color = Color::fromHex(hexCase.text);
    EXPECT_DOUBLE_EQ(color.red, hexCase.expected.red);
    EXPECT_DOUBLE_EQ(color.green, hexCase.expected.green);
    EXPECT_DOUBLE_EQ(color.blue, hexCase.expected.blue);
    EXPECT_DOUBLE_EQ(color.opacity, hexCase.expected.opacity);
}

INSTANTIATE_TEST_SUITE_P(Forms, ColorFromHex,
    ::testing::Values(HexCase { "six_digits_with_hash", QStringLiteral("#007AFF"), { 0, c(122), 1, 1 } },
        HexCase { "three_digits_upper", QStringLiteral("FFF"), { 1, 1, 1, 1 } },
        HexCase { "three_digits_lower_with_hash", QStringLiteral("#fff"), { 1, 1, 1, 1 } },
        HexCase { "three_digits_doubled", QStringLiteral("#abc"), { c(170), c(187), c(204), 1 } },
        HexCase { "eight_digits_alpha_first", QStringLiteral("80FF0000"), { 1, 0, 0, c(128) } },
        HexCase { "eight_digits_mixed", QStringLiteral("7F336699"), { c(51), c(102), c(153), c(127) } },
        HexCase { "mixed_case_digits", QStringLiteral("#aBcDeF"), { c(0xAB), c(0xCD), c(0xEF), 1 } }));

INSTANTIATE_TEST_SUITE_P(Fallbacks, ColorFromHex,
    ::testing::Values(HexCase { "empty", QString(), Fallback },
        HexCase { "only_punctuation", QStringLiteral("#  -"), Fallback },
        HexCase { "five_digits", QStringLiteral("#ABCDE"), Fallback },
        HexCase { "seven_digits", QStringLiteral("#ABCDEF1"), Fallback },
        HexCase { "nine_digits", QStringLiteral("ABCDEF123"), Fallback },
        HexCase { "one_digit", QStringLiteral("F"), Fallback }));

INSTANTIATE_TEST_SUITE_P(Trimming, ColorFromHex,
    ::testing::Values(HexCase { "blanks_and_hash", QStringLiteral("  #00FF00  "), { 0, 1, 0, 1 } },
        HexCase { "newline_after", QStringLiteral("#FF8000\n"), { 1, c(0x80), 0, 1 } },
        HexCase { "emoji_on_both_ends", QStringLiteral("\U0001F3A8FFF\U0001F3A8"), { 1, 1, 1, 1 } },
        HexCase { "symbols_on_both_ends", QStringLiteral("(#abc);"), { c(170), c(187), c(204), 1 } },
        // Inside characters stay: "12 34 56" is eight characters long, and
        // "12 3456" seven.
        HexCase { "inner_blanks_kept_eight", QStringLiteral("#12 34 56"), { 0, 0, c(0x12), 0 } },
        HexCase { "inner_blank_kept_seven", QStringLiteral("#12 3456"), Fallback }));

INSTANTIATE_TEST_SUITE_P(LengthNotDigitsDecides, ColorFromHex,
    ::testing::Values(HexCase { "no_hex_digit_six", QStringLiteral("ZZZZZZ"), { 0, 0, 0, 1 } },
        HexCase { "no_hex_digit_eight", QStringLiteral("ZZZZZZZZ"), { 0, 0, 0, 0 } },
        HexCase { "no_hex_digit_three_letters", QStringLiteral("\u00C4\u00D6\u00DC"), { 0, 0, 0, 1 } },
        HexCase { "other_script_digits", QStringLiteral("\u0661\u0662\u0663"), { 0, 0, 0, 1 } },
        HexCase { "leading_digits_only", QStringLiteral("12ZZZZ"), { 0, 0, c(0x12), 1 } },
        HexCase { "scan_stops_at_blank", QStringLiteral("FF 80 00"), { 0, 0, 1, 0 } },
        HexCase { "hex_prefix", QStringLiteral("0x1234"), { 0, c(0x12), c(0x34), 1 } },
        HexCase { "hex_prefix_upper", QStringLiteral("0X1234"), { 0, c(0x12), c(0x34), 1 } },
        HexCase { "hex_prefix_three", QStringLiteral("0xF"), { 0, 0, 1, 1 } },
        // A combining mark is part of the character before it: three characters.
        HexCase { "combining_mark_counts_with_its_letter", QStringLiteral("abc\u0301"),
            { c(170), c(187), c(204), 1 } },
        HexCase { "combining_mark_is_not_trimmed", QStringLiteral("#a\u0301bc"), { 0, 0, c(0xA * 17), 1 } }));

TEST(ColorFromHex, ComponentsMapToQColor)
{
    const QColor color = Color::fromHex(u"#80336699").toQColor();
    EXPECT_EQ(color.red(), 0x33);
    EXPECT_EQ(color.green(), 0x66);
    EXPECT_EQ(color.blue(), 0x99);
    EXPECT_EQ(color.alpha(), 0x80);
    EXPECT_EQ(color.spec(), QColor::Rgb);
}

TEST(ColorsHelper, GivesTheSameColourAsColorFromHex)
{
    const brimlark::Colors colors;
    for (const QString &text : { QStringLiteral("#007AFF"), QStringLiteral("abc"), QStringLiteral("7F336699"),
             QStringLiteral(""), QStringLiteral("nonsense") }) {
        EXPECT_EQ(colors.hex(text), Color::fromHex(text).toQColor()) << text.toStdString();
    }
}

} // namespace
