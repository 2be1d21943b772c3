#pragma once

#include <QRectF>

#include <optional>

namespace brimlark {

// Where the screen ruler window goes. Frames are in screen points with the
// origin at the top left and y growing downwards.
namespace RulerWindowPlacement {

// What X11 accepts for a window's width or height.
inline constexpr double minimumExtent = 1;
inline constexpr double maximumExtent = 32767;

// 400 by 300, centred on the screen's whole frame; without a screen a
// 1440 by 900 frame at the origin stands in.
QRectF initialFrame(const std::optional<QRectF> &screenFrame);

// The frame at a new size with its left and top edges kept; each extent is
// clamped to what the window system accepts (a non-finite one too).
QRectF resizedFrame(const QRectF &frame, double width, double height);

} // namespace RulerWindowPlacement

} // namespace brimlark
