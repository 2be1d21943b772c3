import QtQuick
import QtQuick.Controls

// The baseline the program is measured beside: a bare Qt Quick Controls
// window with a focused text field over a grid of cells (an icon square and
// a name), the least a launcher's main view is made of.
ApplicationWindow {
    width: 1100
    height: 700
    visible: true
    title: "BareGrid"

    readonly property int count: Number(Qt.application.arguments[Qt.application.arguments.length - 1]) || 1000

    TextField {
        id: field
        x: 20
        y: 14
        width: 380
        placeholderText: "Search Apps..."
        focus: true
    }
    GridView {
        objectName: "bareGrid"
        anchors.fill: parent
        anchors.topMargin: 64
        cellWidth: 160
        cellHeight: 174
        clip: true
        model: count
        delegate: Item {
            width: 160
            height: 174
            Rectangle {
                x: 40
                y: 20
                width: 80
                height: 80
                radius: 18
                color: Qt.hsla((index * 0.137) % 1, 0.6, 0.6, 1)
            }
            Text {
                y: 110
                width: 160
                horizontalAlignment: Text.AlignHCenter
                text: "Application " + index
                elide: Text.ElideRight
            }
        }
    }
}
