import QtQuick
import QtQuick.Layouts
import Brimlark.Uninstaller
import Brimlark.Views

// One numbered instruction of the access gate.
RowLayout {
    id: step
    objectName: "accessStep" + number
    property string number
    property string text
    spacing: 12
    Layout.fillWidth: true
    Accessible.role: Accessible.StaticText
    Accessible.name: number + ". " + text

    Rectangle {
        Layout.alignment: Qt.AlignTop
        implicitWidth: 20
        implicitHeight: 20
        radius: 10
        gradient: Gradient {
            GradientStop { position: 0; color: Style.indigo }
            GradientStop { position: 1; color: Style.violet }
        }
        Text {
            anchors.centerIn: parent
            text: step.number
            textFormat: Text.PlainText
            font.pixelSize: 11
            font.bold: true
            color: "white"
        }
    }
    Text {
        Layout.fillWidth: true
        Layout.alignment: Qt.AlignTop
        text: step.text
        textFormat: Text.PlainText
        font.pixelSize: 13
        font.weight: Font.Medium
        wrapMode: Text.Wrap
        color: Style.withAlpha(Style.primary(palette), 0.85)
    }
}
