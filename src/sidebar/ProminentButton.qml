import QtQuick
import QtQuick.Controls
import Brimlark.Views

// The sheet's confirm button in the prominent look: filled with the accent
// colour, its title in the accent's text colour.
Button {
    id: control

    padding: 6
    leftPadding: 14
    rightPadding: 14
    contentItem: Text {
        text: control.text
        font: control.font
        color: control.palette.highlightedText
        horizontalAlignment: Text.AlignHCenter
        verticalAlignment: Text.AlignVCenter
        Accessible.ignored: true
    }
    background: Rectangle {
        objectName: "prominentFill"
        implicitWidth: 64
        implicitHeight: 24
        radius: 6
        color: control.down ? Qt.darker(control.palette.highlight, 1.2) : control.palette.highlight
    }
    FocusRing {}
}
