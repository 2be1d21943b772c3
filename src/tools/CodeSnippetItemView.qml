import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Brimlark.Views

// One snippet row: title and language tag, copy and delete, and the code
// below while expanded.
Rectangle {
    id: row

    // One row of the snippet list (CodeSnippetListModel's roles).
    required property string snippetID
    required property string title
    required property string code
    required property string language
    required property bool isExpanded
    required property int index
    // In the accessibility tree only while on screen (not pooled or kept
    // beyond the list's edges); the keyboard scrolls to the row it reaches.
    readonly property ListView listView: ListView.view
    readonly property bool onScreen: visible && (listView === null
                                     || (y + height > listView.contentY
                                         && y < listView.contentY + listView.height))
    function reveal() {
        if (listView)
            listView.positionViewAtIndex(index, ListView.Contain)
    }
    signal copy()
    signal remove()
    signal tap()
    function takeKeyboard() {
        header.forceActiveFocus(Qt.TabFocusReason)
    }

    readonly property color primaryColor: palette.windowText
    readonly property color secondaryColor: Qt.rgba(primaryColor.r, primaryColor.g, primaryColor.b, 0.55)
    readonly property bool light: Style.isLight(palette)

    implicitHeight: content.implicitHeight + 16
    radius: 8
    color: Qt.rgba(primaryColor.r, primaryColor.g, primaryColor.b, isExpanded ? 0.05 : 0.03)

    // The header's focus ring (a layout would place one inside it).
    Rectangle {
        x: content.x + header.x - 3
        y: content.y + header.y - 3
        width: header.width + 6
        height: header.height + 6
        radius: 7
        color: "transparent"
        border.width: 2
        border.color: row.palette.highlight
        visible: header.activeFocus
        z: 10
    }

    ColumnLayout {
        id: content
        x: 8
        y: 8
        width: row.width - 16
        spacing: 8

        RowLayout {
            id: header
            objectName: "snippetHeader"
            Layout.fillWidth: true

            // The whole header, spacer included, expands and collapses; the
            // press is taken here, so nothing below the popover sees it.
            TapHandler {
                gesturePolicy: TapHandler.ReleaseWithinBounds
                onTapped: row.tap()
            }
            // Reached by the keyboard too: Space or Return shows or hides the code.
            activeFocusOnTab: true
            Keys.onSpacePressed: row.tap()
            Keys.onReturnPressed: row.tap()
            Keys.onEnterPressed: row.tap()
            onActiveFocusChanged: if (activeFocus) row.reveal()
            Accessible.ignored: !row.onScreen
            Accessible.role: Accessible.Button
            Accessible.name: row.title
            Accessible.checkable: true
            Accessible.checked: row.isExpanded
            Accessible.onPressAction: row.tap()
            Accessible.onToggleAction: row.tap()

            ColumnLayout {
                spacing: 3
                Label {
                    objectName: "snippetTitle"
                    text: row.title
                    textFormat: Text.PlainText
                    font.pixelSize: 12
                    font.bold: true
                    color: row.primaryColor
                    elide: Text.ElideRight
                    Layout.maximumWidth: 220
                }
                Label {
                    objectName: "snippetLanguage"
                    text: row.language
                    textFormat: Text.PlainText
                    font.pixelSize: 9
                    font.weight: Font.Medium
                    color: row.secondaryColor
                    leftPadding: 6
                    rightPadding: 6
                    topPadding: 1
                    bottomPadding: 1
                    background: Rectangle {
                        radius: 4
                        color: Qt.rgba(row.primaryColor.r, row.primaryColor.g, row.primaryColor.b, 0.06)
                    }
                }
            }
            Item { Layout.fillWidth: true }
            RowLayout {
                spacing: 8
                ToolButton {
                    objectName: "copySnippetButton"
                    padding: 2
                    background: null
                    contentItem: SymbolImage {
                        name: "doc.on.doc.fill"
                        size: 11
                        color: Style.blue(row.light)
                    }
                    onClicked: row.copy()
                    Keys.onReturnPressed: clicked()
                    Keys.onEnterPressed: clicked()
                    onActiveFocusChanged: if (activeFocus) row.reveal()
                    FocusRing { targetRadius: 4 }
                    Accessible.ignored: !row.onScreen
                    Accessible.role: Accessible.Button
                    Accessible.name: "Copy " + row.title
                    Accessible.onPressAction: row.copy()
                }
                ToolButton {
                    objectName: "deleteSnippetButton"
                    padding: 2
                    background: null
                    contentItem: SymbolImage {
                        name: "xmark.circle"
                        size: 11
                        color: Style.red(row.light)
                        opacity: 0.8
                    }
                    onClicked: row.remove()
                    Keys.onReturnPressed: clicked()
                    Keys.onEnterPressed: clicked()
                    onActiveFocusChanged: if (activeFocus) row.reveal()
                    FocusRing { targetRadius: 4 }
                    Accessible.ignored: !row.onScreen
                    Accessible.role: Accessible.Button
                    Accessible.name: "Delete " + row.title
                    Accessible.onPressAction: row.remove()
                }
            }
        }

        ColumnLayout {
            Layout.fillWidth: true
            visible: row.isExpanded
            spacing: 6

            Rectangle {
                Layout.fillWidth: true
                implicitHeight: 1
                color: Qt.rgba(row.primaryColor.r, row.primaryColor.g, row.primaryColor.b, 0.1)
            }
            ScrollView {
                id: codeScroll
                objectName: "snippetCodeScroll"
                Layout.fillWidth: true
                Layout.preferredHeight: 100
                ScrollBar.vertical: ScrollViewBar { view: codeScroll }
                ScrollBar.horizontal: ScrollViewBar { view: codeScroll }
                background: Rectangle {
                    radius: 6
                    color: Qt.rgba(0, 0, 0, 0.04)
                }

                TextArea {
                    objectName: "snippetCode"
                    readOnly: true
                    selectByMouse: true
                    topPadding: 4
                    text: row.code
                    textFormat: TextEdit.PlainText
                    font.family: "monospace"
                    font.pixelSize: 11
                    color: row.primaryColor
                    background: null
                    Accessible.ignored: !row.onScreen
                    Accessible.role: Accessible.StaticText
                    Accessible.name: "Code"
                    Accessible.onPressAction: forceActiveFocus()
                }
            }
        }
    }
}
