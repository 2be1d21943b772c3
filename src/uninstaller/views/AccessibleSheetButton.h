#pragma once

namespace brimlark {

// Qt Quick 6.4 tells assistive technology that every item is enabled, also a
// button disabled on screen. The sheet's styled buttons (those carrying the
// property "reportsEnabledState") get an accessible interface of their own
// that says disabled while they are. Installed once; harmless to repeat.
void installAccessibleSheetButtons();

} // namespace brimlark
