import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Brimlark.Views
import Brimlark.Tools

// The code snippets popover: the workspace's snippets with a title search,
// or the form that adds one.
Pane {
    id: root

    required property CodeSnippetsController controller

    readonly property color primaryColor: palette.windowText
    readonly property color secondaryColor: Qt.rgba(primaryColor.r, primaryColor.g, primaryColor.b, 0.55)
    readonly property bool light: Style.isLight(palette)
    function primaryAt(alpha) {
        return Qt.rgba(primaryColor.r, primaryColor.g, primaryColor.b, alpha)
    }
    // The keyboard was on a row that went: it goes to the row now in its
    // place (or the last one), or to the search field when none is left.
    function keyboardAfterRemoval(list, at) {
        list.forceLayout()
        if (list.count > 0) {
            const index = Math.min(at, list.count - 1)
            list.positionViewAtIndex(index, ListView.Contain)
            const item = list.itemAtIndex(index)
            if (item) {
                item.takeKeyboard()
                return
            }
        }
        searchField.forceActiveFocus(Qt.TabFocusReason)
    }

    padding: 16
    contentWidth: 320
    background: null
    Accessible.name: "Code Snippets"

    ColumnLayout {
        width: parent.width
        spacing: 12

        RowLayout {
            Layout.fillWidth: true
            // A Text: a Label tells assistive technology it is plain text.
            Text {
                Accessible.role: Accessible.Heading
                Accessible.name: text
                text: "Code Snippets"
                font.pixelSize: 14
                font.bold: true
                color: root.secondaryColor
            }
            Item { Layout.fillWidth: true }
            ToolButton {
                objectName: "snippetFormToggle"
                padding: 2
                background: null
                contentItem: SymbolImage {
                    name: root.controller.showCreateForm ? "chevron.up.circle.fill" : "plus.circle.fill"
                    size: 16
                    color: Style.blue(root.light)
                }
                onClicked: root.controller.toggleCreateForm()
                Keys.onReturnPressed: clicked()
                Keys.onEnterPressed: clicked()
                FocusRing { targetRadius: 10 }
                Accessible.role: Accessible.Button
                Accessible.name: root.controller.showCreateForm ? "Hide New Snippet" : "New Snippet"
                Accessible.onPressAction: root.controller.toggleCreateForm()
            }
        }

        // A Text: a Label tells assistive technology it is plain text.
        Text {
            objectName: "snippetCopyMessage"
            visible: root.controller.copyMessage.length > 0
            text: root.controller.copyMessage
            // Announced when it appears.
            Accessible.role: Accessible.AlertMessage
            Accessible.name: text
            font.pixelSize: 10
            color: Style.green(root.light)
        }

        Pane {
            objectName: "snippetForm"
            Layout.fillWidth: true
            visible: root.controller.showCreateForm
            padding: 8
            background: Rectangle {
                radius: 10
                color: root.primaryAt(0.02)
            }

            ColumnLayout {
                anchors.left: parent.left
                anchors.right: parent.right
                spacing: 8

                Repeater {
                    model: [
                        { "name": "newTitle", "placeholder": "Snippet Title (e.g. Fetch API)" },
                        { "name": "newLanguage", "placeholder": "Language (e.g. JavaScript)" }
                    ]
                    delegate: Rectangle {
                        required property var modelData
                        Layout.fillWidth: true
                        implicitHeight: formField.implicitHeight + 12
                        radius: 6
                        color: root.primaryAt(0.04)
                        CustomTextField {
                            id: formField
                            objectName: modelData.name + "Field"
                            anchors.fill: parent
                            anchors.margins: 6
                            font.pixelSize: 13
                            placeholder: modelData.placeholder
                            text: root.controller[modelData.name]
                            // Typed, pasted or written by assistive technology.
                            onTextChanged: {
                                if (text !== root.controller[modelData.name])
                                    root.controller[modelData.name] = text
                            }
                            Accessible.role: Accessible.EditableText
                            Accessible.name: placeholderText
                            Accessible.onPressAction: forceActiveFocus()
                        }
                    }
                }
                ScrollView {
                    id: newCodeScroll
                    objectName: "newCodeScroll"
                    Layout.fillWidth: true
                    Layout.preferredHeight: 80
                    ScrollBar.vertical: ScrollViewBar { view: newCodeScroll }
                    ScrollBar.horizontal: ScrollViewBar { view: newCodeScroll }
                    background: Rectangle {
                        radius: 6
                        color: root.primaryAt(0.04)
                    }
                    TextArea {
                        objectName: "newCodeEditor"
                        padding: 6
                        font.family: "monospace"
                        font.pixelSize: 13
                        selectByMouse: true
                        background: null
                        textFormat: TextEdit.PlainText
                        text: root.controller.newCode
                        onTextChanged: {
                            if (text !== root.controller.newCode)
                                root.controller.newCode = text
                        }
                        Accessible.role: Accessible.EditableText
                        Accessible.name: "Code"
                        Accessible.onPressAction: forceActiveFocus()
                        // Tab types a tab, as in any text editor; Ctrl+Tab and Shift+Tab leave,
                        // so the keyboard is never caught in the code.
                        Keys.onTabPressed: (event) => {
                            if (event.modifiers & Qt.ControlModifier)
                                nextItemInFocusChain(true).forceActiveFocus(Qt.TabFocusReason)
                            else
                                event.accepted = false
                        }
                        Keys.onBacktabPressed: nextItemInFocusChain(false).forceActiveFocus(Qt.BacktabFocusReason)
                    }
                }
                Button {
                    objectName: "saveSnippetButton"
                    readonly property bool reportsEnabledState: true
                    Layout.alignment: Qt.AlignHCenter
                    text: "Save Snippet"
                    highlighted: true
                    enabled: root.controller.canSave
                    onClicked: root.controller.save()
                    Keys.onReturnPressed: if (enabled) clicked()
                    Keys.onEnterPressed: if (enabled) clicked()
                    Accessible.role: Accessible.Button
                    Accessible.name: text
                    Accessible.onPressAction: root.controller.save()
                }
            }
        }

        Rectangle {
            Layout.fillWidth: true
            visible: !root.controller.showCreateForm
            implicitHeight: searchField.implicitHeight + 12
            radius: 6
            color: root.primaryAt(0.04)
            CustomTextField {
                id: searchField
                objectName: "snippetSearchField"
                anchors.fill: parent
                anchors.margins: 6
                font.pixelSize: 12
                placeholder: "Search snippets..."
                text: root.controller.snippetSearch
                onTextChanged: {
                    if (text !== root.controller.snippetSearch)
                        root.controller.snippetSearch = text
                }
                Accessible.role: Accessible.EditableText
                Accessible.name: placeholderText
                Accessible.onPressAction: forceActiveFocus()
            }
        }

        ListView {
            objectName: "snippetList"
            Layout.fillWidth: true
            Layout.preferredHeight: 240
            visible: !root.controller.showCreateForm
            clip: true
            spacing: 8
            model: root.controller.filteredSnippets
            ScrollBar.vertical: ThinScrollBar { policy: ScrollBar.AlwaysOn }
            delegate: CodeSnippetItemView {
                width: ListView.view.width - 8
                isExpanded: root.controller.expandedSnippetID === snippetID
                onCopy: root.controller.copy(snippetID)
                onRemove: {
                    const list = ListView.view
                    const hadKeyboard = list.activeFocus
                    const at = index
                    root.controller.remove(snippetID)
                    if (hadKeyboard)
                        root.keyboardAfterRemoval(list, at)
                }
                onTap: root.controller.toggleExpanded(snippetID)
            }
        }
    }
}
