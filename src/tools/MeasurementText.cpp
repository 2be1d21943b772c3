#include "tools/MeasurementText.h"

#include <charconv>
#include <cmath>

namespace brimlark::MeasurementText {

namespace {
const QString s_separator = QStringLiteral(" \u00D7 ");

std::optional<double> parseNumber(const QString &text)
{
    const QByteArray bytes = text.toUtf8();
    if (bytes.isEmpty()) {
        return std::nullopt;
    }
    double value = 0;
    const char *end = bytes.constData() + bytes.size();
    const auto [stop, error] = std::from_chars(bytes.constData(), end, value);
    if (error != std::errc() || stop != end) {
        return std::nullopt;
    }
    return value;
}
} // namespace

QString format(qint64 width, qint64 height)
{
    return QString::number(width) + s_separator + QString::number(height) + QStringLiteral(" px");
}

std::optional<Size> parse(const QString &text)
{
    const QStringList parts = text.split(s_separator);
    if (parts.size() != 2) {
        return std::nullopt;
    }
    const auto width = parseNumber(parts[0].trimmed());
    QString heightText = parts[1];
    heightText.remove(QStringLiteral(" px"));
    const auto height = parseNumber(heightText.trimmed());
    if (!width || !height) {
        return std::nullopt;
    }
    return Size { *width, *height };
}

std::optional<qint64> wholePoints(double value)
{
    constexpr double limit = 2147483648.0; // 2^31
    if (!std::isfinite(value) || std::fabs(value) >= limit) {
        return std::nullopt;
    }
    return qint64(std::trunc(value));
}

QStringList recorded(QStringList recent, const QString &text)
{
    recent.removeOne(text);
    recent.prepend(text);
    if (recent.size() > maximumRecent) {
        recent.removeLast();
    }
    return recent;
}

} // namespace brimlark::MeasurementText
