#include "sidebar/FolderColorMath.h"

#include "views/Color.h"

#include <QByteArray>
#include <QChar>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <locale.h>
#include <numbers>

namespace brimlark {

namespace {

bool isLetterOrDigit(QChar c)
{
    return c.isLetterOrNumber();
}

QStringView trimmed(QStringView text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && !isLetterOrDigit(text[begin])) {
        ++begin;
    }
    while (end > begin && !isLetterOrDigit(text[end - 1])) {
        --end;
    }
    return text.mid(begin, end - begin);
}

double clamped(double component)
{
    if (std::isnan(component)) {
        return 0;
    }
    return std::clamp(component, 0.0, 1.0);
}

} // namespace

Color FolderColorMath::colorFromHex(QStringView text)
{
    const QStringView t = trimmed(text);
    const std::uint64_t value = Color::leadingHexNumber(t);
    std::uint64_t r = 128;
    std::uint64_t g = 128;
    std::uint64_t b = 128;
    if (t.size() == 6) {
        r = (value >> 16) & 255;
        g = (value >> 8) & 255;
        b = value & 255;
    } else if (t.size() == 3) {
        r = ((value >> 8) & 15) * 17;
        g = ((value >> 4) & 15) * 17;
        b = (value & 15) * 17;
    }
    return { double(r) / 255.0, double(g) / 255.0, double(b) / 255.0, 1.0 };
}

int FolderColorMath::byteOf(double component)
{
    return int(clamped(component) * 255.0);
}

QString FolderColorMath::colorToHex(const Color &color)
{
    return QStringLiteral("#%1%2%3")
        .arg(byteOf(color.red), 2, 16, QLatin1Char('0'))
        .arg(byteOf(color.green), 2, 16, QLatin1Char('0'))
        .arg(byteOf(color.blue), 2, 16, QLatin1Char('0'))
        .toUpper();
}

Color FolderColorMath::colorFromHsb(double hue, double saturation, double brightness)
{
    const double s = clamped(saturation);
    const double v = clamped(brightness);
    double h = std::isfinite(hue) ? hue - std::floor(hue) : 0.0;
    // A hue a hair below 1 can round up to 1 here; it is the first sector.
    int sector = int(h * 6.0);
    if (sector >= 6) {
        sector = 0;
        h = 0;
    }
    const double f = h * 6.0 - sector;
    const double p = v * (1 - s);
    const double q = v * (1 - s * f);
    const double t = v * (1 - s * (1 - f));
    switch (sector) {
    case 0:
        return { v, t, p, 1 };
    case 1:
        return { q, v, p, 1 };
    case 2:
        return { p, v, t, 1 };
    case 3:
        return { p, q, v, 1 };
    case 4:
        return { t, p, v, 1 };
    default:
        return { v, p, q, 1 };
    }
}

FolderColorMath::Hsb FolderColorMath::hsbFromColor(const Color &color)
{
    const double r = clamped(color.red);
    const double g = clamped(color.green);
    const double b = clamped(color.blue);
    const double max = std::max({ r, g, b });
    const double min = std::min({ r, g, b });
    const double delta = max - min;
    Hsb out;
    out.brightness = max;
    out.saturation = max > 0 ? delta / max : 0;
    if (delta > 0) {
        double h = 0;
        if (max == r) {
            h = (g - b) / delta;
        } else if (max == g) {
            h = 2 + (b - r) / delta;
        } else {
            h = 4 + (r - g) / delta;
        }
        h /= 6.0;
        if (h < 0) {
            h += 1;
        }
        out.hue = h >= 1 ? 0 : h;
    }
    return out;
}

FolderColorMath::WheelPoint FolderColorMath::wheelPoint(double x, double y, double radius)
{
    if (!(radius > 0) || !std::isfinite(x) || !std::isfinite(y)) {
        return { 0, 0 };
    }
    const double dx = x - radius;
    const double dy = y - radius;
    const double s = std::min(std::sqrt(dx * dx + dy * dy) / radius, 1.0);
    double h = std::atan2(dy, dx) / (2 * std::numbers::pi);
    if (h < 0) {
        h += 1;
    }
    return { h, s };
}

QPointF FolderColorMath::knobCenter(double hue, double saturation, double radius)
{
    const double angle = 2 * std::numbers::pi * hue;
    return { radius + radius * saturation * std::cos(angle), radius + radius * saturation * std::sin(angle) };
}

std::optional<double> FolderColorMath::readNumber(QStringView text)
{
    const QByteArray bytes = text.toUtf8();
    if (bytes.isEmpty() || bytes.contains('\0')) {
        return std::nullopt;
    }
    switch (bytes.front()) {
    case ' ':
    case '\t':
    case '\n':
    case '\v':
    case '\f':
    case '\r':
        return std::nullopt;
    default:
        break;
    }
    // The process runs in the user's locale; the fields read C numbers.
    static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", locale_t(nullptr));
    char *end = nullptr;
    const double value = strtod_l(bytes.constData(), &end, cLocale);
    if (end != bytes.constData() + bytes.size()) {
        return std::nullopt;
    }
    return value;
}

} // namespace brimlark
