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
    property bool returnFocusShown: false
    // That item went while the sheet was open (the sheet's work replaced
    // it, or it was a menu's): the keyboard is the owner's to place.
    signal focusLeftBehind()

    parent: Overlay.overlay
    anchors.centerIn: parent
    modal: true
    dim: true
    focus: true
    padding: 0
    closePolicy: Popup.CloseOnEscape
    visible: shown

    onAboutToShow: {
        returnFocusTo = parent ? parent.Window.activeFocusItem : null
        returnFocusShown = returnFocusTo !== null && returnFocusTo.visualFocus === true
    }
    onClosed: {
        if (returnFocusTo && returnFocusTo.visible)
            returnFocusTo.forceActiveFocus(returnFocusShown ? Qt.TabFocusReason : Qt.OtherFocusReason)
        else
            focusLeftBehind()
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
