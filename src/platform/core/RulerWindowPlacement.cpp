#include "platform/core/RulerWindowPlacement.h"

#include <algorithm>
#include <cmath>

namespace brimlark::RulerWindowPlacement {

namespace {
double largestExtent(double minimum, double desktopExtent)
{
    return std::max(minimum, desktopExtent > 0 ? std::min(desktopExtent, maximumExtent) : maximumExtent);
}

// Whole points, cut as the recorded measurement cuts them: the window shows
// the size its record names.
double clampedExtent(double value, double minimum, double desktopExtent)
{
    if (std::isnan(value)) {
        return minimum;
    }
    return std::clamp(std::trunc(value), minimum, largestExtent(minimum, desktopExtent));
}

// Where a moved window may start on one axis: at least the ruler's minimum
// of it stays on the desktop, so it can always be grabbed again.
double boundedStart(double start, double extent, double deskStart, double deskEnd, double minimum)
{
    const double lowest = deskStart - std::max(0.0, extent - minimum);
    const double highest = deskEnd - std::min(extent, minimum);
    return std::clamp(start, lowest, std::max(lowest, highest));
}

// One axis of a mouse resize, from [fromStart, fromEnd) to [start, end).
void dragAxis(double fromStart, double fromEnd, double &start, double &end, double deskStart, double deskEnd,
    double minimum, bool haveDesktop)
{
    // Never wider than the desktop, however far past its edge the ruler
    // was moved before the drag.
    const double maximum = largestExtent(minimum, haveDesktop ? deskEnd - deskStart : 0);
    if (haveDesktop) {
        if (start < fromStart) {
            start = std::max(start, std::min(fromStart, deskStart));
        }
        if (end > fromEnd) {
            end = std::min(end, std::max(fromEnd, deskEnd));
        }
    }
    // The size is settled by the edge that moved.
    const double extent = std::clamp(end - start, minimum, maximum);
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
    const bool haveDesktop = !desktop.isEmpty();
    if (to.size() == from.size()) {
        if (!haveDesktop) {
            return to;
        }
        const double width = clampedExtent(to.width(), minimumWidth, desktop.width());
        const double height = clampedExtent(to.height(), minimumHeight, desktop.height());
        return QRectF(boundedStart(to.x(), width, desktop.left(), desktop.right(), minimumWidth),
            boundedStart(to.y(), height, desktop.top(), desktop.bottom(), minimumHeight), width, height);
    }
    double left = to.left(), right = to.right(), top = to.top(), bottom = to.bottom();
    dragAxis(
        from.left(), from.right(), left, right, desktop.left(), desktop.right(), minimumWidth, haveDesktop);
    dragAxis(
        from.top(), from.bottom(), top, bottom, desktop.top(), desktop.bottom(), minimumHeight, haveDesktop);
    return QRectF(QPointF(left, top), QPointF(right, bottom));
}

} // namespace brimlark::RulerWindowPlacement
