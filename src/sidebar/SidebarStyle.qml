pragma Singleton
import QtQuick

// Small look helpers of the sidebar's views.
QtObject {
    // The colour at the given opacity.
    function fade(c, a) {
        return Qt.rgba(c.r, c.g, c.b, a)
    }
}
