#pragma once

#include <QRectF>

#include <optional>

namespace brimlark {

// Where the screen ruler window goes. Frames are in screen points with the
// origin at the top left and y growing downwards.
namespace RulerWindowPlacement {

// The smallest ruler whose panel still fits: what the window is given for
// any smaller size, 0 and negative ones included.
inline constexpr double minimumWidth = 200;
inline constexpr double minimumHeight = 160;
// What X11 accepts for a window's width or height; the bound when the
// desktop's size is not known.
inline constexpr double maximumExtent = 32767;

// 400 by 300, centred on the screen's whole frame; without a screen a
// 1440 by 900 frame at the origin stands in.
QRectF initialFrame(const std::optional<QRectF> &screenFrame);

// The frame at a new size with its left and top edges kept. Each extent is
// cut to whole points and held between the ruler's minimum and the virtual
// desktop's extent (the
// whole window is one drawing surface: a bigger one costs gigabytes and
// draws nothing anyone can see); a non-finite size is held too. An empty
// `desktop` means its size is not known.
QRectF resizedFrame(const QRectF &frame, double width, double height, const QRectF &desktop);

// The frame a resize by the mouse ends at when it asks for `to`, starting
// from `from`: an edge that moves out stops at the desktop's edge (or where
// it already was, beyond it), the ruler keeps its minimum size by its moving
// edges and is never larger than the desktop. A move that keeps the size
// leaves at least the ruler's minimum on the desktop.
QRectF draggedFrame(const QRectF &from, const QRectF &to, const QRectF &desktop);

} // namespace RulerWindowPlacement

} // namespace brimlark
