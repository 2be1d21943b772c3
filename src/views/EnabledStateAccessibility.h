#pragma once

namespace brimlark {

// Qt Quick 6.4 tells assistive technology that every item is enabled, also a
// button or menu row shown disabled. An item of any view module that declares
//     readonly property bool reportsEnabledState: true
// is described by an interface of ours instead, whose state says disabled
// while the button is, and which offers no press action then. Installed once
// per process, before such a button is first described.
void installEnabledStateAccessibility();

} // namespace brimlark
