import QtQuick
import QtQuick.Controls
import Brimlark.Grid

// A button of the grid's own look that the keyboard reaches as the pointer
// does: Tab gives it the focus and its ring, Space or Return presses it. A
// click leaves the focus where it was (the typing stays in its field).
AbstractButton {
    id: button

    property real focusRingRadius: 6

    focusPolicy: Qt.TabFocus
    Accessible.role: Accessible.Button
    Accessible.name: text
    Accessible.onPressAction: button.clicked()
    Keys.onReturnPressed: button.clicked()
    Keys.onEnterPressed: button.clicked()

    GridFocusRing {
        cornerRadius: button.focusRingRadius
    }
}
