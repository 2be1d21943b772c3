#include "uninstaller/ByteCountFormatter.h"

#include <array>
#include <cmath>

namespace brimlark {

QString formatFileByteCount(qint64 bytes)
{
    if (bytes == 0) {
        return QStringLiteral("Zero KB");
    }
    const QString sign = bytes < 0 ? QStringLiteral("-") : QString();
    const double magnitude = std::fabs(double(bytes));
    if (magnitude < 1000) {
        return sign + QString::number(qint64(magnitude))
            + (magnitude == 1 ? QStringLiteral(" byte") : QStringLiteral(" bytes"));
    }
    struct Unit
    {
        const char *name;
        int decimals;
    };
    static constexpr std::array<Unit, 6> units
        = { { { "KB", 0 }, { "MB", 1 }, { "GB", 2 }, { "TB", 2 }, { "PB", 2 }, { "EB", 2 } } };
    double value = magnitude / 1000;
    size_t unit = 0;
    double rounded = 0;
    for (;;) {
        const double scale = std::pow(10.0, units[unit].decimals);
        rounded = std::round(value * scale) / scale;
        // 999.96 MB reads better as 1 GB than as "1000 MB".
        if (rounded < 1000 || unit + 1 == units.size()) {
            break;
        }
        value /= 1000;
        ++unit;
    }
    QString number = QString::number(rounded, 'f', units[unit].decimals);
    if (number.contains(QLatin1Char('.'))) {
        while (number.endsWith(QLatin1Char('0'))) {
            number.chop(1);
        }
        if (number.endsWith(QLatin1Char('.'))) {
            number.chop(1);
        }
    }
    return sign + number + QLatin1Char(' ') + QLatin1String(units[unit].name);
}

} // namespace brimlark
