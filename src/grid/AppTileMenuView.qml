import QtQuick
import QtQuick.Controls
import Brimlark.Grid

// An application tile's context menu, made from the tile's menu entries.
Menu {
    id: menu
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
            palette.text: destructive ? menu.destructiveColor : menu.palette.text
            onTriggered: menu.controller.perform(actionName, folderID)
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

    function build(target, list) {
        for (const entry of list) {
            if (entry.kind === "divider") {
                target.addItem(separatorComponent.createObject(target))
            } else if (entry.kind === "submenu") {
                const sub = submenuComponent.createObject(target, { "title": qsTr(entry.title) })
                build(sub, entry.children)
                target.addMenu(sub)
            } else {
                target.addItem(itemComponent.createObject(target, {
                    "text": entry.localized ? qsTr(entry.title) : entry.title,
                    "actionName": entry.action,
                    "folderID": entry.folderID,
                    "destructive": entry.destructive
                }))
            }
        }
    }

    Component.onCompleted: build(menu, entries)
}
