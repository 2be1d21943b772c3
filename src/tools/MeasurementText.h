#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace brimlark {

// The ruler's measurement text, "1024 × 768 px", and the rules of the list
// of recent measurements that holds it.
namespace MeasurementText {

inline constexpr qsizetype maximumRecent = 10;

// Width and height as plain decimal integers around " × ", then " px".
QString format(qint64 width, qint64 height);

struct Size
{
    double width = 0;
    double height = 0;
};

// Reads a text back as a width and a height: exactly one " × " (with the
// multiplication sign), then decimal numbers in the C locale with the whole
// part consumed; " px" is dropped from the height. Infinities and NaN read
// as themselves: whoever applies a size guards against them.
std::optional<Size> parse(const QString &text);

// A size as whole points (truncated toward zero); nothing when it is not
// finite or its magnitude reaches 2^31, which no window can have.
std::optional<qint64> wholePoints(double value);

// The list after recording a text: it moves to the front (never listed
// twice) and the oldest entry goes once the list would exceed ten.
QStringList recorded(QStringList recent, const QString &text);

} // namespace MeasurementText

} // namespace brimlark
