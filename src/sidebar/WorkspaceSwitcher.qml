import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Brimlark.Views
import Brimlark.Sidebar

// The strip at the bottom of the sidebar: the active workspace's tile and
// name, opening the menu that switches, creates, edits and deletes
// workspaces. What each entry does is the controller's.
Rectangle {
    id: switcher
    objectName: "workspaceSwitcher"

    required property SidebarController controller
    readonly property workspace workspace: controller.activeWorkspace
    // Choosing another workspace moves the tile to its colour and brings its
    // name and icon in, all in the 0.2 s ease-in-out of the switch.
    property color tint: Colors.hex(workspace.color)
    Behavior on tint { ColorAnimation { id: tintAnimation; duration: 200; easing.type: Easing.InOutQuad } }
    readonly property alias tintAnimation: tintAnimation
    readonly property string workspaceId: workspace.idText
    onWorkspaceIdChanged: switchAnimation.restart()
    NumberAnimation {
        id: switchAnimation
        objectName: "workspaceSwitchAnimation"
        target: row
        property: "opacity"
        from: 0
        to: 1
        duration: 200
        easing.type: Easing.InOutQuad
    }
    signal menuOpening()
    signal menuClosed()

    implicitHeight: divider.height + label.implicitHeight + 20
    // A thin translucent material under the strip.
    color: Style.fade(palette.window, 0.55)

    Rectangle {
        id: divider
        anchors.top: parent.top
        width: parent.width
        height: 1
        color: Style.fade(palette.text, 0.12)
    }

    Rectangle {
        id: label
        objectName: "workspaceMenuButton"
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.top: divider.bottom
        anchors.leftMargin: 12
        anchors.rightMargin: 12
        anchors.topMargin: 10
        implicitHeight: row.implicitHeight + 16
        radius: 10
        color: switcher.controller.isWorkspaceHovered ? Style.fade(palette.text, 0.06) : "transparent"
        Behavior on color { ColorAnimation { duration: 150; easing.type: Easing.OutQuad } }

        Accessible.role: Accessible.ButtonMenu
        Accessible.name: switcher.workspace.name
        Accessible.description: qsTr("Active Workspace")
        Accessible.onPressAction: switcher.openMenu()
        activeFocusOnTab: true
        Keys.onSpacePressed: switcher.openMenu()
        Keys.onReturnPressed: switcher.openMenu()
        Keys.onEnterPressed: switcher.openMenu()
        FocusRing { targetRadius: 10 }

        HoverHandler {
            onHoveredChanged: switcher.controller.isWorkspaceHovered = hovered
        }
        TapHandler {
            gesturePolicy: TapHandler.ReleaseWithinBounds
            onTapped: switcher.openMenu()
        }

        RowLayout {
            id: row
            anchors.fill: parent
            anchors.leftMargin: 10
            anchors.rightMargin: 10
            anchors.topMargin: 8
            anchors.bottomMargin: 8
            spacing: 10

            Rectangle {
                objectName: "workspaceTile"
                implicitWidth: 32
                implicitHeight: 32
                radius: 8
                color: Style.fade(switcher.tint, 0.12)
                border.color: Style.fade(switcher.tint, 0.24)
                border.width: 1
                SymbolImage {
                    anchors.centerIn: parent
                    name: switcher.workspace.icon
                    size: 14
                    color: switcher.tint
                }
            }
            ColumnLayout {
                Layout.fillWidth: true
                spacing: 2
                // Said by the button itself.
                Label {
                    Layout.fillWidth: true
                    Accessible.ignored: true
                    text: switcher.workspace.name
                    textFormat: Text.PlainText
                    elide: Text.ElideRight
                    font.pixelSize: 13
                    font.weight: Font.DemiBold
                }
                Label {
                    Accessible.ignored: true
                    text: qsTr("Active Workspace")
                    font.pixelSize: 10
                    color: palette.placeholderText
                }
            }
            SymbolImage {
                name: "chevron.up.chevron.down"
                size: 10
                color: palette.placeholderText
            }
        }
    }

    // The menu is built afresh from the controller each time it opens and
    // goes when it closes: its entries follow the list at that moment.
    property Menu menu: null

    function openMenu() {
        if (menu)
            menu.close()
        menuOpening()
        const m = menuComponent.createObject(label)
        m.addItem(headerComponent.createObject(m.contentItem))
        for (const w of controller.workspaceRows) {
            m.addItem(actionComponent.createObject(m.contentItem, {
                objectName: "workspaceRow:" + w.name, text: w.name, symbol: w.icon, check: controller.isActive(w),
                checkable: true, command: "choose", workspaceId: w.idText }))
        }
        m.addItem(separatorComponent.createObject(m.contentItem))
        m.addItem(actionComponent.createObject(m.contentItem, {
            objectName: "createWorkspaceItem", text: qsTr("Create Workspace..."), symbol: "plus", command: "create" }))
        const entries = controller.manageEntries
        if (entries.length > 0) {
            const manage = submenuComponent.createObject(m, { objectName: "manageMenu", title: qsTr("Manage") })
            for (const e of entries) {
                const sub = submenuComponent.createObject(manage, { objectName: "manage:" + e.name, title: e.name })
                sub.addItem(actionComponent.createObject(sub.contentItem, {
                    objectName: "editWorkspaceItem", text: qsTr("Edit..."), command: "edit", workspaceId: e.idText }))
                if (!controller.isActive(e)) {
                    sub.addItem(actionComponent.createObject(sub.contentItem, {
                        objectName: "deleteWorkspaceItem", text: qsTr("Delete"), destructive: true,
                        command: "delete", workspaceId: e.idText }))
                }
                manage.addMenu(sub)
            }
            m.addMenu(manage)
        }
        menu = m
        m.open()
        // Rows added while the menu was closed are laid out only on request.
        m.contentItem.forceLayout()
    }

    // Workspace names are the user's: every row and submenu title of this
    // menu shows them as written.
    Component {
        id: menuComponent
        PlainMenu {
            id: built
            objectName: "workspaceMenu"
            // Pulls up from the label.
            y: -height - 4
            onClosed: {
                if (switcher.menu === built)
                    switcher.menu = null
                built.destroy()
                switcher.menuClosed()
            }
        }
    }
    Component {
        id: submenuComponent
        PlainMenu {}
    }
    Component {
        id: headerComponent
        PlainMenuItem {
            text: qsTr("Workspaces")
            enabled: false
            font.pixelSize: 11
            font.bold: true
            Accessible.role: Accessible.StaticText
            Accessible.name: text
        }
    }
    Component {
        id: separatorComponent
        MenuSeparator {}
    }
    Component {
        id: actionComponent
        PlainMenuItem {
            property string command
            property string workspaceId
            onTriggered: {
                if (command === "choose")
                    switcher.controller.chooseWorkspace(workspaceId)
                else if (command === "create")
                    switcher.controller.beginCreateWorkspace()
                else if (command === "edit")
                    switcher.controller.beginEditWorkspace(workspaceId)
                else if (command === "delete")
                    switcher.controller.deleteWorkspace(workspaceId)
            }
        }
    }
}
