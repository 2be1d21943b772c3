#pragma once

namespace brimlark {

// Qt Quick 6.4 tells assistive technology that every item is enabled, also a
// button or menu row shown disabled. An item of any view module that declares
//     readonly property bool reportsEnabledState: true
// is described by an interface of ours instead, whose state says disabled
// while the button is, and which offers no press action then. Installed once
// per process, before such a button is first described. The same holds for a
// progress bar a view draws itself, declaring
//     readonly property bool reportsProgress: true
// and its `value`, `from` and `to`: Qt Quick tells no value for it.
void installEnabledStateAccessibility();

// Qt Quick serves a password field's text in clear to assistive technology
// and leaves the field unnamed. A text field of any view module that declares
//     readonly property bool servesMaskedText: true
// is described by an interface of ours instead: named after its accessible
// name or else its placeholder, a password edit, whose text is what the
// screen shows (the mask). Installed once per process, before such a field
// is first described.
void installPasswordFieldAccessibility();

} // namespace brimlark
