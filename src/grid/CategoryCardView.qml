import QtQuick
import QtQuick.Controls
import Brimlark.Views
import Brimlark.Grid

// The large card of a folder or a category: its name over a small grid of
// its applications' icons. A click opens its panel, a double click on a
// folder's name renames the folder in place, an application dropped on a
// folder card joins the folder, and a right click opens the card's menu.
Item {
    id: card
    objectName: "categoryCard"

    property string categoryName
    property list<appItem> apps
    // The card's folder; none (folder.isNull) for a category card.
    property appFolder folder
    required property BrimlarkViewModel viewModel
    // The text a drag of the card carries; no drag without it.
    property string dragText: ""
    property real cardWidth: 260
    property real cardHeight: 190
    property real gridSpacing: 12
    property real iconSize: 48
    // The card's panel is to open.
    signal expand()

    readonly property alias controller: controller
    readonly property bool isHovering: hover.hovered
    readonly property bool lightAppearance: Style.isLight(palette)
    readonly property color primary: Style.primary(palette)

    width: cardWidth
    height: cardHeight

    Accessible.role: Accessible.Button
    Accessible.name: controller.title
    Accessible.description: controller.helpText
    Accessible.onPressAction: controller.cardClicked()
    // Off screen, the card and what it holds leave the tree.
    Accessible.ignored: !visible

    // Return or Space opens the card, the Menu key or Shift+F10 its menu;
    // only when the card itself has the keyboard: the name field lets its
    // Return go on after the rename it ends.
    Keys.onPressed: (event) => {
        if (!card.activeFocus) {
            event.accepted = false
            return
        }
        switch (KeyCommands.command(event.key, event.modifiers)) {
        case KeyCommands.Activate:
            controller.cardClicked()
            break
        case KeyCommands.ContextMenu:
            openMenuByKeyboard()
            break
        default:
            event.accepted = false
            return
        }
        event.accepted = true
    }
    GridFocusRing {
        cornerRadius: 32
        visible: card.activeFocus
    }

    CategoryCardController {
        id: controller
        viewModel: card.viewModel
        catalog: card.viewModel.catalog
        categoryName: card.categoryName
        folder: card.folder
        apps: card.apps
        onExpandRequested: card.expand()
    }

    // Everything but the hover scale lives here, so the card grows as one.
    Item {
        id: body
        anchors.fill: parent
        scale: card.isHovering ? 1.02 : 1

        Behavior on scale { Spring { response: 0.3; dampingFraction: 0.7 } }

        GridShadow {
            objectName: "cardShadow"
            cornerRadius: 32
            blur: card.lightAppearance ? 12 : 20
            offsetY: card.lightAppearance ? 6 : 10
            shadowColor: Qt.rgba(0, 0, 0, card.lightAppearance ? 0.1 : 0.4)
        }
        Rectangle {
            anchors.fill: parent
            radius: 32
            color: card.lightAppearance ? Style.withAlpha(palette.window, 0.6) : Qt.rgba(0, 0, 0, 0.45)
        }
        VisualEffectView {
            anchors.fill: parent
            visible: card.lightAppearance
            radius: 32
            material: "hudWindow"
            opacity: 0.5
        }
        // The sheen from the top-leading corner to the bottom-trailing one,
        // with its outline; one picture shared by every card.
        Image {
            objectName: "cardSheen"
            anchors.fill: parent
            source: GridLooks.fillSource(card.cardWidth, card.cardHeight, 32,
                Qt.rgba(1, 1, 1, card.lightAppearance ? 0.35 : 0.08),
                Qt.rgba(1, 1, 1, card.lightAppearance ? 0.1 : 0.02), 1,
                card.lightAppearance ? [Qt.rgba(1, 1, 1, 0.6), Qt.rgba(1, 1, 1, 0), Qt.rgba(0, 0, 0, 0.08)]
                                     : [Qt.rgba(1, 1, 1, 0.15), Qt.rgba(1, 1, 1, 0), Qt.rgba(1, 1, 1, 0.1)])
            smooth: true
            cache: true
        }

        // A click anywhere on the card (outside its title) opens it; a right
        // click opens its menu; pressing and moving drags the card.
        MouseArea {
            id: cardMouse
            anchors.fill: parent
            acceptedButtons: Qt.LeftButton | Qt.RightButton
            drag.target: card.dragText !== "" ? dragProxy : null
            drag.threshold: 6
            onClicked: (mouse) => {
                if (mouse.button === Qt.RightButton)
                    card.openMenu()
                else
                    controller.cardClicked()
            }
            drag.onActiveChanged: {
                if (drag.active) {
                    dragProxy.Drag.mimeData = { "text/plain": card.dragText }
                    dragProxy.Drag.active = true
                } else {
                    dragProxy.Drag.active = false
                    dragProxy.x = 0
                    dragProxy.y = 0
                }
            }
        }

        Item {
            id: dragProxy
            width: card.width
            height: card.height
            Drag.dragType: Drag.Automatic
            Drag.supportedActions: Qt.MoveAction | Qt.CopyAction
            Drag.hotSpot: Qt.point(width / 2, height / 2)
        }

        Column {
            anchors.fill: parent
            spacing: 12

            Item {
                id: titleBlock
                width: parent.width
                height: 24 + titleArea.height + 8

                Item {
                    id: titleArea
                    x: 20
                    y: 24
                    width: parent.width - 40
                    height: controller.isEditingName ? nameField.implicitHeight : title.height

                    Text {
                        id: title
                        objectName: "cardTitle"
                        visible: !controller.isEditingName
                        width: parent.width
                        text: controller.title
                        textFormat: Text.PlainText
                        font.pixelSize: 16
                        font.bold: true
                        color: card.lightAppearance ? Style.withAlpha(card.primary, 0.85) : Qt.rgba(1, 1, 1, 0.9)
                        wrapMode: Text.Wrap
                        maximumLineCount: 2
                        elide: Text.ElideRight
                        fontSizeMode: Text.HorizontalFit
                        minimumPixelSize: 11
                        horizontalAlignment: Text.AlignHCenter

                        // A single click waits for a possible second one on a
                        // folder's name: that one renames instead.
                        MouseArea {
                            anchors.fill: parent
                            acceptedButtons: Qt.LeftButton | Qt.RightButton
                            drag.target: cardMouse.drag.target
                            onClicked: (mouse) => {
                                if (mouse.button === Qt.RightButton)
                                    card.openMenu()
                                else
                                    controller.titleClicked(1)
                            }
                            onDoubleClicked: (mouse) => {
                                if (mouse.button === Qt.LeftButton)
                                    controller.titleClicked(2)
                            }
                        }
                    }

                    TextField {
                        id: nameField
                        objectName: "folderNameField"
                        visible: controller.isEditingName
                        width: parent.width
                        placeholderText: qsTr("Folder Name")
                        text: controller.editedName
                        onTextEdited: controller.editedName = text
                        onAccepted: controller.renameCommit()
                        horizontalAlignment: TextInput.AlignHCenter
                        font.pixelSize: 16
                        font.bold: true
                        color: card.lightAppearance ? card.primary : "white"
                        background: Rectangle {
                            radius: 4
                            color: card.lightAppearance ? Style.withAlpha(card.primary, 0.06) : Qt.rgba(1, 1, 1, 0.1)
                        }
                        Accessible.role: Accessible.EditableText
                        Accessible.name: qsTr("Folder Name")
                        Accessible.ignored: !visible
                        // Typing goes to the name as soon as editing starts.
                        onVisibleChanged: {
                            if (visible) {
                                text = controller.editedName
                                forceActiveFocus()
                                selectAll()
                            } else {
                                // Hidden, it must not keep the keyboard, nor get
                                // it back when a popup closes.
                                focus = false
                            }
                        }
                    }
                }
            }

            // An empty card offers to fill its folder.
            Item {
                visible: card.apps.length === 0
                width: parent.width
                height: card.height - titleBlock.height - 12

                Column {
                    anchors.centerIn: parent
                    anchors.verticalCenterOffset: -10
                    spacing: 8

                    SymbolImage {
                        anchors.horizontalCenter: parent.horizontalCenter
                        name: "plus.circle.fill"
                        size: 32
                        color: card.lightAppearance ? Style.withAlpha(card.primary, 0.3) : Qt.rgba(1, 1, 1, 0.3)
                    }
                    Text {
                        anchors.horizontalCenter: parent.horizontalCenter
                        text: qsTr("Add Apps")
                        font.pixelSize: 14
                        font.weight: Font.Medium
                        color: card.lightAppearance ? Style.withAlpha(card.primary, 0.5) : Qt.rgba(1, 1, 1, 0.5)
                    }
                }
                MouseArea {
                    anchors.fill: parent
                    onClicked: controller.addApps()
                }
                Accessible.role: Accessible.Button
                Accessible.name: qsTr("Add Apps")
                Accessible.ignored: !visible
                Accessible.onPressAction: controller.addApps()
            }

            // Three columns of icons; more rows than fit scroll by the wheel.
            GridView {
                id: icons
                objectName: "cardIcons"
                visible: card.apps.length > 0
                anchors.horizontalCenter: parent.horizontalCenter
                width: 3 * cellWidth
                height: card.height - titleBlock.height - 12 - 12
                cellWidth: card.iconSize + card.gridSpacing
                cellHeight: card.iconSize + card.gridSpacing
                clip: true
                interactive: false
                model: card.apps
                // Each icon centred in its cell: `gridSpacing` between columns.
                delegate: Item {
                    required property appItem modelData
                    width: icons.cellWidth
                    height: icons.cellHeight

                    Image {
                        anchors.horizontalCenter: parent.horizontalCenter
                        width: card.iconSize
                        height: card.iconSize
                        source: controller.iconSource(parent.modelData)
                        sourceSize.width: 96
                        sourceSize.height: 96
                        fillMode: Image.PreserveAspectFit
                        smooth: true
                        mipmap: true
                        asynchronous: true
                    }
                }

                WheelHandler {
                    target: null
                    onWheel: (event) => {
                        const max = Math.max(0, icons.contentHeight - icons.height)
                        icons.contentY = Math.max(0, Math.min(max, icons.contentY - event.angleDelta.y / 120 * 40))
                    }
                }
            }
        }

        // A dropped application joins a folder; a category card takes none.
        DropArea {
            anchors.fill: parent
            keys: ["text/uri-list"]
            onEntered: (drag) => { drag.accepted = controller.isFolder }
            onDropped: (drop) => {
                if (controller.dropUrls(drop.urls, drop.hasText ? drop.text : ""))
                    drop.accept(Qt.CopyAction)
                else
                    drop.accepted = false
            }
        }
    }

    HoverHandler {
        id: hover
    }

    Loader {
        anchors.fill: parent
        active: hover.hovered && !cardMouse.drag.active && !controller.isEditingName
        sourceComponent: ToolTip {
            id: toolTip
            visible: true
            delay: 800
            text: controller.helpText
            // Folder and category names are shown as written, never as markup.
            contentItem: Text {
                text: toolTip.text
                textFormat: Text.PlainText
                font: toolTip.font
                color: toolTip.palette.toolTipText
                wrapMode: Text.Wrap
            }
        }
    }

    Component {
        id: menuComponent
        AppTileMenuView {}
    }

    // The open context menu, if any.
    property AppTileMenuView openedMenu: null

    // The context menu, built from the entries of this moment; opened by
    // the keyboard, it stands on the card and the keyboard comes back to
    // the card unless the entry chosen took it on.
    function openMenu() {
        return showMenu(false)
    }
    function openMenuByKeyboard() {
        return showMenu(true)
    }
    function showMenu(byKeyboard) {
        const menu = menuComponent.createObject(card, { "entries": controller.menu() })
        menu.entryChosen.connect((action, folderID) => controller.perform(action, folderID))
        menu.closed.connect(menu.destroy)
        openedMenu = menu
        if (byKeyboard) {
            menu.closed.connect(() => {
                const window = card.Window.window
                const now = window ? window.activeFocusItem : null
                if (card.visible && (!now || now === window.contentItem))
                    card.forceActiveFocus(Qt.TabFocusReason)
            })
            menu.popup(card.width / 2, card.height / 2)
        } else {
            menu.popup()
        }
        return menu
    }
}
