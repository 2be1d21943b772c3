import QtQuick

// The ring that shows where the keyboard is: the highlight colour around the
// target (a capsule unless `targetRadius` says otherwise) while it has visual
// focus, as the controls' own style draws it.
Rectangle {
    property Item target: parent
    property real targetRadius: -1
    anchors.fill: target
    anchors.margins: -3
    radius: targetRadius < 0 ? height / 2 : targetRadius + 3
    color: "transparent"
    border.width: 2
    border.color: target ? target.palette.highlight : "transparent"
    visible: target ? target.visualFocus === true : false
    z: 10
}
