#include "platform/core/RulerWindowPlacement.h"

#include <algorithm>
#include <cmath>

namespace brimlark::RulerWindowPlacement {

namespace {
double clampedExtent(double value, double minimum, double desktopExtent)
{
    const double maximum = desktopExtent > 0 ? std::min(desktopExtent, maximumExtent) : maximumExtent;
    if (std::isnan(value)) {
        return minimum;
    }
    return std::clamp(value, minimum, std::max(minimum, maximum));
}

// One axis of a mouse resize, from [fromStart, fromEnd) to [start, end).
void dragAxis(double fromStart, double fromEnd, double &start, double &end, double deskStart, double deskEnd,
    double minimum, bool haveDesktop)
{
    if (haveDesktop) {
        if (start < fromStart) {
            start = std::max(start, std::min(fromStart, deskStart));
        }
        if (end > fromEnd) {
            end = std::min(end, std::max(fromEnd, deskEnd));
        }
    }
    // The size is settled by the edge that moved.
    const double extent = std::clamp(end - start, minimum, maximumExtent);
    if (start != fromStart && end == fromEnd) {
        start = end - extent;
    } else {
        end = start + extent;
    }
}
} // namespace

QRectF initialFrame(const std::optional<QRectF> &screenFrame)
{
    const QRectF screen = screenFrame.value_or(QRectF(0, 0, 1440, 900));
    const QPointF centre = screen.center();
    return QRectF(centre.x() - 200, centre.y() - 150, 400, 300);
}

QRectF resizedFrame(const QRectF &frame, double width, double height, const QRectF &desktop)
{
    return QRectF(frame.x(), frame.y(), clampedExtent(width, minimumWidth, desktop.width()),
        clampedExtent(height, minimumHeight, desktop.height()));
}

QRectF draggedFrame(const QRectF &from, const QRectF &to, const QRectF &desktop)
{
    if (to.size() == from.size()) {
        return to;
    }
    const bool haveDesktop = !desktop.isEmpty();
    double left = to.left(), right = to.right(), top = to.top(), bottom = to.bottom();
    dragAxis(
        from.left(), from.right(), left, right, desktop.left(), desktop.right(), minimumWidth, haveDesktop);
    dragAxis(
        from.top(), from.bottom(), top, bottom, desktop.top(), desktop.bottom(), minimumHeight, haveDesktop);
    return QRectF(QPointF(left, top), QPointF(right, bottom));
}

} // namespace brimlark::RulerWindowPlacement
