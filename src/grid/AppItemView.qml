import QtQuick
import QtQuick.Controls
import Brimlark.Views
import Brimlark.Grid

// The tile of one application: its icon above its name. A click launches
// it, a drag carries its file URL out, and a right click opens its menu.
Item {
    id: tile
    objectName: "appTile"

    // The AppItem shown and the central view model.
    required property appItem app
    required property BrimlarkViewModel viewModel
    // The application's name; a grid hands in its model's name role, so a
    // reused tile reads no value from the AppItem in JavaScript.
    property string name: tile.app.name
    // The icon's image URL; the application's own unless given.
    property url iconSource: controller.iconSource

    readonly property bool isHovering: hover.hovered
    // The hover look (or the launching fade) is still (partly) visible.
    property bool hoverLookShown: false
    // The drag's end is reported to the controller from the first drag on.
    property bool dragWatched: false
    readonly property bool isLaunching: controller.isLaunching
    readonly property alias controller: controller
    readonly property alias iconItem: icon
    readonly property alias nameItem: nameLabel
    // The text colour; a grid hands in its own, so its tiles make no palette
    // object each.
    property color primary: Style.primary(palette)

    // An application icon's body sits inside its square with a margin and
    // rounded corners: its shadow follows that shape.
    readonly property real iconInset: 6
    readonly property real iconCornerRadius: 16

    implicitWidth: GridLooks.tileWidth + 2 * GridLooks.tileGap
    implicitHeight: GridLooks.tileHeight(Style.nameLineSpacing)

    // A button named after its application, as assistive technology sees it.
    Accessible.role: Accessible.Button
    Accessible.name: tile.name
    Accessible.description: qsTr("Application")
    Accessible.onPressAction: controller.click()
    // A tile put aside for reuse, or off screen, leaves the tree.
    Accessible.ignored: !visible

    // Where a view lets the keyboard onto the tile: Return or Space does
    // what a click does, the Menu key or Shift+F10 opens the menu.
    Keys.onPressed: (event) => {
        switch (KeyCommands.command(event.key, event.modifiers)) {
        case KeyCommands.Activate:
            controller.click()
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
    // Made only while the tile has the keyboard: a screen of tiles carries
    // one ring at most.
    Loader {
        anchors.fill: parent
        z: 100
        active: tile.activeFocus
        sourceComponent: GridFocusRing {
            objectName: "tileFocusRing"
            anchors.margins: 2
            cornerRadius: 14
            visible: true
        }
    }

    // A click launched the application.
    signal launched()

    AppTileController {
        id: controller
        viewModel: tile.viewModel
        catalog: tile.viewModel.catalog
        app: tile.app
        onLaunched: tile.launched()
    }

    // Placed by hand rather than by a column: a tile's layout never changes.
    Item {
        x: 8
        y: 8
        width: GridLooks.tileWidth
        height: GridLooks.tileIconFrame + GridLooks.tileGap + Style.nameLineSpacing * 2

        // Its pieces are placed by hand as well: an anchor costs every tile.
        Item {
            id: iconBox
            objectName: "iconBox"
            x: 10
            width: GridLooks.tileIconFrame
            height: GridLooks.tileIconFrame
            // The hover lift, the tinted background, the tilt and the fades
            // are made only while the pointer is over the tile, it launches
            // or they settle back, so a grid of many tiles carries none of
            // them; at rest every value below is its idle one.
            Loader {
                id: motion
                width: 90
                height: 90
                active: tile.isHovering || tile.isLaunching || tile.hoverLookShown
                sourceComponent: motionComponent
            }

            // The icon's shadow at rest; the hover look brings a deeper one
            // and this one gives way to it.
            Item {
                id: iconShadow
                x: 11
                y: 11
                // The icon less the inset on each side, written out: a size
                // known before the shadow's bindings run makes its picture once.
                width: 68
                height: 68
                scale: icon.scale
                opacity: motion.item ? 1 - motion.item.hoverShadowOpacity : 1
                GridFixedShadow {
                    objectName: "tileShadow"
                    cornerRadius: tile.iconCornerRadius
                    blur: 4
                    offsetY: 2
                    shadowColor: Qt.rgba(0, 0, 0, 0.1)
                }
            }

            // The generic icon stands in until the application's own has loaded.
            Image {
                x: 5
                y: 5
                width: 80
                height: 80
                visible: icon.status !== Image.Ready
                source: "image://appplaceholder/app"
                sourceSize.width: GridLooks.tileIconSize
                sourceSize.height: GridLooks.tileIconSize
                fillMode: Image.PreserveAspectFit
                opacity: icon.opacity
                scale: icon.scale
            }

            Image {
                id: icon
                objectName: "appIcon"
                x: 5
                y: 5
                width: GridLooks.tileIconSize
                height: GridLooks.tileIconSize
                source: tile.iconSource
                // The size it is drawn at (the engine asks for device
                // pixels): an icon scaled on every frame costs each scroll.
                sourceSize.width: GridLooks.tileIconSize
                sourceSize.height: GridLooks.tileIconSize
                fillMode: Image.PreserveAspectFit
                // Drawn at the size it was decoded at, so a mipmap adds
                // nothing one can see; without it the icon shares the
                // scene's texture atlas and every tile on screen is drawn
                // in one batch, where a texture each cost every frame.
                smooth: true
                transform: Rotation {
                    id: tilt
                    origin.x: 40
                    origin.y: 40
                    axis.x: 1
                    axis.y: 0
                    axis.z: 0
                }
            }
        }

        // Two lines' room always, so every tile of a row has one height.
        Text {
            id: nameLabel
            objectName: "appName"
            y: GridLooks.tileIconFrame + GridLooks.tileGap
            width: GridLooks.tileWidth
            // Limited by lines, not by height: a height that is a hair
            // short of two of the layout's lines would elide to one. The
            // height is set all the same, with room to spare, so the text
            // never lays itself out a second time for its implicit size.
            height: Style.nameLineSpacing * 3
            text: tile.name
            textFormat: Text.PlainText
            font: Style.nameFont
            color: tile.primary
            wrapMode: Text.Wrap
            maximumLineCount: 2
            elide: Text.ElideRight
            horizontalAlignment: Text.AlignHCenter
            verticalAlignment: Text.AlignTop
        }
    }

    HoverHandler {
        id: hover
    }

    TapHandler {
        acceptedButtons: Qt.LeftButton | Qt.RightButton
        onTapped: (eventPoint, button) => {
            if (button === Qt.RightButton)
                tile.openMenu()
            else
                controller.click()
        }
    }

    // The drag is set up when it starts, so idle tiles hold no drag data.
    DragHandler {
        id: dragHandler
        target: null
        onActiveChanged: {
            if (active) {
                controller.beginDrag()
                tile.Drag.dragType = Drag.Automatic
                tile.Drag.supportedActions = Qt.CopyAction | Qt.MoveAction | Qt.LinkAction
                tile.Drag.mimeData = { "text/uri-list": tile.app.urlText }
                tile.Drag.imageSource = tile.iconSource
                tile.Drag.hotSpot = Qt.point(40, 40)
                if (!tile.dragWatched) {
                    tile.dragWatched = true
                    // The drop action it reports is not the controller's affair.
                    tile.Drag.dragFinished.connect(() => controller.endDrag())
                }
                tile.Drag.active = true
            } else if (tile.Drag.active) {
                tile.Drag.active = false
            }
        }
    }

    // The open context menu and the application it was opened for: a tile
    // given another application (a search rewrote its row) closes it, as its
    // entries would act on the new one.
    property AppTileMenuView openedMenu: null
    property string openedMenuPath
    onAppChanged: {
        if (openedMenu && app.id !== openedMenuPath)
            openedMenu.close()
    }

    // The context menu, built from the entries of this moment; opened by
    // the keyboard, it stands on the tile, not at the pointer, and the
    // keyboard comes back to the tile unless the entry chosen took it on.
    function openMenu() {
        return showMenu(false)
    }
    function openMenuByKeyboard() {
        return showMenu(true)
    }
    function showMenu(byKeyboard) {
        const menu = tile.menuComponent().createObject(tile, { "entries": controller.menu() })
        menu.entryChosen.connect((action, folderID) => controller.perform(action, folderID))
        menu.closed.connect(menu.destroy)
        if (byKeyboard) {
            menu.closed.connect(() => {
                const window = tile.Window.window
                const now = window ? window.activeFocusItem : null
                if (tile.visible && (!now || now === window.contentItem))
                    tile.forceActiveFocus(Qt.TabFocusReason)
            })
        }
        openedMenu = menu
        openedMenuPath = app.id
        if (byKeyboard)
            menu.popup(tile.width / 2, tile.height / 2)
        else
            menu.popup()
        return menu
    }

    // The menu's and the motion's components, shared by every tile rather
    // than one made per tile.
    function menuComponent() {
        return Qt.createComponent("AppTileMenuView.qml")
    }

    Component {
        id: motionComponent

        Item {
            id: look

            readonly property bool hovering: tile.isHovering
            readonly property real iconOpacity: tile.isLaunching ? 0.6 : tile.isHovering ? 0.9 : 1
            readonly property real nameOpacity: tile.isLaunching ? 0.5 : 1
            readonly property bool running: boxSpring.running || iconSpring.running || tiltSpring.running
                                             || backgroundSpring.running || iconFade.running || nameFade.running

            // How far the hover look has come in, 0 at rest and 1 under the pointer.
            readonly property real hoverShadowOpacity: background.opacity

            // The name in full after a moment under the pointer; made with
            // the hover look rather than kept by every tile.
            Loader {
                id: toolTipLoader
                objectName: "toolTipLoader"
                // On the tile, as the pointer is.
                parent: tile
                anchors.fill: parent
                active: hover.hovered && !dragHandler.active
                sourceComponent: ToolTip {
                    id: toolTip
                    visible: true
                    delay: 800
                    text: tile.name
                    // Names come from files and bundles: never read as markup.
                    contentItem: Text {
                        text: toolTip.text
                        textFormat: Text.PlainText
                        font: toolTip.font
                        color: toolTip.palette.toolTipText
                        wrapMode: Text.Wrap
                    }
                }
            }

            // The deeper shadow under the pointer, behind the icon.
            Item {
                anchors.centerIn: parent
                width: GridLooks.tileIconSize - 2 * tile.iconInset
                height: GridLooks.tileIconSize - 2 * tile.iconInset
                scale: icon.scale
                opacity: background.opacity
                z: 1
                GridShadow {
                    objectName: "tileHoverShadow"
                    cornerRadius: tile.iconCornerRadius
                    blur: 12
                    offsetY: 6
                    shadowColor: Qt.rgba(0, 0, 0, 0.2)
                }
            }

            // The tint runs from the top-leading corner to the bottom-trailing one.
            Image {
                id: background
                objectName: "tileHoverBackground"
                anchors.fill: parent
                opacity: 0
                source: GridLooks.fillSource(GridLooks.tileIconFrame, GridLooks.tileIconFrame, 20, Style.withAlpha(tile.primary, 0.08),
                                             Style.withAlpha(tile.primary, 0.04), 1, [Style.withAlpha(tile.primary, 0.1)])
                smooth: true
            }

            Spring { id: boxSpring; target: iconBox; property: "scale"; response: 0.4; dampingFraction: 0.8 }
            Spring { id: iconSpring; target: icon; property: "scale"; response: 0.4; dampingFraction: 0.8 }
            Spring { id: tiltSpring; target: tilt; property: "angle"; response: 0.4; dampingFraction: 0.8 }
            Spring {
                id: backgroundSpring
                target: background
                property: "opacity"
                response: 0.4
                dampingFraction: 0.8
            }
            NumberAnimation { id: iconFade; target: icon; property: "opacity"; duration: 300; easing.type: Easing.OutQuad }
            NumberAnimation { id: nameFade; target: nameLabel; property: "opacity"; duration: 200; easing.type: Easing.OutQuad }

            // Each value glides from where it stands to where it belongs now.
            function glide(animation, from, to) {
                animation.to = to
                if (from !== to)
                    animation.restart()
                else
                    animation.stop()
            }
            function follow() {
                glide(boxSpring, iconBox.scale, hovering ? 1.08 : 1)
                glide(iconSpring, icon.scale, hovering ? 1.05 : 1)
                glide(tiltSpring, tilt.angle, hovering ? 5 : 0)
                glide(backgroundSpring, background.opacity, hovering ? 1 : 0)
            }
            // Dropped once everything is back at rest.
            function settle() {
                if (!running && !tile.isHovering && !tile.isLaunching)
                    tile.hoverLookShown = false
            }

            onHoveringChanged: {
                follow()
                settle()
            }
            onIconOpacityChanged: {
                glide(iconFade, icon.opacity, iconOpacity)
                settle()
            }
            onNameOpacityChanged: {
                glide(nameFade, nameLabel.opacity, nameOpacity)
                settle()
            }
            onRunningChanged: settle()
            Component.onCompleted: {
                tile.hoverLookShown = true
                follow()
                glide(iconFade, icon.opacity, iconOpacity)
                glide(nameFade, nameLabel.opacity, nameOpacity)
                settle()
            }
        }
    }

    // Back at rest at once, as a tile put aside for reuse must be.
    function rest() {
        iconBox.scale = 1
        icon.scale = 1
        icon.opacity = 1
        tilt.angle = 0
        nameLabel.opacity = 1
        hoverLookShown = false
    }
}
