import QtQuick
import QtQuick.Controls
import Brimlark.Views
import Brimlark.Tools

// The measure popover: opens and closes the screen ruler and lists the
// active workspace's recent measurements; a row copies its text and gives
// the showing ruler that size again.
Item {
    id: root

    required property MeasurePopoverController controller
    readonly property color primary: palette.windowText
    readonly property color secondary: Qt.rgba(primary.r, primary.g, primary.b, 0.55)
    readonly property color systemBlue: "#007AFF"
    readonly property color systemRed: "#FF3B30"

    implicitWidth: 240
    implicitHeight: body.implicitHeight

    PopoverPressGuard {
        anchors.fill: parent
    }

    Column {
        id: body
        width: parent.width
        padding: 16
        spacing: 14

        readonly property real innerWidth: width - 2 * padding

        Text {
            anchors.horizontalCenter: parent.horizontalCenter
            text: qsTr("Measure Ruler")
            font.pixelSize: 14
            font.bold: true
            color: root.secondary
        }

        SymbolImage {
            anchors.horizontalCenter: parent.horizontalCenter
            name: "ruler.fill"
            size: 36
            height: 44
            color: Qt.rgba(0, 0.478, 1, 0.8)
        }

        Rectangle {
            id: toggle
            objectName: "toggleButton"
            anchors.horizontalCenter: parent.horizontalCenter
            readonly property string label: root.controller.isRulerShowing ? qsTr("Close Ruler") : qsTr("Open Screen Ruler")
            width: toggleRow.implicitWidth + 40
            height: toggleRow.implicitHeight + 16
            radius: 8
            color: root.controller.isRulerShowing ? root.systemRed : root.systemBlue

            Accessible.role: Accessible.Button
            Accessible.name: label
            Accessible.onPressAction: root.controller.toggleRuler()

            Row {
                id: toggleRow
                anchors.centerIn: parent
                spacing: 8
                SymbolImage {
                    anchors.verticalCenter: parent.verticalCenter
                    name: root.controller.isRulerShowing ? "stop.fill" : "play.fill"
                    size: 13
                    color: "white"
                }
                Text {
                    text: toggle.label
                    font.pixelSize: 13
                    font.bold: true
                    color: "white"
                }
            }
            MouseArea {
                anchors.fill: parent
                onClicked: root.controller.toggleRuler()
            }
        }

        Text {
            width: body.innerWidth - 24
            anchors.horizontalCenter: parent.horizontalCenter
            text: qsTr("Enables a floating, transparent overlay grid to measure dimensions.")
            font.pixelSize: 11
            color: root.secondary
            wrapMode: Text.WordWrap
            horizontalAlignment: Text.AlignHCenter
        }

        Column {
            id: history
            objectName: "history"
            visible: root.controller.recentMeasurements.length > 0
            width: body.innerWidth
            spacing: 6

            Item {
                width: parent.width
                height: 9
                Rectangle {
                    anchors.verticalCenter: parent.verticalCenter
                    width: parent.width
                    height: 1
                    color: Qt.rgba(root.primary.r, root.primary.g, root.primary.b, 0.12)
                }
            }

            Item {
                width: parent.width
                height: header.implicitHeight
                Text {
                    id: header
                    text: qsTr("Recent Measurements")
                    font.pixelSize: 11
                    font.bold: true
                    color: root.secondary
                }
                Text {
                    objectName: "clearButton"
                    anchors.right: parent.right
                    anchors.verticalCenter: parent.verticalCenter
                    text: qsTr("Clear")
                    font.pixelSize: 10
                    font.bold: true
                    color: Qt.rgba(1, 0.23, 0.19, 0.8)

                    Accessible.role: Accessible.Button
                    Accessible.name: text
                    Accessible.onPressAction: root.controller.clearMeasurements()
                    MouseArea {
                        anchors.fill: parent
                        anchors.margins: -4
                        onClicked: root.controller.clearMeasurements()
                    }
                }
            }

            ListView {
                id: rows
                objectName: "measurementList"
                width: parent.width
                height: Math.min(contentHeight, 120)
                clip: true
                spacing: 6
                model: root.controller.recentMeasurements
                ScrollBar.vertical: ScrollBar { policy: rows.contentHeight > rows.height ? ScrollBar.AlwaysOn : ScrollBar.AsNeeded }

                delegate: Rectangle {
                    required property string modelData
                    objectName: "measurementRow"
                    x: 2
                    width: rows.width - 4
                    height: rowText.implicitHeight + 12
                    radius: 6
                    color: Qt.rgba(root.primary.r, root.primary.g, root.primary.b, rowArea.containsMouse ? 0.08 : 0.04)
                    border.color: Qt.rgba(root.primary.r, root.primary.g, root.primary.b, 0.08)
                    border.width: 1

                    Accessible.role: Accessible.Button
                    Accessible.name: modelData
                    Accessible.onPressAction: root.controller.applyMeasurement(modelData)

                    Row {
                        anchors.left: parent.left
                        anchors.leftMargin: 10
                        anchors.verticalCenter: parent.verticalCenter
                        spacing: 8
                        SymbolImage {
                            anchors.verticalCenter: parent.verticalCenter
                            name: "doc.on.doc"
                            size: 9
                            color: root.systemBlue
                        }
                        Text {
                            id: rowText
                            objectName: "measurementText"
                            text: modelData
                            textFormat: Text.PlainText
                            font.pixelSize: 11
                            font.weight: Font.Medium
                            font.family: "monospace"
                            color: root.primary
                        }
                    }
                    MouseArea {
                        id: rowArea
                        anchors.fill: parent
                        hoverEnabled: true
                        onClicked: root.controller.applyMeasurement(modelData)
                    }
                }
            }
        }
    }
}
