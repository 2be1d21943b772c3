pragma Singleton
import QtQuick
import Brimlark.Views

// The views' shared looks: the metrics, the system colours in both
// appearances and the springs the views animate with.
QtObject {
    // The tile's name: its font and the height of one of its lines.
    readonly property font nameFont: Qt.font({ "pixelSize": 12, "weight": Font.Medium })
    readonly property real nameLineSpacing: nameMetrics.lineSpacing
    readonly property FontMetrics nameMetrics: FontMetrics {
        font: nameFont
    }

    // Whether the palette is the light appearance's.
    function isLight(palette) {
        return palette.window.hslLightness >= 0.5
    }
    // The colour with its opacity scaled by alpha.
    function withAlpha(c, alpha) {
        return Qt.rgba(c.r, c.g, c.b, c.a * alpha)
    }
    // The colour at exactly the given opacity.
    function fade(c, alpha) {
        return Qt.rgba(c.r, c.g, c.b, alpha)
    }
    function blue(light) {
        return Colors.hex(light ? "#007AFF" : "#0A84FF")
    }
    function purple(light) {
        return Colors.hex(light ? "#AF52DE" : "#BF5AF2")
    }
    function red(light) {
        return Colors.hex(light ? "#FF3B30" : "#FF453A")
    }
    function green(light) {
        return Colors.hex(light ? "#34C759" : "#30D158")
    }
    function cyan(light) {
        return Colors.hex(light ? "#32ADE6" : "#64D2FF")
    }
    function orange(light) {
        return Colors.hex(light ? "#FF9500" : "#FF9F0A")
    }
    function yellow(light) {
        return Colors.hex(light ? "#FFCC00" : "#FFD60A")
    }
    readonly property color indigo: "#5E5CE6"
    readonly property color violet: "#BF5AF2"
    // The heads-up material: a tinted, nearly opaque surface.
    function hud(light) {
        return light ? Qt.rgba(0.94, 0.94, 0.95, 0.97) : Qt.rgba(0.11, 0.11, 0.12, 0.97)
    }
    function ultraThin(light) {
        return light ? Qt.rgba(1, 1, 1, 0.55) : Qt.rgba(1, 1, 1, 0.07)
    }
    function primary(palette) {
        return palette.windowText
    }
    function secondary(palette) {
        return withAlpha(palette.windowText, 0.55)
    }
    // A CSS colour text for the 2D canvas.
    function css(c) {
        return "rgba(" + Math.round(c.r * 255) + "," + Math.round(c.g * 255) + "," + Math.round(c.b * 255) + ","
                + c.a + ")"
    }

    // A spring given by response (seconds) and damping fraction, as a curve:
    // it settles in about one and a half responses and overshoots as much as
    // the damping lets it.
    function springDuration(response) {
        return Math.round(response * 1500)
    }
    function springOvershoot(dampingFraction) {
        if (dampingFraction >= 1)
            return 0
        const peak = Math.exp(-dampingFraction * Math.PI / Math.sqrt(1 - dampingFraction * dampingFraction))
        // Easing.OutBack overshoots by about a tenth at its default 1.70158.
        return 1.70158 * peak / 0.1
    }
}
