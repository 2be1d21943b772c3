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

QRectF restoredFrame(const QRectF &stored, const QList<QRectF> &screens)
{
    QRectF frame(stored.topLeft(), grownToMinimum(stored.size()).value_or(stored.size()));
    if (screens.isEmpty()) {
        return frame;
    }
    const QRectF top(frame.x(), frame.y(), frame.width(), TitleStrip);
    for (const QRectF &screen : screens) {
        const QRectF shown = top.intersected(screen);
        if (shown.width() >= MinimumVisibleWidth && shown.height() > 0 && frame.y() >= screen.y()) {
            // A frame larger than the screen it lands on (stored on a bigger
            // one, or edited by hand) would have its resize corner off screen.
            if (frame.width() > screen.width()) {
                frame.setX(screen.x());
                frame.setWidth(screen.width());
            }
            if (frame.height() > screen.height()) {
                frame.setY(screen.y());
                frame.setHeight(screen.height());
            }
            return frame;
        }
    }
    const QRectF &first = screens.first();
    frame.setSize(frame.size().boundedTo(first.size()));
    return centred(frame.size(), first);
}

} // namespace brimlark::WindowSizing
