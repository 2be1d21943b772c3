import QtQuick
import Brimlark.Uninstaller
import Brimlark.Views

Column {
    property string value
    property string label
    property color color
    spacing: 2
    Accessible.role: Accessible.StaticText
    Accessible.name: label + ": " + value

    Text {
        text: parent.value
        textFormat: Text.PlainText
        font.pixelSize: 14
        font.bold: true
        color: parent.color
    }
    Text {
        text: parent.label
        textFormat: Text.PlainText
        font.pixelSize: 10
        font.weight: Font.Medium
        color: Style.secondary(palette)
    }
}
