#include "platform/RulerWindowPlacement.h"

#include <algorithm>
#include <cmath>

namespace brimlark::RulerWindowPlacement {

namespace {
double clampedExtent(double value)
{
    if (std::isnan(value)) {
        return minimumExtent;
    }
    return std::clamp(value, minimumExtent, maximumExtent);
}
} // namespace

QRectF initialFrame(const std::optional<QRectF> &screenFrame)
{
    const QRectF screen = screenFrame.value_or(QRectF(0, 0, 1440, 900));
    const QPointF centre = screen.center();
    return QRectF(centre.x() - 200, centre.y() - 150, 400, 300);
}

QRectF resizedFrame(const QRectF &frame, double width, double height)
{
    return QRectF(frame.x(), frame.y(), clampedExtent(width), clampedExtent(height));
}

} // namespace brimlark::RulerWindowPlacement
