#include "views/Color.h"

#include <QChar>
#include <QString>
#include <QTextBoundaryFinder>

#include <cstdint>

namespace brimlark {

namespace {

bool isAlphanumeric(char32_t codePoint)
{
    switch (QChar::category(codePoint)) {
    case QChar::Letter_Uppercase:
    case QChar::Letter_Lowercase:
    case QChar::Letter_Titlecase:
    case QChar::Letter_Modifier:
    case QChar::Letter_Other:
    case QChar::Mark_NonSpacing:
    case QChar::Mark_SpacingCombining:
    case QChar::Mark_Enclosing:
    case QChar::Number_DecimalDigit:
    case QChar::Number_Letter:
    case QChar::Number_Other:
        return true;
    default:
        return false;
    }
}

// Trims whole code points (a surrogate pair is one character, never split).
QStringView trimmed(QStringView text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end) {
        const bool pair
            = begin + 1 < end && text[begin].isHighSurrogate() && text[begin + 1].isLowSurrogate();
        const char32_t cp
            = pair ? QChar::surrogateToUcs4(text[begin], text[begin + 1]) : text[begin].unicode();
        if (isAlphanumeric(cp)) {
            break;
        }
        begin += pair ? 2 : 1;
    }
    while (end > begin) {
        const bool pair
            = end - 2 >= begin && text[end - 1].isLowSurrogate() && text[end - 2].isHighSurrogate();
        const char32_t cp
            = pair ? QChar::surrogateToUcs4(text[end - 2], text[end - 1]) : text[end - 1].unicode();
        if (isAlphanumeric(cp)) {
            break;
        }
        end -= pair ? 2 : 1;
    }
    return text.mid(begin, end - begin);
}

qsizetype graphemeCount(QStringView text)
{
    if (text.isEmpty()) {
        return 0;
    }
    const QString copy = text.toString();
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, copy);
    qsizetype count = 0;
    while (finder.toNextBoundary() != -1) {
        ++count;
    }
    return count;
}

int hexDigit(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9') {
        return u - u'0';
    }
    if (u >= u'a' && u <= u'f') {
        return u - u'a' + 10;
    }
    if (u >= u'A' && u <= u'F') {
        return u - u'A' + 10;
    }
    return -1;
}

} // namespace

Color Color::fromHex(QStringView text)
{
    const QStringView hex = trimmed(text);
    const std::uint64_t value = leadingHexNumber(hex);
    std::uint64_t a = 0;
    std::uint64_t r = 0;
    std::uint64_t g = 0;
    std::uint64_t b = 0;
    switch (graphemeCount(hex)) {
    case 3:
        a = 255;
        r = (value >> 8) * 17;
        g = ((value >> 4) & 0xF) * 17;
        b = (value & 0xF) * 17;
        break;
    case 6:
        a = 255;
        r = value >> 16;
        g = (value >> 8) & 0xFF;
        b = value & 0xFF;
        break;
    case 8:
        a = value >> 24;
        r = (value >> 16) & 0xFF;
        g = (value >> 8) & 0xFF;
        b = value & 0xFF;
        break;
    default:
        a = 1;
        r = 1;
        g = 1;
        b = 0;
        break;
    }
    return Color { static_cast<double>(r) / 255.0, static_cast<double>(g) / 255.0,
        static_cast<double>(b) / 255.0, static_cast<double>(a) / 255.0 };
}

std::uint64_t Color::leadingHexNumber(QStringView text)
{
    qsizetype i = 0;
    if (text.size() >= 3 && text[0] == u'0' && (text[1] == u'x' || text[1] == u'X')
        && hexDigit(text[2]) >= 0) {
        i = 2;
    }
    std::uint64_t value = 0;
    for (; i < text.size(); ++i) {
        const int digit = hexDigit(text[i]);
        if (digit < 0) {
            break;
        }
        if (value > (UINT64_MAX >> 4)) {
            value = UINT64_MAX;
        } else {
            value = (value << 4) | static_cast<std::uint64_t>(digit);
        }
    }
    return value;
}

QColor Color::toQColor() const
{
    return QColor::fromRgbF(static_cast<float>(red), static_cast<float>(green), static_cast<float>(blue),
        static_cast<float>(opacity));
}

} // namespace brimlark
