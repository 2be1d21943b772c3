import QtQuick

// The ring that shows where the keyboard is: the highlight colour around the
// target while it has visual focus (a control) or the active focus (any
// other item the keyboard reaches), as the controls' own style draws it.
Rectangle {
    property Item target: parent
    property real targetRadius: 6
    // Inside the target's edge where the space around it is clipped (a list).
    property bool inset: false
    anchors.fill: target
    anchors.margins: inset ? 0 : -3
    radius: inset ? targetRadius : targetRadius + 3
    color: "transparent"
    border.width: 2
    border.color: target ? target.palette.highlight : "transparent"
    visible: target ? (target.visualFocus !== undefined ? target.visualFocus : target.activeFocus) : false
    z: 10
}
