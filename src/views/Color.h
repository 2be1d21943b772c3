#pragma once

#include <QColor>
#include <QStringView>

#include <cstdint>

namespace brimlark {

// An sRGB colour read from hex colour text ("#007AFF", "fff", "80FF0000").
// Every view turns colour text into a colour through here.
struct Color
{
    double red = 0;
    double green = 0;
    double blue = 0;
    double opacity = 0;

    // Never fails. Characters that are not letters, marks or digits are
    // trimmed from both ends; the rest is scanned as one hexadecimal number
    // from its start (optional 0x), and the trimmed text's length in
    // user-perceived characters decides the form: 3 is RGB with each digit
    // doubled, 6 is RRGGBB, 8 is AARRGGBB. Any other length gives the nearly
    // invisible red 1/255, green 1/255, blue 0, opacity 1/255.
    static Color fromHex(QStringView text);
    // The hexadecimal number at the start of the text (after an optional
    // 0x/0X), up to its first other character; 0 when none. Saturates
    // rather than wrapping past 64 bits.
    static std::uint64_t leadingHexNumber(QStringView text);

    QColor toQColor() const;

    friend bool operator==(const Color &, const Color &) = default;
};

} // namespace brimlark
