import QtQuick
import QtQuick.Controls
import Brimlark.Grid

// Stands where the uninstaller's own view goes until it is built: the same
// inputs (the AppItem to remove and the sheet's dismiss action), showing
// which application was chosen and closing again.
Item {
    id: root
    objectName: "appUninstallerView"

    property var app
    property var dismiss

    implicitWidth: 480
    implicitHeight: 220

    Column {
        anchors.centerIn: parent
        spacing: 16

        Text {
            anchors.horizontalCenter: parent.horizontalCenter
            text: root.app ? root.app.name : ""
            textFormat: Text.PlainText
            font.pixelSize: 18
            font.bold: true
            color: GridStyle.primary(palette)
        }
        Button {
            objectName: "closeButton"
            Accessible.name: text
            anchors.horizontalCenter: parent.horizontalCenter
            text: qsTr("Close")
            onClicked: {
                if (root.dismiss)
                    root.dismiss()
            }
        }
    }
}
