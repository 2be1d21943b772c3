#pragma once

#include <QList>
#include <QRectF>
#include <QSizeF>

#include <optional>

namespace brimlark {

// The window's size rules, in device-independent pixels.
namespace WindowSizing {

inline constexpr QSizeF MinimumSize { 900, 600 };
inline constexpr QRectF FallbackScreen { 0, 0, 1440, 900 };
inline constexpr double FirstLaunchFraction = 0.75;

// First launch: three quarters of the screen's full frame in each direction
// (of the 1440 by 900 fallback when there is no screen).
QSizeF firstLaunchContentSize(const std::optional<QRectF> &screenFrame);

// A window of the given size centred on the screen (or the fallback).
QRectF centred(const QSizeF &size, const std::optional<QRectF> &screenFrame);

// Later launches: a frame narrower than 900 or lower than 600 grows to the
// larger of its size and the minimum in each direction; a frame of at least
// 900 by 600 is left alone (no value).
std::optional<QSizeF> grownToMinimum(const QSizeF &frame);

// Later launches with a stored frame: the frame grown to the minimum, where
// it was when enough of its top (a strip of TitleStrip by MinimumVisibleWidth)
// lies on one of the screens' usable areas so it can still be grabbed and
// moved, no larger than that screen; otherwise, as on a screen that is gone,
// centred on the first screen and no larger than it. Without screens the
// frame is kept.
inline constexpr double TitleStrip = 40;
inline constexpr double MinimumVisibleWidth = 100;
QRectF restoredFrame(const QRectF &stored, const QList<QRectF> &screens);

} // namespace WindowSizing

} // namespace brimlark
