import QtQuick
import Brimlark.Views

// The lock screens' badge: a symbol on a faint disc of its accent colour.
Item {
    property color accent
    property string symbol

    implicitWidth: 80
    implicitHeight: 80

    Rectangle {
        anchors.fill: parent
        radius: width / 2
        color: Qt.rgba(parent.accent.r, parent.accent.g, parent.accent.b, 0.12)
    }
    SymbolImage {
        anchors.centerIn: parent
        name: parent.symbol
        size: 40
        color: parent.accent
    }
}
