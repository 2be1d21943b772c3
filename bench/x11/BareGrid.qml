import QtQuick
import QtQuick.Controls

// The baseline the program is measured beside: a bare Qt Quick Controls
// window with a focused text field over a grid of cells (an icon square and
// a name), the least a launcher's main view is made of. Typing filters the
// names as the program's search does. Each swapped frame is written to the
// standard error as "frame <wall-clock ms> <grid generation>", the
// generation counting the grid's changes.
ApplicationWindow {
    id: window
    width: 1100
    height: 700
    visible: true
    title: "BareGrid"

    readonly property int count: Number(Qt.application.arguments[Qt.application.arguments.length - 1]) || 1000
    readonly property var names: {
        const list = []
        for (let i = 0; i < count; ++i) {
            list.push("Application " + String(i).padStart(5, "0"))
        }
        return list
    }
    property var shown: names
    property int generation: 0

    // Emitted on the render thread; QML handles it on this one, a little
    // later than the swap itself.
    onFrameSwapped: console.info("frame", Date.now(), generation)

    TextField {
        id: field
        x: 20
        y: 14
        width: 380
        placeholderText: "Search Apps..."
        focus: true
        onTextChanged: {
            const query = text.toLowerCase()
            window.shown = query ? window.names.filter(name => name.toLowerCase().includes(query)) : window.names
            window.generation += 1
        }
    }
    GridView {
        objectName: "bareGrid"
        anchors.fill: parent
        anchors.topMargin: 64
        cellWidth: 160
        cellHeight: 174
        clip: true
        model: window.shown
        delegate: Item {
            width: 160
            height: 174
            Rectangle {
                x: 40
                y: 20
                width: 80
                height: 80
                radius: 18
                color: Qt.hsla((index * 0.137) % 1, 0.6, 0.6, 1)
            }
            Text {
                y: 110
                width: 160
                horizontalAlignment: Text.AlignHCenter
                text: modelData
                elide: Text.ElideRight
            }
        }
    }
}
