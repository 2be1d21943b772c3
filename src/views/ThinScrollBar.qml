import QtQuick
import QtQuick.Controls

// A mini scroll bar: ScrollView { ScrollBar.vertical: ThinScrollBar {} }.
ScrollBar {
    id: bar

    padding: 1
    minimumSize: 0.1

    contentItem: Rectangle {
        implicitWidth: 4
        implicitHeight: 4
        radius: 2
        color: bar.pressed ? palette.dark : palette.mid
        opacity: bar.policy === ScrollBar.AlwaysOn || (bar.active && bar.size < 1.0) ? 0.8 : 0.0

        Behavior on opacity {
            NumberAnimation { duration: 200 }
        }
    }
    background: Item {
        implicitWidth: 6
        implicitHeight: 6
    }
}
