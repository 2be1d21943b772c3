pragma Singleton
import QtQuick

// The sheet's colours in both appearances (the platform's label and standard
// colours) and the one spring its stage changes use.
QtObject {
    function light(palette) {
        return palette.window.hslLightness >= 0.5
    }
    function withAlpha(c, alpha) {
        return Qt.rgba(c.r, c.g, c.b, c.a * alpha)
    }
    function primary(palette) {
        return palette.windowText
    }
    function secondary(palette) {
        return withAlpha(palette.windowText, 0.55)
    }
    function blue(palette) {
        return light(palette) ? "#007AFF" : "#0A84FF"
    }
    function orange(palette) {
        return light(palette) ? "#FF9500" : "#FF9F0A"
    }
    function red(palette) {
        return light(palette) ? "#FF3B30" : "#FF453A"
    }
    function yellow(palette) {
        return light(palette) ? "#FFCC00" : "#FFD60A"
    }
    function purple(palette) {
        return light(palette) ? "#AF52DE" : "#BF5AF2"
    }
    // The heads-up material: a tinted, nearly opaque surface.
    function hud(palette) {
        return light(palette) ? Qt.rgba(0.94, 0.94, 0.95, 0.97) : Qt.rgba(0.11, 0.11, 0.12, 0.97)
    }
    function ultraThin(palette) {
        return light(palette) ? Qt.rgba(1, 1, 1, 0.55) : Qt.rgba(1, 1, 1, 0.07)
    }
    readonly property string indigo: "#5E5CE6"
    readonly property string violet: "#BF5AF2"
}
