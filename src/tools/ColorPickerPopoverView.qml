import QtQuick
import Brimlark.Views
import Brimlark.Tools

// The colour picker popover: picks a pixel anywhere on the screens, copies
// its hex text and keeps the active workspace's recent colours as chips.
Item {
    id: root

    required property ColorPickerController controller
    readonly property color primary: palette.windowText
    readonly property color secondary: Qt.rgba(primary.r, primary.g, primary.b, 0.55)
    readonly property color systemBlue: "#007AFF"

    implicitWidth: 240
    implicitHeight: body.implicitHeight

    PopoverPressGuard {
        anchors.fill: parent
    }

    Column {
        id: body
        width: parent.width
        padding: 16
        spacing: 16

        readonly property real innerWidth: width - 2 * padding

        Text {
            anchors.horizontalCenter: parent.horizontalCenter
            text: qsTr("Color Picker")
            font.pixelSize: 14
            font.bold: true
            color: root.secondary
        }

        Rectangle {
            id: pickButton
            objectName: "pickButton"
            anchors.horizontalCenter: parent.horizontalCenter
            width: pickRow.implicitWidth + 48
            height: pickRow.implicitHeight + 20
            radius: 10
            color: root.systemBlue

            Accessible.role: Accessible.Button
            Accessible.name: qsTr("Pick Color")
            Accessible.onPressAction: root.controller.pickColor()

            Row {
                id: pickRow
                anchors.centerIn: parent
                spacing: 10
                SymbolImage {
                    anchors.verticalCenter: parent.verticalCenter
                    name: "eyedropper.halffull"
                    size: 16
                    color: "white"
                }
                Text {
                    anchors.verticalCenter: parent.verticalCenter
                    text: qsTr("Pick Color")
                    font.pixelSize: 13
                    font.bold: true
                    color: "white"
                }
            }
            MouseArea {
                anchors.fill: parent
                onClicked: root.controller.pickColor()
            }
        }

        Column {
            anchors.horizontalCenter: parent.horizontalCenter
            visible: root.controller.hexColor !== ""
            spacing: 6

            Rectangle {
                objectName: "currentColor"
                anchors.horizontalCenter: parent.horizontalCenter
                width: currentRow.implicitWidth + 28
                height: currentRow.implicitHeight + 12
                radius: 8
                color: Qt.rgba(root.primary.r, root.primary.g, root.primary.b, 0.04)
                Row {
                    id: currentRow
                    anchors.centerIn: parent
                    spacing: 8
                    Rectangle {
                        anchors.verticalCenter: parent.verticalCenter
                        width: 18
                        height: 18
                        radius: 9
                        color: Colors.hex(root.controller.hexColor)
                        border.color: Qt.rgba(root.primary.r, root.primary.g, root.primary.b, 0.15)
                        border.width: 1
                    }
                    Text {
                        objectName: "hexText"
                        text: root.controller.hexColor
                        textFormat: Text.PlainText
                        font.pixelSize: 14
                        font.bold: true
                        font.family: "monospace"
                        color: root.primary
                    }
                }
            }
            Text {
                objectName: "copyMessage"
                anchors.horizontalCenter: parent.horizontalCenter
                visible: root.controller.copyMessage !== ""
                text: root.controller.copyMessage
                font.pixelSize: 10
                font.weight: Font.Medium
                color: "#34C759"
            }
        }

        Text {
            objectName: "hint"
            visible: root.controller.hexColor === ""
            width: body.innerWidth - 32
            anchors.horizontalCenter: parent.horizontalCenter
            text: root.controller.unavailableReason !== "" ? root.controller.unavailableReason
                                                           : qsTr("Capture any pixel on your desktop screen.")
            font.pixelSize: 11
            color: root.secondary
            wrapMode: Text.WordWrap
            horizontalAlignment: Text.AlignHCenter
        }

        Column {
            objectName: "recentSection"
            visible: root.controller.recentColors.length > 0
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
                height: recentHeader.implicitHeight
                Text {
                    id: recentHeader
                    text: qsTr("Recent Colors")
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
                    Accessible.onPressAction: root.controller.clearRecentColors()
                    MouseArea {
                        anchors.fill: parent
                        anchors.margins: -4
                        onClicked: root.controller.clearRecentColors()
                    }
                }
            }

            ListView {
                id: chips
                objectName: "recentColors"
                width: parent.width
                height: 22
                orientation: ListView.Horizontal
                clip: true
                spacing: 8
                leftMargin: 4
                rightMargin: 4
                model: root.controller.recentColors

                delegate: Rectangle {
                    required property string modelData
                    objectName: "recentColorChip"
                    width: chipRow.implicitWidth + 16
                    height: chipRow.implicitHeight + 8
                    radius: 6
                    color: Qt.rgba(root.primary.r, root.primary.g, root.primary.b, chipArea.containsMouse ? 0.08 : 0.04)
                    border.color: Qt.rgba(root.primary.r, root.primary.g, root.primary.b, 0.08)
                    border.width: 1

                    Accessible.role: Accessible.Button
                    Accessible.name: modelData
                    Accessible.onPressAction: root.controller.copyRecentColor(modelData)

                    Row {
                        id: chipRow
                        anchors.centerIn: parent
                        spacing: 4
                        Rectangle {
                            anchors.verticalCenter: parent.verticalCenter
                            width: 10
                            height: 10
                            radius: 5
                            color: Colors.hex(modelData)
                            border.color: Qt.rgba(root.primary.r, root.primary.g, root.primary.b, 0.15)
                            border.width: 1
                        }
                        Text {
                            text: modelData
                            textFormat: Text.PlainText
                            font.pixelSize: 10
                            font.weight: Font.DemiBold
                            font.family: "monospace"
                            color: root.primary
                        }
                    }
                    MouseArea {
                        id: chipArea
                        anchors.fill: parent
                        hoverEnabled: true
                        onClicked: root.controller.copyRecentColor(modelData)
                    }
                }
            }
        }
    }
}
