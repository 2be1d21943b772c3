#include "shell/WindowSizing.h"

#include <algorithm>

namespace brimlark::WindowSizing {

QSizeF firstLaunchContentSize(const std::optional<QRectF> &screenFrame)
{
    const QRectF frame = screenFrame.value_or(FallbackScreen);
    return { frame.width() * FirstLaunchFraction, frame.height() * FirstLaunchFraction };
}

QRectF centred(const QSizeF &size, const std::optional<QRectF> &screenFrame)
{
    const QRectF frame = screenFrame.value_or(FallbackScreen);
    return { frame.x() + (frame.width() - size.width()) / 2.0,
        frame.y() + (frame.height() - size.height()) / 2.0, size.width(), size.height() };
}

std::optional<QSizeF> grownToMinimum(const QSizeF &frame)
{
    if (frame.width() >= MinimumSize.width() && frame.height() >= MinimumSize.height()) {
        return std::nullopt;
    }
    return QSizeF(
        std::max(frame.width(), MinimumSize.width()), std::max(frame.height(), MinimumSize.height()));
}

} // namespace brimlark::WindowSizing
