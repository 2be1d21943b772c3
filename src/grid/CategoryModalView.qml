import QtQuick
import Brimlark.Grid

// The panel of an opened folder or category over the grid; until it is
// built, a dimmed backdrop that closes it on a click.
Item {
    id: root
    objectName: "categoryModalView"
    Accessible.role: Accessible.Dialog
    Accessible.name: root.categoryName

    property string categoryName
    property var apps: []
    property var folder
    required property QtObject viewModel
    signal dismiss()

    Rectangle {
        anchors.fill: parent
        color: "black"
        opacity: 0.45

        // The backdrop closes the panel, for assistive technology too.
        Accessible.role: Accessible.Button
        Accessible.name: qsTr("Close")
        Accessible.onPressAction: root.dismiss()

        TapHandler {
            onTapped: root.dismiss()
        }
    }
}
