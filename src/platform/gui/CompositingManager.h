#pragma once

#include <QByteArray>

namespace brimlark {

// Whether a compositing manager runs on the display, so that translucent
// windows really are see-through. Without one, an X11 window's alpha
// channel is ignored and a "clear" window shows black.
namespace CompositingManager {

// X11: someone owns the _NET_WM_CM_S<screen> selection of the display
// (empty: $DISPLAY). False when the display cannot be reached.
bool isRunningOnX11(const QByteArray &display = {});

// For the running application: X11 asks the display; Wayland always
// composites; other platforms (offscreen) render into images with alpha.
bool isRunning();

} // namespace CompositingManager

} // namespace brimlark
