import QtQuick
import Brimlark.Views
import Brimlark.Tools

// The screen ruler's content: the grid, the centre panel with the size
// read-out and the close button, and the grip. Dragging the background moves
// the window, dragging an edge resizes it.
Item {
    id: root

    // The ruler's window: position, size, close, resize end.
    property QuickRulerWindow host: null
    readonly property bool translucent: host ? host.translucent : true
    readonly property color systemBlue: "#007AFF"

    implicitWidth: 400
    implicitHeight: 300

    // Nearly clear rather than clear, so the whole area takes the mouse.
    Rectangle {
        anchors.fill: parent
        color: Qt.rgba(0, 0, 0, 0.015)
    }

    MouseArea {
        id: mover
        anchors.fill: parent
        property point pressedAt
        property point windowAt
        onPressed: mouse => {
            pressedAt = mapToGlobal(mouse.x, mouse.y)
            windowAt = root.host ? Qt.point(root.host.x, root.host.y) : Qt.point(0, 0)
        }
        onPositionChanged: mouse => {
            if (!root.host) {
                return
            }
            const now = mapToGlobal(mouse.x, mouse.y)
            // Through the placement rule, which keeps the ruler on the desktop.
            root.host.moveResize(Qt.rect(windowAt.x + now.x - pressedAt.x, windowAt.y + now.y - pressedAt.y,
                                         root.host.width, root.host.height))
        }
    }

    RulerGridCanvas {
        id: grid
        anchors.fill: parent
        color: root.systemBlue
        labelColor: "white"
    }

    Rectangle {
        id: panel
        anchors.centerIn: parent
        width: 220
        height: panelColumn.implicitHeight
        radius: 16
        color: Qt.rgba(0.12, 0.12, 0.14, 0.72)
        border.color: Qt.rgba(1, 1, 1, 0.12)
        border.width: 1
        antialiasing: true

        Column {
            id: panelColumn
            width: parent.width
            spacing: 12

            Item {
                width: parent.width
                height: closeButton.height + 6

                Item {
                    id: closeButton
                    anchors.right: parent.right
                    anchors.rightMargin: 6
                    y: 6
                    width: 18
                    height: 18

                    Accessible.role: Accessible.Button
                    Accessible.name: qsTr("Close Ruler")
                    Accessible.onPressAction: root.host && root.host.requestClose()

                    SymbolImage {
                        anchors.centerIn: parent
                        name: "xmark.circle.fill"
                        size: 15
                        color: Qt.rgba(1, 1, 1, closeArea.containsMouse ? 0.85 : 0.6)
                    }
                    MouseArea {
                        id: closeArea
                        anchors.fill: parent
                        hoverEnabled: true
                        onClicked: root.host && root.host.requestClose()
                    }
                }
            }

            Column {
                anchors.horizontalCenter: parent.horizontalCenter
                spacing: 4
                bottomPadding: 16

                Text {
                    anchors.horizontalCenter: parent.horizontalCenter
                    text: "MEASURE OVERLAY"
                    color: root.systemBlue
                    font.pixelSize: 9
                    font.bold: true
                    font.letterSpacing: 1.5
                }

                Row {
                    anchors.horizontalCenter: parent.horizontalCenter
                    spacing: 20

                    Column {
                        spacing: 2
                        Text { text: "W"; font.pixelSize: 9; font.bold: true; color: Qt.rgba(1, 1, 1, 0.55) }
                        Text {
                            objectName: "widthText"
                            text: grid.extentText(root.width)
                            Accessible.role: Accessible.StaticText
                            Accessible.name: qsTr("Width") + " " + text
                            font.pixelSize: 20
                            font.bold: true
                            font.family: "monospace"
                            color: "white"
                        }
                    }
                    Rectangle {
                        anchors.verticalCenter: parent.verticalCenter
                        width: 1
                        height: 28
                        color: Qt.rgba(1, 1, 1, 0.15)
                    }
                    Column {
                        spacing: 2
                        Text { text: "H"; font.pixelSize: 9; font.bold: true; color: Qt.rgba(1, 1, 1, 0.55) }
                        Text {
                            objectName: "heightText"
                            text: grid.extentText(root.height)
                            Accessible.role: Accessible.StaticText
                            Accessible.name: qsTr("Height") + " " + text
                            font.pixelSize: 20
                            font.bold: true
                            font.family: "monospace"
                            color: "white"
                        }
                    }
                }
            }
        }
    }

    SymbolImage {
        anchors.right: parent.right
        anchors.bottom: parent.bottom
        anchors.margins: 4
        name: "line.3.horizontal"
        size: 8
        rotation: -45
        color: Qt.rgba(0, 0.478, 1, 0.5)
    }

    // Edge and corner handles: a frameless window resizes itself.
    component EdgeHandle: MouseArea {
        id: handle
        property bool leftEdge: false
        property bool rightEdge: false
        property bool topEdge: false
        property bool bottomEdge: false
        property point pressedAt
        property rect frameAt
        readonly property int minimumWidth: 200
        readonly property int minimumHeight: 160

        onPressed: mouse => {
            pressedAt = mapToGlobal(mouse.x, mouse.y)
            frameAt = Qt.rect(root.host.x, root.host.y, root.host.width, root.host.height)
        }
        onPositionChanged: mouse => {
            if (!pressed || !root.host) {
                return
            }
            const now = mapToGlobal(mouse.x, mouse.y)
            const dx = now.x - pressedAt.x
            const dy = now.y - pressedAt.y
            let x = frameAt.x, y = frameAt.y, w = frameAt.width, h = frameAt.height
            if (rightEdge) { w = Math.max(minimumWidth, frameAt.width + dx) }
            if (bottomEdge) { h = Math.max(minimumHeight, frameAt.height + dy) }
            if (leftEdge) { w = Math.max(minimumWidth, frameAt.width - dx); x = frameAt.x + frameAt.width - w }
            if (topEdge) { h = Math.max(minimumHeight, frameAt.height - dy); y = frameAt.y + frameAt.height - h }
            root.host.moveResize(Qt.rect(x, y, w, h))
        }
        onReleased: root.host && root.host.endLiveResize()
    }

    readonly property int edge: 6
    EdgeHandle { rightEdge: true; x: parent.width - root.edge; y: root.edge; width: root.edge; height: parent.height - 2 * root.edge; cursorShape: Qt.SizeHorCursor }
    EdgeHandle { leftEdge: true; x: 0; y: root.edge; width: root.edge; height: parent.height - 2 * root.edge; cursorShape: Qt.SizeHorCursor }
    EdgeHandle { bottomEdge: true; x: root.edge; y: parent.height - root.edge; width: parent.width - 2 * root.edge; height: root.edge; cursorShape: Qt.SizeVerCursor }
    EdgeHandle { topEdge: true; x: root.edge; y: 0; width: parent.width - 2 * root.edge; height: root.edge; cursorShape: Qt.SizeVerCursor }
    EdgeHandle { rightEdge: true; bottomEdge: true; x: parent.width - 2 * root.edge; y: parent.height - 2 * root.edge; width: 2 * root.edge; height: 2 * root.edge; cursorShape: Qt.SizeFDiagCursor }
    EdgeHandle { leftEdge: true; topEdge: true; x: 0; y: 0; width: 2 * root.edge; height: 2 * root.edge; cursorShape: Qt.SizeFDiagCursor }
    EdgeHandle { rightEdge: true; topEdge: true; x: parent.width - 2 * root.edge; y: 0; width: 2 * root.edge; height: 2 * root.edge; cursorShape: Qt.SizeBDiagCursor }
    EdgeHandle { leftEdge: true; bottomEdge: true; x: 0; y: parent.height - 2 * root.edge; width: 2 * root.edge; height: 2 * root.edge; cursorShape: Qt.SizeBDiagCursor }
}
