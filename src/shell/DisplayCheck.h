#pragma once

#include <QString>

namespace brimlark {

// Qt aborts the process, with a hint to reinstall, when the display platform
// it picks cannot connect. Asked before the application object is made, this
// says whether one of the platforms Qt will try can start, so the program
// can say plainly that there is no display instead.
class DisplayCheck
{
public:
    static inline const QString NoDisplayLine = QStringLiteral(
        "⚠️ No display is reachable: neither DISPLAY nor WAYLAND_DISPLAY names a display that answers");

    // False only when every platform Qt will try needs a display (X11 or
    // Wayland) and none of those answers. The platforms are Qt's, in its
    // order: "-platform" among the arguments, else QT_QPA_PLATFORM, else the
    // session's (X11 by default).
    static bool canStart(int argc, char **argv);
};

} // namespace brimlark
