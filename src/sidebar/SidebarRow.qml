import QtQuick
import QtQuick.Controls
import Brimlark.Views
import Brimlark.Sidebar

// One sidebar row: a symbol, a title and, for a pinned folder, a pin.
// Named after its title for assistive technology; a press selects it.
Rectangle {
    id: row

    property string title
    property string symbol
    property color tint: palette.highlight
    property bool selected: false
    property bool pinned: false
    property real indent: 0
    // The list's scrolled area: a row beyond its edges is not in the
    // accessibility tree.
    property Flickable viewport: null
    readonly property bool onScreen: {
        if (!visible)
            return false
        if (!viewport)
            return true
        // Read so the rule runs again once the list has placed the row:
        // a row made by a change stands at 0 until then.
        y
        height
        viewport.contentY
        viewport.height
        const top = mapToItem(viewport, 0, 0).y
        return top + height > 0 && top < viewport.height
    }
    signal activated()
    signal contextMenuRequested(real x, real y)
    // A key that moves the keyboard along the list (a KeyCommands command).
    signal moveRequested(int command)

    implicitHeight: 28
    radius: 6
    color: selected ? Style.fade(palette.highlight, 0.85) : (hover.hovered ? Style.fade(palette.text, 0.06) : "transparent")

    Accessible.role: Accessible.ListItem
    Accessible.name: title
    Accessible.selectable: true
    Accessible.selected: selected
    Accessible.ignored: !onScreen
    Accessible.onPressAction: row.activated()

    // Return or Space selects the row, the Menu key or Shift+F10 opens its
    // menu, the arrows move along the list.
    Keys.onPressed: (event) => {
        const command = KeyCommands.command(event.key, event.modifiers)
        switch (command) {
        case KeyCommands.Activate:
            row.activated()
            break
        case KeyCommands.ContextMenu:
            row.contextMenuRequested(row.width / 2, row.height / 2)
            break
        case KeyCommands.Up:
        case KeyCommands.Down:
        case KeyCommands.First:
        case KeyCommands.Last:
            row.moveRequested(command)
            break
        default:
            event.accepted = false
            return
        }
        event.accepted = true
    }
    FocusRing { targetRadius: row.radius }

    HoverHandler { id: hover }

    Row {
        objectName: "rowContent"
        anchors.left: parent.left
        // However deep the folder, its symbol and some of its name stay in the row.
        anchors.leftMargin: 8 + Math.max(0, Math.min(row.indent, row.width - 130))
        anchors.right: pin.left
        anchors.rightMargin: 4
        anchors.verticalCenter: parent.verticalCenter
        spacing: 8

        SymbolImage {
            anchors.verticalCenter: parent.verticalCenter
            name: row.symbol
            size: 15
            color: row.selected ? palette.highlightedText : row.tint
        }
        Label {
            anchors.verticalCenter: parent.verticalCenter
            width: parent.width - 23
            // Folder names come from the user: shown as written.
            text: row.title
            textFormat: Text.PlainText
            elide: Text.ElideRight
            color: row.selected ? palette.highlightedText : palette.text
        }
    }

    SymbolImage {
        id: pin
        anchors.right: parent.right
        anchors.rightMargin: 8
        anchors.verticalCenter: parent.verticalCenter
        visible: row.pinned
        width: row.pinned ? implicitWidth : 0
        name: "pin.fill"
        size: 10
        color: row.selected ? palette.highlightedText : palette.placeholderText
    }
}
