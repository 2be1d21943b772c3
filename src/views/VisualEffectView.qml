import QtQuick
import Brimlark.Views

// A translucent background of a given material. This platform has no
// vibrancy behind windows, so a material is a tinted, semi-transparent
// surface over what lies below it in the window.
Rectangle {
    id: root

    // "sidebar", "headerView", "hudWindow", "popover", "menu",
    // "underWindowBackground", "contentBackground", "windowBackground"
    property string material: "sidebar"
    // "behindWindow" or "withinWindow"; both blend with what is below here.
    property string blendingMode: "behindWindow"

    readonly property bool lightAppearance: Style.isLight(palette)

    readonly property var tints: ({
        "sidebar": ["#ECECEE", 0.85, "#26262A", 0.85],
        "headerView": ["#F4F4F6", 0.80, "#2C2C30", 0.80],
        "hudWindow": ["#F0F0F2", 0.75, "#1C1C1E", 0.82],
        "popover": ["#F7F7F9", 0.92, "#2A2A2E", 0.92],
        "menu": ["#F7F7F9", 0.94, "#2A2A2E", 0.94],
        "underWindowBackground": ["#E4E4E8", 0.70, "#1E1E22", 0.70],
        "contentBackground": ["#FFFFFF", 0.90, "#1E1E1E", 0.90],
        "windowBackground": ["#ECECEC", 1.0, "#232323", 1.0]
    })

    readonly property var tint: tints[material] !== undefined ? tints[material] : tints["sidebar"]
    // The opaque colour known to lie under the whole surface (its window's
    // own), if any: the surface is then drawn opaque in the colour the blend
    // would give, which each frame draws for less than a blend.
    property color backdrop: "transparent"

    color: {
        const base = Colors.hex(lightAppearance ? tint[0] : tint[2])
        const alpha = lightAppearance ? tint[1] : tint[3]
        if (backdrop.a < 1)
            return Qt.rgba(base.r, base.g, base.b, alpha)
        // As the frame's blend gives it, in whole steps of 1/255: the
        // premultiplied top rounded, then the rest of the colour below.
        const a = Math.round(alpha * 255)
        const over = (top, below) => Math.round(Math.round(top * alpha * 255) + Math.round(below * 255) * (255 - a) / 255) / 255
        return Qt.rgba(over(base.r, backdrop.r), over(base.g, backdrop.g), over(base.b, backdrop.b), 1)
    }
}
