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
    required property var app
    required property QtObject viewModel
    // The application's name; a grid hands in its model's name role, so a
    // reused tile reads no value from the AppItem in JavaScript.
    property string name: tile.app ? tile.app.name : ""
    // The icon's image URL; the application's own unless given.
    property url iconSource: controller.iconSource

    readonly property bool isHovering: hover.hovered
    // The hover background is still (partly) visible.
    property bool hoverLookShown: false
    readonly property bool isLaunching: controller.isLaunching
    readonly property alias controller: controller
    readonly property alias iconItem: icon
    readonly property alias nameItem: nameLabel
    // The text colour; a grid hands in its own, so its tiles make no palette
    // object each.
    property color primary: Style.primary(palette)

    implicitWidth: 110 + 16
    implicitHeight: 8 + 90 + 8 + Style.nameLineSpacing * 2 + 8

    // A button named after its application, as assistive technology sees it.
    Accessible.role: Accessible.Button
    Accessible.name: tile.name
    Accessible.description: qsTr("Application")
    Accessible.onPressAction: controller.click()

    // A click launched the application.
    signal launched()

    AppTileController {
        id: controller
        viewModel: tile.viewModel
        app: tile.app
        onLaunched: tile.launched()
    }

    Column {
        x: 8
        y: 8
        width: 110
        spacing: 8

        Item {
            id: iconBox
            objectName: "iconBox"
            anchors.horizontalCenter: parent.horizontalCenter
            width: 90
            height: 90
            scale: tile.isHovering ? 1.08 : 1

            Behavior on scale { SpringCurve { response: 0.4; dampingFraction: 0.8 } }

            // Made only while the pointer is over the tile (or the look fades
            // out), so a grid of many tiles carries none of it.
            Loader {
                id: hoverBackground
                anchors.fill: parent
                active: tile.isHovering || tile.hoverLookShown
                sourceComponent: Rectangle {
                    radius: 20
                    opacity: 0
                    border.width: 1
                    border.color: Style.withAlpha(tile.primary, 0.1)
                    gradient: Gradient {
                        GradientStop { position: 0; color: Style.withAlpha(tile.primary, 0.08) }
                        GradientStop { position: 1; color: Style.withAlpha(tile.primary, 0.04) }
                    }
                    Component.onCompleted: opacity = Qt.binding(() => tile.isHovering ? 1 : 0)
                    onOpacityChanged: tile.hoverLookShown = opacity > 0

                    Behavior on opacity { SpringCurve { response: 0.4; dampingFraction: 0.8 } }
                }
            }

            // The generic icon stands in until the application's own has loaded.
            Image {
                anchors.fill: icon
                visible: icon.status !== Image.Ready
                source: "qrc:/brimlark/platform/generic-app.svg"
                sourceSize.width: 128
                sourceSize.height: 128
                fillMode: Image.PreserveAspectFit
                opacity: icon.opacity
                scale: icon.scale
            }

            Image {
                id: icon
                objectName: "appIcon"
                anchors.centerIn: parent
                width: 80
                height: 80
                source: tile.iconSource
                sourceSize.width: 128
                sourceSize.height: 128
                fillMode: Image.PreserveAspectFit
                smooth: true
                mipmap: true
                opacity: tile.isLaunching ? 0.6 : tile.isHovering ? 0.9 : 1
                scale: tile.isHovering ? 1.05 : 1
                transform: Rotation {
                    origin.x: 40
                    origin.y: 40
                    axis { x: 1; y: 0; z: 0 }
                    angle: tile.isHovering ? 5 : 0

                    Behavior on angle { SpringCurve { response: 0.4; dampingFraction: 0.8 } }
                }

                Behavior on scale { SpringCurve { response: 0.4; dampingFraction: 0.8 } }
                Behavior on opacity { NumberAnimation { duration: 300; easing.type: Easing.OutQuad } }
            }
        }

        // Two lines' room always, so every tile of a row has one height.
        Item {
            width: 110
            height: Style.nameLineSpacing * 2

            Text {
                id: nameLabel
                objectName: "appName"
                width: 110
                // Limited by lines, not by height: a height that is a hair
                // short of two of the layout's lines would elide to one.
                text: tile.name
                textFormat: Text.PlainText
                font: Style.nameFont
                color: tile.primary
                wrapMode: Text.Wrap
                maximumLineCount: 2
                elide: Text.ElideRight
                horizontalAlignment: Text.AlignHCenter
                verticalAlignment: Text.AlignTop
                opacity: tile.isLaunching ? 0.5 : 1

                Behavior on opacity { NumberAnimation { duration: 200; easing.type: Easing.OutQuad } }
            }
        }
    }

    HoverHandler {
        id: hover
    }

    TapHandler {
        acceptedButtons: Qt.LeftButton
        onTapped: controller.click()
    }

    TapHandler {
        acceptedButtons: Qt.RightButton
        onTapped: tile.openMenu()
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
                tile.Drag.active = true
            } else if (tile.Drag.active) {
                tile.Drag.active = false
            }
        }
    }

    Drag.onDragFinished: controller.endDrag()

    Loader {
        id: toolTipLoader
        objectName: "toolTipLoader"
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

    Component {
        id: menuComponent
        AppTileMenuView {}
    }

    // The context menu, built from the entries of this moment.
    function openMenu() {
        const menu = menuComponent.createObject(tile, { "entries": controller.menu(), "controller": controller })
        menu.closed.connect(menu.destroy)
        menu.popup()
        return menu
    }
}
