import QtQuick
import Brimlark.Grid

// The panel of an opened folder or category over the grid; until it is
// built, a dimmed backdrop that closes it on a click.
Item {
    id: root
    objectName: "categoryModalView"

    property string categoryName
    property var apps: []
    property var folder
    required property QtObject viewModel
    signal dismiss()

    Rectangle {
        anchors.fill: parent
        color: "black"
        opacity: 0.45

        TapHandler {
            onTapped: root.dismiss()
        }
    }
}
