import QtQuick

// Lies under a desk-tool popover's content and takes every press its
// controls leave (blank places, disabled buttons), so nothing below the
// popover ever sees a press made inside it. A Pane-rooted popover needs none:
// the Pane takes them itself.
MouseArea {
    acceptedButtons: Qt.AllButtons
    Accessible.ignored: true
}
