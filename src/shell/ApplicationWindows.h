#pragma once

#include <QtGlobal>

QT_BEGIN_NAMESPACE
class QWindow;
QT_END_NAMESPACE

namespace brimlark {

// The application-wide window operations that the delegates and the hot key
// share: what "hide the application" and "activate" mean on this platform.
namespace ApplicationWindows {

// Hides every window of the application, as the platform's hide command does.
void hideApplication();

// Shows a hidden window, raises it and asks for the keyboard focus. A
// minimised window is restored only when deminimise is true.
void bringForward(QWindow *window, bool deminimise);

} // namespace ApplicationWindows

} // namespace brimlark
