import QtQuick
import QtQuick.Controls
import Brimlark.Grid

// An application tile's context menu, made from the tile's menu entries.
Menu {
    id: tileMenu
    objectName: "appTileMenu"

    property var entries: []
    property QtObject controller
    readonly property color destructiveColor: GridStyle.red(palette.window.hslLightness >= 0.5)

    Component {
        id: itemComponent
        MenuItem {
            property string actionName
            property string folderID
            property bool destructive
            palette.text: destructive ? tileMenu.destructiveColor : tileMenu.palette.text
            onTriggered: tileMenu.controller.perform(actionName, folderID)
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
    // the scene until the menu takes them).
    function build(target, list) {
        for (const entry of list) {
            if (entry.kind === "divider") {
                target.addItem(separatorComponent.createObject(tileMenu.parent))
            } else if (entry.kind === "submenu") {
                const sub = submenuComponent.createObject(target, { "title": qsTr(entry.title) })
                build(sub, entry.children)
                target.addMenu(sub)
            } else {
                target.addItem(itemComponent.createObject(tileMenu.parent, {
                    "text": entry.localized ? qsTr(entry.title) : entry.title,
                    "actionName": entry.action,
                    "folderID": entry.folderID,
                    "destructive": entry.destructive
                }))
            }
        }
    }

    Component.onCompleted: build(tileMenu, entries)
}
