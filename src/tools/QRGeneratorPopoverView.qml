import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Brimlark.Views
import Brimlark.Tools

// The QR generator popover: a text field, the code of its text with Copy and
// drag-out, or the empty state.
Pane {
    id: root

    required property QRGeneratorController controller

    readonly property color secondaryColor: Qt.rgba(palette.windowText.r, palette.windowText.g,
                                                    palette.windowText.b, 0.55)
    readonly property bool light: Style.isLight(palette)

    padding: 16
    contentWidth: 260
    background: null
    Accessible.name: "QR Generator"

    ColumnLayout {
        width: parent.width
        spacing: 12

        // A Text: a Label tells assistive technology it is plain text.
        Text {
            Layout.alignment: Qt.AlignHCenter
            Accessible.role: Accessible.Heading
            Accessible.name: text
            text: "QR Generator"
            font.pixelSize: 14
            font.bold: true
            color: root.secondaryColor
        }

        Rectangle {
            Layout.fillWidth: true
            implicitHeight: field.implicitHeight + 16
            radius: 6
            color: Qt.rgba(palette.windowText.r, palette.windowText.g, palette.windowText.b, 0.04)

            CustomTextField {
                id: field
                objectName: "qrTextField"
                anchors.fill: parent
                anchors.margins: 8
                font.pixelSize: 12
                placeholder: "Type URL or text..."
                // Typing goes to the field as soon as the popover shows.
                isFocused: true
                text: root.controller.text
                // Typed, pasted or written by assistive technology.
                onTextChanged: {
                    if (text !== root.controller.text)
                        root.controller.text = text
                }
                Accessible.role: Accessible.EditableText
                Accessible.name: placeholderText
                Accessible.onPressAction: forceActiveFocus()
            }
        }

        ColumnLayout {
            objectName: "qrPreview"
            Layout.alignment: Qt.AlignHCenter
            visible: root.controller.hasCode
            spacing: 8

            Item {
                Layout.alignment: Qt.AlignHCenter
                implicitWidth: 140
                implicitHeight: 140

                Rectangle {
                    x: 0
                    y: 2
                    width: parent.width
                    height: parent.height
                    radius: 8
                    color: Qt.rgba(0, 0, 0, 0.12)
                }
                QRCodeImage {
                    id: preview
                    objectName: "qrImage"
                    anchors.fill: parent
                    radius: 8
                    image: root.controller.qrImage
                    opacity: dragArea.drag.active ? 0.6 : 1
                    Accessible.role: Accessible.Graphic
                    Accessible.name: root.controller.canDrag ? "QR code, drag to export" : "QR code"
                    Accessible.onPressAction: root.controller.copy()
                }
                // Only the payload moves; the preview stays put.
                Item {
                    id: dragPayload
                    objectName: "qrDragPayload"
                    Drag.active: dragArea.drag.active
                    Drag.dragType: Drag.Automatic
                    Drag.supportedActions: Qt.CopyAction
                    Drag.imageSource: root.controller.dragImageURL
                    Drag.mimeData: ({ "text/uri-list": root.controller.qrFileURL.toString() })
                }
                MouseArea {
                    id: dragArea
                    anchors.fill: parent
                    enabled: root.controller.canDrag
                    cursorShape: enabled ? Qt.OpenHandCursor : Qt.ArrowCursor
                    drag.target: dragPayload
                }
            }

            RowLayout {
                Layout.alignment: Qt.AlignHCenter
                spacing: 8

                Button {
                    objectName: "qrCopyButton"
                    text: "Copy"
                    onClicked: root.controller.copy()
                    Keys.onReturnPressed: clicked()
                    Keys.onEnterPressed: clicked()
                    Accessible.role: Accessible.Button
                    Accessible.name: text
                    Accessible.onPressAction: root.controller.copy()
                }
                Label {
                    Accessible.role: Accessible.StaticText
                    Accessible.name: text
                    text: "Drag to export"
                    font.pixelSize: 10
                    color: root.secondaryColor
                    opacity: root.controller.canDrag ? 1 : 0.4
                }
            }

            Text {
                objectName: "qrCopyMessage"
                Layout.alignment: Qt.AlignHCenter
                // Announced when it appears.
                Accessible.role: Accessible.AlertMessage
                Accessible.name: text
                visible: root.controller.copyMessage.length > 0
                text: root.controller.copyMessage
                font.pixelSize: 10
                font.weight: Font.Medium
                color: Style.green(root.light)
            }
        }

        Item {
            objectName: "qrEmptyState"
            Layout.fillWidth: true
            Layout.preferredHeight: 160
            visible: !root.controller.hasCode

            Column {
                anchors.centerIn: parent
                spacing: 8

                SymbolImage {
                    anchors.horizontalCenter: parent.horizontalCenter
                    name: "qrcode"
                    size: 48
                    color: root.secondaryColor
                    opacity: 0.2
                }
                Label {
                    anchors.horizontalCenter: parent.horizontalCenter
                    Accessible.role: Accessible.StaticText
                    Accessible.name: text
                    text: "Enter text above to preview QR"
                    font.pixelSize: 11
                    color: root.secondaryColor
                }
            }
        }
    }
}
