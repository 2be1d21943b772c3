import QtQuick
import Brimlark.Views
import QtQuick.Controls
import Brimlark.Grid

// A modal sheet over the window: shown while `shown` holds; closing it
// (Escape or the content's own dismiss) asks the owner through dismissed().
Popup {
    id: sheet

    property bool shown: false
    signal dismissed()
    // What had the keyboard before the sheet opened: it gets it back.
    property Item returnFocusTo: null

    parent: Overlay.overlay
    anchors.centerIn: parent
    modal: true
    dim: true
    focus: true
    padding: 0
    closePolicy: Popup.CloseOnEscape
    visible: shown

    onAboutToShow: returnFocusTo = parent ? parent.Window.activeFocusItem : null
    onClosed: {
        if (returnFocusTo && returnFocusTo.visible)
            returnFocusTo.forceActiveFocus()
        returnFocusTo = null
        if (shown)
            dismissed()
    }

    background: Rectangle {
        radius: 12
        color: sheet.palette.window
        border.width: 1
        border.color: Style.withAlpha(sheet.palette.windowText, 0.12)
    }
}
