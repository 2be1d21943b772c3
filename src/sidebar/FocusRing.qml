import QtQuick

// Where the keyboard is: the highlight colour around a control of the
// sidebar's own look while it has the focus from the keyboard (any other
// item the keyboard reaches: while it has the focus), as the style's own
// controls draw theirs.
Rectangle {
    property Item target: parent
    property real targetRadius: 6

    anchors.fill: target
    anchors.margins: -3
    radius: targetRadius + 3
    color: "transparent"
    border.width: 2
    border.color: target ? target.palette.highlight : "transparent"
    visible: target !== null && (target.visualFocus !== undefined ? target.visualFocus : target.activeFocus)
    z: 10
}
