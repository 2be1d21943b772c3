import QtQuick
import Brimlark.Views
import Brimlark.Grid

// The pane's screen while the first scan of an empty catalog runs: a pulsing
// emblem of three circles, the product's name and one line of text.
Item {
    id: root
    objectName: "loadingView"

    // Starts every animation when the emblem first shows; never goes back.
    property bool isAnimating: false
    readonly property bool lightAppearance: Style.isLight(palette)
    readonly property color blue: Style.blue(lightAppearance)
    readonly property color purple: Style.purple(lightAppearance)
    readonly property color cyan: Style.cyan(lightAppearance)
    readonly property alias outerRing: outerRing
    readonly property alias middleRing: middleRing
    readonly property alias core: core
    readonly property alias entrance: entrance
    readonly property alias productName: productName

    // The screen enters growing from 0.95 about its centre as it fades in.
    scale: 0.95
    opacity: 0
    ParallelAnimation {
        id: entrance
        running: true
        NumberAnimation { target: root; property: "opacity"; from: 0; to: 1; duration: 350; easing.type: Easing.InOutQuad }
        NumberAnimation { target: root; property: "scale"; from: 0.95; to: 1; duration: 350; easing.type: Easing.InOutQuad }
    }

    Column {
        anchors.centerIn: parent
        spacing: 24

        Item {
            id: emblem
            objectName: "loadingEmblem"
            anchors.horizontalCenter: parent.horizontalCenter
            width: 80
            height: 80

            Component.onCompleted: root.isAnimating = true

            Canvas {
                id: outerRing
                objectName: "outerRing"
                anchors.centerIn: parent
                width: 80
                height: 80
                scale: 0.75
                opacity: 0.8
                onPaint: {
                    const ctx = getContext("2d")
                    ctx.reset()
                    const gradient = ctx.createLinearGradient(0, 0, width, height)
                    gradient.addColorStop(0, Style.css(Style.withAlpha(root.blue, 0.6)))
                    gradient.addColorStop(1, Style.css(Style.withAlpha(root.purple, 0.6)))
                    ctx.strokeStyle = gradient
                    ctx.lineWidth = 4
                    ctx.beginPath()
                    ctx.arc(width / 2, height / 2, width / 2 - 2, 0, 2 * Math.PI)
                    ctx.stroke()
                }

                ParallelAnimation {
                    running: root.isAnimating
                    loops: Animation.Infinite
                    NumberAnimation {
                        target: outerRing
                        property: "scale"
                        from: 0.75
                        to: 1.25
                        duration: 1500
                        easing.type: Easing.OutQuad
                    }
                    NumberAnimation {
                        target: outerRing
                        property: "opacity"
                        from: 0.8
                        to: 0
                        duration: 1500
                        easing.type: Easing.OutQuad
                    }
                }
            }

            // The dashes are drawn once and the whole ring turns, so they stay
            // fixed to it.
            Canvas {
                id: middleRing
                objectName: "middleRing"
                anchors.centerIn: parent
                width: 60
                height: 60
                rotation: 0
                onPaint: {
                    const ctx = getContext("2d")
                    ctx.reset()
                    const gradient = ctx.createLinearGradient(0, 0, width, height)
                    gradient.addColorStop(0, Style.css(root.blue))
                    gradient.addColorStop(1, Style.css(root.purple))
                    ctx.strokeStyle = gradient
                    ctx.lineWidth = 3
                    ctx.lineCap = "round"
                    ctx.setLineDash([10 / 3, 15 / 3])
                    ctx.lineDashOffset = 0
                    ctx.beginPath()
                    ctx.arc(width / 2, height / 2, width / 2 - 1.5, 0, 2 * Math.PI)
                    ctx.stroke()
                }

                RotationAnimation on rotation {
                    running: root.isAnimating
                    loops: Animation.Infinite
                    from: 0
                    to: 360
                    duration: 3000
                    direction: RotationAnimation.Clockwise
                }
            }

            Canvas {
                id: core
                objectName: "core"
                anchors.centerIn: parent
                // Room around the 32-point circle for its glow.
                width: 56
                height: 56
                scale: 0.9
                onPaint: {
                    const ctx = getContext("2d")
                    ctx.reset()
                    const gradient = ctx.createLinearGradient(12, 12, 44, 44)
                    gradient.addColorStop(0, Style.css(root.blue))
                    gradient.addColorStop(1, Style.css(root.cyan))
                    ctx.fillStyle = gradient
                    ctx.shadowColor = Style.css(Style.withAlpha(root.blue, 0.5))
                    ctx.shadowBlur = 8
                    ctx.beginPath()
                    ctx.arc(width / 2, height / 2, 16, 0, 2 * Math.PI)
                    ctx.fill()
                }

                SequentialAnimation on scale {
                    running: root.isAnimating
                    loops: Animation.Infinite
                    NumberAnimation { from: 0.9; to: 1.1; duration: 750; easing.type: Easing.InOutQuad }
                    NumberAnimation { from: 1.1; to: 0.9; duration: 750; easing.type: Easing.InOutQuad }
                }
            }
        }

        Column {
            anchors.horizontalCenter: parent.horizontalCenter
            spacing: 6

            // The product's name in a gradient from the text colour to the
            // same at 0.8, top-leading to bottom-trailing, drawn once.
            Image {
                id: productName
                objectName: "productName"
                readonly property string text: "Brimlark"
                readonly property color ink: Style.primary(palette)
                readonly property size textSize: GridLooks.gradientTextSize(text, 22)
                anchors.horizontalCenter: parent.horizontalCenter
                width: textSize.width
                height: textSize.height
                sourceSize: textSize
                source: GridLooks.gradientTextSource(text, 22, ink, Style.withAlpha(ink, 0.8))
                smooth: true
                Accessible.role: Accessible.StaticText
                Accessible.name: text
            }
            Text {
                objectName: "loadingMessage"
                Accessible.role: Accessible.StaticText
                Accessible.name: text
                anchors.horizontalCenter: parent.horizontalCenter
                text: qsTr("Initializing app space...")
                font.pixelSize: 13
                font.weight: Font.Medium
                color: Style.secondary(palette)
            }
        }
    }
}
