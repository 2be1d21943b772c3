#pragma once

#include <QtGlobal>

QT_BEGIN_NAMESPACE
class QWindow;
QT_END_NAMESPACE

namespace brimlark {

// The application-wide window operations that the delegates and the hot key
// share: what "the first window", "hide the application" and "activate"
// mean on this platform.
namespace ApplicationWindows {

// The first top-level window of the application (menus and tooltips are not
// windows of their own here), or none.
QWindow *firstWindow();

// Hides every window of the application, as the platform's hide command does.
void hideApplication();

// Shows a hidden window, raises it and asks for the keyboard focus. A
// minimised window is restored only when deminimise is true.
void bringForward(QWindow *window, bool deminimise);

} // namespace ApplicationWindows

} // namespace brimlark
