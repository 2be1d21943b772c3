import QtQuick

// The keyboard's focus ring around a control of the grid's own look, in the
// colour and width the style's controls draw theirs: shown only while the
// control has the focus from the keyboard.
Rectangle {
    property real cornerRadius: 6

    anchors.fill: parent
    anchors.margins: -3
    radius: cornerRadius + 3
    color: "transparent"
    border.width: 2
    border.color: palette.highlight
    visible: parent.visualFocus === true
    z: 100
}
