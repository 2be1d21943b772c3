import QtQuick
import QtQuick.Controls
import Brimlark.Views
import Brimlark.Grid

// The app picker for a folder: every application not yet in it, searchable,
// marked by clicks; "Done" (or Return) adds the marked ones in the order they
// were marked and closes the sheet. The sheet keeps to the window's size and
// its grid scrolls.
Item {
    id: root
    objectName: "appPickerView"
    Accessible.role: Accessible.Dialog
    Accessible.name: qsTr("Add Apps")

    required property BrimlarkViewModel viewModel
    property appFolder folder
    // The picker is done: the host closes it.
    signal dismiss()
    readonly property alias controller: picker
    readonly property bool lightAppearance: Style.isLight(palette)
    readonly property color blue: Style.blue(lightAppearance)
    readonly property color primary: Style.primary(palette)
    readonly property size fitted: picker.fittedSize(Window.width, Window.height)

    implicitWidth: fitted.width
    implicitHeight: fitted.height

    AppPickerController {
        id: picker
        viewModel: root.viewModel
        catalog: root.viewModel.catalog
        folder: root.folder
        onFinished: root.dismiss()
    }

    Shortcut {
        sequences: ["Return", "Enter"]
        onActivated: picker.done()
    }

    Column {
        id: top
        width: parent.width

        Item {
            width: parent.width
            height: header.implicitHeight + 48

            Column {
                id: header
                x: 24
                anchors.verticalCenter: parent.verticalCenter
                width: parent.width - 48 - doneButton.width - 12
                spacing: 4
                Text {
                    objectName: "pickerTitle"
                    text: qsTr("Add Apps")
                    Accessible.role: Accessible.StaticText
                    Accessible.name: text
                    font.pixelSize: 24
                    font.bold: true
                    color: root.primary
                }
                Text {
                    width: parent.width
                    objectName: "pickerSubtitle"
                    text: qsTr("Select apps to add to ") + root.folder.name
                    textFormat: Text.PlainText
                    Accessible.role: Accessible.StaticText
                    Accessible.name: text
                    font.pixelSize: 11
                    elide: Text.ElideRight
                    color: Style.secondary(palette)
                }
            }
            // The prominent kind of button, filled with the accent colour,
            // in the large size; Return presses it from anywhere in the sheet.
            Button {
                id: doneButton
                objectName: "pickerDoneButton"
                anchors.right: parent.right
                anchors.rightMargin: 24
                anchors.verticalCenter: parent.verticalCenter
                text: qsTr("Done")
                focusPolicy: Qt.TabFocus
                font.pixelSize: 14
                font.weight: Font.DemiBold
                leftPadding: 20
                rightPadding: 20
                topPadding: 8
                bottomPadding: 8
                Accessible.role: Accessible.Button
                Accessible.name: text
                Accessible.defaultButton: true
                Accessible.onPressAction: picker.done()
                onClicked: picker.done()
                contentItem: Text {
                    text: doneButton.text
                    font: doneButton.font
                    color: "white"
                    horizontalAlignment: Text.AlignHCenter
                    verticalAlignment: Text.AlignVCenter
                }
                background: Rectangle {
                    objectName: "pickerDoneFill"
                    implicitWidth: 72
                    radius: 7
                    color: doneButton.down ? Qt.darker(root.blue, 1.15) : root.blue
                    GridFocusRing {
                        // The ring belongs to the button, not to its fill.
                        visible: doneButton.visualFocus
                        cornerRadius: 7
                    }
                }
            }
        }

        Item {
            width: parent.width
            height: 12 + searchRow.implicitHeight + 12 + 16

            Rectangle {
                x: 24
                width: parent.width - 48
                height: searchRow.implicitHeight + 24
                radius: 12
                color: Style.withAlpha(root.primary, 0.05)

                Row {
                    id: searchRow
                    x: 12
                    y: 12
                    width: parent.width - 24
                    spacing: 12
                    SymbolImage {
                        anchors.verticalCenter: parent.verticalCenter
                        name: "magnifyingglass"
                        size: 14
                        color: Style.secondary(palette)
                    }
                    CustomTextField {
                        objectName: "pickerSearchField"
                        width: parent.width - 26
                        font.pixelSize: 13
                        placeholder: qsTr("Search apps...")
                        text: picker.searchQuery
                        onTextEdited: picker.searchQuery = text
                        isFocused: true
                    }
                }
            }
        }
    }

    Rectangle {
        anchors.top: top.bottom
        anchors.bottom: parent.bottom
        width: parent.width
        color: Style.withAlpha(root.primary, 0.02)

        GridView {
            id: grid
            objectName: "pickerGrid"
            anchors.fill: parent
            anchors.margins: 24
            clip: true
            boundsBehavior: Flickable.StopAtBounds
            Accessible.role: Accessible.List
            Accessible.name: qsTr("Applications")
            model: picker.apps
            // Columns of 90 to 110 points, 20 apart.
            readonly property int columns: Math.max(1, Math.floor((width + 20) / 110))
            cellWidth: Math.max(1, width / columns)
            cellHeight: 10 + 56 + 8 + 16 + 10 + 20
            ScrollBar.vertical: ThinScrollBar {
                policy: ScrollBar.AsNeeded
            }

            // Only cells in view are made, so none off screen is in the
            // accessibility tree.
            cacheBuffer: 0

            delegate: Item {
                id: cell
                required property int index
                required property appItem app
                required property string name
                required property string path
                required property url iconSource
                readonly property bool selected: picker.markedPaths.indexOf(path) >= 0

                width: grid.cellWidth
                height: grid.cellHeight
                // A cell left behind by a row that went is not on screen.
                visible: index >= 0

                AbstractButton {
                    id: cellButton
                    objectName: "pickerCell"
                    anchors.horizontalCenter: parent.horizontalCenter
                    width: Math.min(110, grid.cellWidth - 4)
                    height: grid.cellHeight - 20
                    checkable: false
                    // Marking an application with a click leaves the typing in
                    // the search field; Tab reaches the cells, Space marks.
                    focusPolicy: Qt.TabFocus
                    // A toggle button: checked (and selected) while marked.
                    Accessible.role: Accessible.Button
                    Accessible.name: cell.name
                    Accessible.checkable: true
                    Accessible.checked: cell.selected
                    Accessible.selectable: true
                    Accessible.selected: cell.selected
                    Accessible.onPressAction: picker.toggle(cell.path)
                    Accessible.onToggleAction: picker.toggle(cell.path)
                    onClicked: picker.toggle(cell.path)

                    background: Rectangle {
                        radius: 16
                        color: cell.selected ? Style.withAlpha(root.blue, 0.1) : "transparent"
                    }
                    // A cell in view scrolls into view fully when Tab reaches it.
                    onActiveFocusChanged: {
                        if (activeFocus)
                            grid.positionViewAtIndex(cell.index, GridView.Contain)
                    }

                    GridFocusRing {
                        cornerRadius: 16
                    }
                    contentItem: Column {
                        topPadding: 10
                        spacing: 8
                        Item {
                            anchors.horizontalCenter: parent.horizontalCenter
                            width: 56
                            height: 56
                            // The glow of a marked application.
                            GridShadow {
                                objectName: "pickerCellGlow"
                                visible: cell.selected
                                cornerRadius: 14
                                blur: 8
                                shadowColor: Style.withAlpha(root.blue, 0.4)
                            }
                            Image {
                                anchors.fill: parent
                                source: cell.iconSource
                                sourceSize: Qt.size(112, 112)
                                fillMode: Image.PreserveAspectFit
                                asynchronous: true
                            }
                            Rectangle {
                                anchors.fill: parent
                                radius: 14
                                color: "transparent"
                                border.width: cell.selected ? 3 : 0
                                border.color: root.blue
                            }
                            Rectangle {
                                visible: cell.selected
                                x: parent.width - width / 2 + 5 - 8
                                y: -height / 2 - 5 + 8
                                width: 18
                                height: 18
                                radius: 9
                                color: "white"
                                SymbolImage {
                                    anchors.centerIn: parent
                                    name: "plus.circle.fill"
                                    size: 18
                                    color: root.blue
                                }
                            }
                        }
                        Text {
                            width: cellButton.width - 20
                            anchors.horizontalCenter: parent.horizontalCenter
                            objectName: "pickerCellName"
                            text: cell.name
                            textFormat: Text.PlainText
                            horizontalAlignment: Text.AlignHCenter
                            elide: Text.ElideRight
                            maximumLineCount: 1
                            font.pixelSize: 11
                            font.weight: cell.selected ? Font.Bold : Font.Medium
                            color: cell.selected ? root.blue : root.primary
                        }
                    }
                }
            }
        }
    }
}
