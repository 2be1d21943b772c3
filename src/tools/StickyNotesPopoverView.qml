import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Brimlark.Views
import Brimlark.Tools

// The sticky notes popover: one note of the active workspace at a time, on
// its paper colour, with the swatches and the pager.
Pane {
    id: root

    required property StickyNotesController controller

    readonly property color primaryColor: palette.windowText
    readonly property color secondaryColor: Qt.rgba(primaryColor.r, primaryColor.g, primaryColor.b, 0.55)
    readonly property bool light: Style.isLight(palette)

    padding: 16
    contentWidth: 280
    background: null
    Accessible.name: "Sticky Notes"

    ColumnLayout {
        width: parent.width
        spacing: 12

        RowLayout {
            Layout.fillWidth: true

            // A Text: a Label tells assistive technology it is plain text.
            Text {
                Accessible.role: Accessible.Heading
                Accessible.name: text
                text: "Sticky Notes"
                font.pixelSize: 14
                font.bold: true
                color: root.secondaryColor
            }
            Item { Layout.fillWidth: true }
            RowLayout {
                spacing: 6

                ToolButton {
                    objectName: "addNoteButton"
                    readonly property bool reportsEnabledState: true
                    flat: true
                    padding: 2
                    contentItem: SymbolImage {
                        name: "plus.circle.fill"
                        size: 16
                        color: Style.blue(root.light)
                    }
                    background: null
                    // Typing goes to the new note.
                    onClicked: {
                        root.controller.addNote()
                        editor.forceActiveFocus()
                    }
                    Keys.onReturnPressed: clicked()
                    Keys.onEnterPressed: clicked()
                    FocusRing { targetRadius: 10 }
                    Accessible.role: Accessible.Button
                    Accessible.name: "Add Note"
                    Accessible.onPressAction: root.controller.addNote()
                }
                ToolButton {
                    objectName: "deleteNoteButton"
                    readonly property bool reportsEnabledState: true
                    flat: true
                    padding: 2
                    enabled: root.controller.hasNotes
                    opacity: enabled ? 1 : 0.4
                    contentItem: SymbolImage {
                        name: "trash.fill"
                        size: 14
                        color: Style.red(root.light)
                        opacity: 0.8
                    }
                    background: null
                    onClicked: root.controller.deleteShownNote()
                    Keys.onReturnPressed: if (enabled) clicked()
                    Keys.onEnterPressed: if (enabled) clicked()
                    FocusRing { targetRadius: 10 }
                    Accessible.role: Accessible.Button
                    Accessible.name: "Delete Note"
                    Accessible.onPressAction: root.controller.deleteShownNote()
                }
            }
        }

        Item {
            objectName: "notesEmptyState"
            Layout.fillWidth: true
            Layout.preferredHeight: 180
            visible: !root.controller.hasNotes

            Column {
                anchors.centerIn: parent
                spacing: 10

                SymbolImage {
                    anchors.horizontalCenter: parent.horizontalCenter
                    name: "note.text.badge.plus"
                    size: 32
                    color: root.secondaryColor
                    opacity: 0.3
                }
                Label {
                    anchors.horizontalCenter: parent.horizontalCenter
                    Accessible.role: Accessible.StaticText
                    Accessible.name: text
                    text: "No notes found. Create one!"
                    font.pixelSize: 12
                    color: root.secondaryColor
                }
            }
        }

        ColumnLayout {
            Layout.fillWidth: true
            visible: root.controller.hasNotes
            spacing: 8

            Item {
                Layout.fillWidth: true
                Layout.preferredHeight: 140

                Rectangle {
                    y: 1
                    width: parent.width
                    height: parent.height
                    radius: 12
                    color: Qt.rgba(0, 0, 0, 0.08)
                }
                Rectangle {
                    anchors.fill: parent
                    radius: 12
                    color: Colors.hex(root.controller.noteColorHex)
                }
                ScrollView {
                    id: noteScroll
                    objectName: "noteScroll"
                    anchors.fill: parent
                    ScrollBar.vertical: ScrollViewBar { view: noteScroll }
                    ScrollBar.horizontal: ScrollViewBar { view: noteScroll }

                    TextArea {
                        id: editor
                        objectName: "noteEditor"
                        padding: 10
                        wrapMode: TextEdit.Wrap
                        color: "black"
                        font.pixelSize: 13
                        selectByMouse: true
                        background: null
                        textFormat: TextEdit.PlainText
                        text: root.controller.noteText
                        // Every keystroke goes to the stored note.
                        onTextChanged: {
                            if (text !== root.controller.noteText)
                                root.controller.noteText = text
                        }
                        Accessible.role: Accessible.EditableText
                        Accessible.name: "Note"
                        Accessible.onPressAction: forceActiveFocus()
                        // Tab types a tab, as in any text editor; Ctrl+Tab and Shift+Tab leave,
                        // so the keyboard is never caught in the note.
                        Keys.onTabPressed: (event) => {
                            if (event.modifiers & Qt.ControlModifier)
                                nextItemInFocusChain(true).forceActiveFocus(Qt.TabFocusReason)
                            else
                                event.accepted = false
                        }
                        Keys.onBacktabPressed: nextItemInFocusChain(false).forceActiveFocus(Qt.BacktabFocusReason)
                    }
                }
            }

            RowLayout {
                Layout.fillWidth: true

                RowLayout {
                    spacing: 8
                    Repeater {
                        // By count, so that a pick redraws the swatches in
                        // place and the keyboard stays on the one it chose.
                        model: root.controller.colors.length
                        // The paper colours: one chosen (checked), Space or
                        // Return chooses the one the keyboard is on.
                        delegate: RadioButton {
                            id: swatch
                            required property int index
                            readonly property var modelData: root.controller.colors[index]
                            objectName: "swatch_" + modelData.hex
                            implicitWidth: 14
                            implicitHeight: 14
                            padding: 0
                            spacing: 0
                            // The note's colour says which one is chosen,
                            // not the press.
                            autoExclusive: false
                            checked: modelData.selected
                            onCheckedChanged: {
                                if (checked !== modelData.selected)
                                    checked = Qt.binding(() => swatch.modelData.selected)
                            }
                            text: modelData.name
                            indicator: null
                            contentItem: null
                            background: Rectangle {
                                radius: 7
                                color: Colors.hex(swatch.modelData.hex)
                                border.width: swatch.modelData.selected ? 1.5 : 0
                                border.color: root.primaryColor
                            }
                            onClicked: root.controller.pickColor(modelData.hex)
                            Keys.onReturnPressed: clicked()
                            Keys.onEnterPressed: clicked()
                            FocusRing { targetRadius: 7 }
                            // The control keeps these only from the moment a reader asks.
                            Accessible.checkable: true
                            Accessible.checked: checked
                            Accessible.name: modelData.name
                            Accessible.onPressAction: root.controller.pickColor(modelData.hex)
                            Accessible.onToggleAction: root.controller.pickColor(modelData.hex)
                        }
                    }
                }
                Item { Layout.fillWidth: true }
                RowLayout {
                    spacing: 6
                    opacity: 0.8

                    Button {
                        objectName: "previousNoteButton"
                        readonly property bool reportsEnabledState: true
                        implicitWidth: 26
                        enabled: root.controller.canGoPrevious
                        contentItem: SymbolImage {
                            name: "chevron.left"
                            size: 11
                            color: root.primaryColor
                            opacity: parent.enabled ? 1 : 0.35
                        }
                        onClicked: root.controller.previousNote()
                        Keys.onReturnPressed: if (enabled) clicked()
                        Keys.onEnterPressed: if (enabled) clicked()
                        Accessible.role: Accessible.Button
                        Accessible.name: "Previous Note"
                        Accessible.onPressAction: root.controller.previousNote()
                    }
                    Label {
                        objectName: "notePosition"
                        Accessible.role: Accessible.StaticText
                        Accessible.name: text
                        text: root.controller.positionText
                        font.pixelSize: 11
                        font.bold: true
                        color: root.secondaryColor
                    }
                    Button {
                        objectName: "nextNoteButton"
                        readonly property bool reportsEnabledState: true
                        implicitWidth: 26
                        enabled: root.controller.canGoNext
                        contentItem: SymbolImage {
                            name: "chevron.right"
                            size: 11
                            color: root.primaryColor
                            opacity: parent.enabled ? 1 : 0.35
                        }
                        onClicked: root.controller.nextNote()
                        Keys.onReturnPressed: if (enabled) clicked()
                        Keys.onEnterPressed: if (enabled) clicked()
                        Accessible.role: Accessible.Button
                        Accessible.name: "Next Note"
                        Accessible.onPressAction: root.controller.nextNote()
                    }
                }
            }
        }
    }
}
