import QtQuick
import Brimlark.Views
import QtQuick.Controls
import Brimlark.Grid

// An application tile's context menu, made from the tile's menu entries.
Menu {
    id: tileMenu
    objectName: "appTileMenu"

    property var entries: []
    property QtObject controller
    readonly property color destructiveColor: Style.red(palette.window.hslLightness >= 0.5)

    Component {
        id: itemComponent
        MenuItem {
            id: menuItem
            property int entryAction
            property string folderID
            property bool destructive
            // The name as it reads, without the menu's "&&" escapes.
            property string name
            Accessible.name: name
            palette.text: destructive ? tileMenu.destructiveColor : tileMenu.palette.text
            // Folder names come from the user: shown as written, never as markup.
            contentItem: Text {
                text: menuItem.name
                textFormat: Text.PlainText
                font: menuItem.font
                color: menuItem.highlighted ? menuItem.palette.highlightedText : menuItem.palette.text
                opacity: menuItem.enabled ? 1 : 0.5
                elide: Text.ElideRight
                verticalAlignment: Text.AlignVCenter
            }
            onTriggered: tileMenu.controller.perform(entryAction, folderID)
        }
    }
    Component {
        id: separatorComponent
        MenuSeparator {}
    }
    Component {
        id: submenuComponent
        Menu {}
    }

    // Items are made under the menu's visual parent (they need a place in
    // the scene until the menu takes them); the menu takes them over as its
    // own, so they go when it goes instead of piling up under the tile.
    property var madeItems: []

    function made(item) {
        madeItems.push(item)
        return item
    }

    function build(target, list) {
        for (const entry of list) {
            if (entry.kind === AppTileMenu.Kind.divider) {
                target.addItem(made(separatorComponent.createObject(tileMenu.parent)))
            } else if (entry.kind === AppTileMenu.Kind.submenu) {
                const sub = submenuComponent.createObject(target, { "title": qsTr(entry.title) })
                build(sub, entry.children)
                target.addMenu(sub)
                // An empty submenu would open as a blank strip.
                const subItem = target.itemAt(target.count - 1)
                if (subItem) {
                    subItem.enabled = entry.enabled
                }
            } else {
                target.addItem(made(itemComponent.createObject(tileMenu.parent, {
                    // Names from the user or a bundle are shown verbatim.
                    "text": entry.localized ? qsTr(entry.title) : entry.menuText,
                    "name": entry.localized ? qsTr(entry.title) : entry.title,
                    "entryAction": entry.action,
                    "folderID": entry.folderID,
                    "destructive": entry.destructive,
                    "enabled": entry.enabled
                })))
            }
        }
    }

    Component.onCompleted: build(tileMenu, entries)
    Component.onDestruction: {
        for (const item of madeItems) {
            item.destroy()
        }
    }
}
