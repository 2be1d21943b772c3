import QtQuick
import Brimlark.Views
import QtQuick.Controls
import Brimlark.Grid

// The context menu of an application tile or of a folder or category card,
// made from the controller's entries; a chosen entry goes back to whoever
// opened the menu as entryChosen(). Folder and application names come from
// users and bundles: every row and submenu row shows them as plain text.
PlainMenu {
    id: tileMenu
    objectName: "appTileMenu"

    property list<menuEntry> entries
    // An entry chosen: its action, as the tile's or card's controller's own
    // enum value, and the folder it names (or "").
    signal entryChosen(int action, string folderID)
    readonly property color destructiveColor: Style.red(Style.isLight(palette))

    Component {
        id: itemComponent
        PlainMenuItem {
            property int entryAction
            property string folderID
            onTriggered: tileMenu.entryChosen(entryAction, folderID)
        }
    }
    Component {
        id: separatorComponent
        MenuSeparator {}
    }
    Component {
        id: submenuComponent
        PlainMenu {}
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
            if (entry.kind === MenuEntry.Kind.divider) {
                target.addItem(made(separatorComponent.createObject(tileMenu.parent)))
            } else if (entry.kind === MenuEntry.Kind.submenu) {
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
                    "text": entry.localized ? qsTr(entry.title) : entry.title,
                    "symbol": entry.symbol,
                    "entryAction": entry.action,
                    "folderID": entry.folderID,
                    "destructive": entry.destructive,
                    "enabled": entry.enabled
                })))
            }
        }
    }

    // The style keeps a menu at its own minimum width and elides longer
    // rows ("Create Folder from Categ…"): each menu is made as wide as its
    // widest row instead.
    function fitWidth(menu) {
        let widest = 0
        for (let i = 0; i < menu.count; ++i) {
            const item = menu.itemAt(i)
            if (item)
                widest = Math.max(widest, item.implicitWidth)
        }
        menu.implicitWidth = Math.max(menu.implicitBackgroundWidth + menu.leftInset + menu.rightInset,
                                      widest + menu.leftPadding + menu.rightPadding)
        for (let j = 0; j < menu.count; ++j) {
            const sub = menu.menuAt(j)
            if (sub)
                fitWidth(sub)
        }
    }

    Component.onCompleted: {
        build(tileMenu, entries)
        fitWidth(tileMenu)
    }
    Component.onDestruction: {
        for (const item of madeItems) {
            item.destroy()
        }
    }
}
