import QtQuick
import QtQuick.Controls
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
            Accessible.role: Accessible.Heading
            Accessible.name: text
            text: qsTr("Color Picker")
            font.pixelSize: 14
            font.bold: true
            color: root.secondary
        }

        PopoverButton {
            id: pickButton
            objectName: "pickButton"
            anchors.horizontalCenter: parent.horizontalCenter
            horizontalPadding: 24
            verticalPadding: 10
            cornerRadius: 10
            fill: root.systemBlue
            text: qsTr("Pick Color")
            onClicked: root.controller.pickColor()

            contentItem: Row {
                id: pickRow
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
                Accessible.role: Accessible.StaticText
                Accessible.name: root.controller.hexColor
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
                // Announced when it appears.
                Accessible.role: Accessible.AlertMessage
                Accessible.name: text
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
            Accessible.role: Accessible.StaticText
            Accessible.name: text
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
                    Accessible.role: Accessible.Heading
                    Accessible.name: text
                    text: qsTr("Recent Colors")
                    font.pixelSize: 11
                    font.bold: true
                    color: root.secondary
                }
                PopoverButton {
                    objectName: "clearButton"
                    anchors.right: parent.right
                    anchors.verticalCenter: parent.verticalCenter
                    text: qsTr("Clear")
                    cornerRadius: 3
                    onClicked: root.controller.clearRecentColors()
                    contentItem: Text {
                        text: parent.text
                        font.pixelSize: 10
                        font.bold: true
                        color: Qt.rgba(1, 0.23, 0.19, 0.8)
                    }
                    // A press a little outside the word still clears.
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

                // The vertical wheel most mice have scrolls the row sideways.
                WheelHandler {
                    acceptedDevices: PointerDevice.Mouse | PointerDevice.TouchPad
                    onWheel: (event) => {
                        const delta = event.angleDelta.x !== 0 ? event.angleDelta.x : event.angleDelta.y
                        const first = chips.originX - chips.leftMargin
                        const last = Math.max(first, chips.originX + chips.contentWidth + chips.rightMargin - chips.width)
                        chips.contentX = Math.max(first, Math.min(last, chips.contentX - delta / 120 * 40))
                    }
                }

                delegate: PopoverButton {
                    required property string modelData
                    required property int index
                    objectName: "recentColorChip"
                    listView: ListView.view
                    listIndex: index
                    horizontalPadding: 8
                    verticalPadding: 4
                    cornerRadius: 6
                    fill: Qt.rgba(root.primary.r, root.primary.g, root.primary.b, hovered ? 0.08 : 0.04)
                    outline: Qt.rgba(root.primary.r, root.primary.g, root.primary.b, 0.08)
                    text: modelData
                    onClicked: root.controller.copyRecentColor(modelData)

                    contentItem: Row {
                        id: chipRow
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
                }
            }
        }
    }
}
