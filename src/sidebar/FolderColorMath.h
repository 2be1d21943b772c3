#pragma once

#include "views/Color.h"

#include <QPointF>
#include <QString>
#include <QStringView>

#include <optional>

namespace brimlark {

// The folder colour picker's arithmetic on colours whose components are
// nominally 0 to 1: hex text both ways, the wheel's hue/saturation at full
// brightness, and the component fields' numbers.
class FolderColorMath
{
public:
    // Hex colour text as the picker reads it: non-alphanumeric characters
    // trimmed from both ends, the rest scanned as one hex number (optional
    // "0x", digits up to the first other character, 0 when none); the
    // trimmed length decides: 6 is RRGGBB, 3 is RGB with doubled digits,
    // anything else opaque mid grey (128, 128, 128).
    static Color colorFromHex(QStringView text);
    // "#RRGGBB" in upper case; each component is clamped to [0, 1] (NaN
    // counts as 0) and × 255 truncated towards zero. Alpha is not written.
    static QString colorToHex(const Color &color);
    // A component's 0–255 integer as colorToHex writes it.
    static int byteOf(double component);

    // The standard HSB-to-RGB rule; hue is a fraction of a turn and wraps,
    // so 1.0 is the same as 0 (red).
    static Color colorFromHsb(double hue, double saturation, double brightness);
    struct Hsb
    {
        double hue = 0;
        double saturation = 0;
        double brightness = 0;
    };
    // The standard RGB-to-HSB rule on the clamped components; hue in [0, 1).
    static Hsb hsbFromColor(const Color &color);

    // Where a press at (x, y) in a wheel of the given radius points: hue 0 at
    // the right, growing clockwise on screen (y down); saturation is the
    // distance from the centre over the radius, at most 1.
    struct WheelPoint
    {
        double hue = 0;
        double saturation = 0;
    };
    static WheelPoint wheelPoint(double x, double y, double radius);
    // The knob's centre for a hue and saturation, in the wheel's square.
    static QPointF knobCenter(double hue, double saturation, double radius);

    // A component field's number: the C library's strtod in the C locale,
    // whatever the user's locale; only when the whole text is consumed and
    // it starts with no white space or NUL.
    static std::optional<double> readNumber(QStringView text);
};

} // namespace brimlark
