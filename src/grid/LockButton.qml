import QtQuick
import QtQuick.Controls
import Brimlark.Grid

// A filled button of the lock screens: white semibold text on blue.
GridButton {
    id: button

    property color fill
    property real sidePadding: 24
    property real endPadding: 8
    property real cornerRadius: 8

    focusRingRadius: cornerRadius

    contentItem: Text {
        text: button.text
        font.pixelSize: 13
        font.weight: Font.DemiBold
        color: "white"
        horizontalAlignment: Text.AlignHCenter
        verticalAlignment: Text.AlignVCenter
    }
    leftPadding: sidePadding
    rightPadding: sidePadding
    topPadding: endPadding
    bottomPadding: endPadding
    background: Rectangle {
        radius: button.cornerRadius
        color: button.fill
        opacity: button.pressed ? 0.8 : 1
    }
}
