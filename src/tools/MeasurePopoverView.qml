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
            Accessible.role: Accessible.Heading
            Accessible.name: text
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

        PopoverButton {
            id: toggle
            objectName: "toggleButton"
            anchors.horizontalCenter: parent.horizontalCenter
            text: root.controller.isRulerShowing ? qsTr("Close Ruler") : qsTr("Open Screen Ruler")
            horizontalPadding: 20
            verticalPadding: 8
            cornerRadius: 8
            fill: root.controller.isRulerShowing ? root.systemRed : root.systemBlue
            onClicked: root.controller.toggleRuler()

            contentItem: Row {
                id: toggleRow
                spacing: 8
                SymbolImage {
                    anchors.verticalCenter: parent.verticalCenter
                    name: root.controller.isRulerShowing ? "stop.fill" : "play.fill"
                    size: 13
                    color: "white"
                }
                Text {
                    text: toggle.text
                    font.pixelSize: 13
                    font.bold: true
                    color: "white"
                }
            }
        }

        Text {
            width: body.innerWidth - 24
            anchors.horizontalCenter: parent.horizontalCenter
            Accessible.role: Accessible.StaticText
            Accessible.name: text
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
                    Accessible.role: Accessible.Heading
                    Accessible.name: text
                    text: qsTr("Recent Measurements")
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
                    onClicked: root.controller.clearMeasurements()
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
                function focusFirstRow() {
                    positionViewAtBeginning()
                    const first = itemAtIndex(0)
                    if (first && !first.activeFocus)
                        first.forceActiveFocus(Qt.TabFocusReason)
                }
                ScrollBar.vertical: ScrollBar { policy: rows.contentHeight > rows.height ? ScrollBar.AlwaysOn : ScrollBar.AsNeeded }

                delegate: PopoverButton {
                    required property string modelData
                    required property int index
                    objectName: "measurementRow"
                    listView: ListView.view
                    listIndex: index
                    x: 2
                    width: rows.width - 4
                    leftPadding: 10
                    rightPadding: 10
                    verticalPadding: 6
                    cornerRadius: 6
                    fill: Qt.rgba(root.primary.r, root.primary.g, root.primary.b, hovered ? 0.08 : 0.04)
                    outline: Qt.rgba(root.primary.r, root.primary.g, root.primary.b, 0.08)
                    text: modelData
                    onClicked: {
                        // A showing ruler records the size again, at the top
                        // of the list: the keyboard follows it there.
                        const keyboard = visualFocus
                        root.controller.applyMeasurement(modelData)
                        if (keyboard)
                            Qt.callLater(rows.focusFirstRow)
                    }

                    contentItem: Row {
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
                }
            }
        }
    }
}
