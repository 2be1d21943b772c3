import QtQuick
import QtQuick.Controls
import Brimlark.Shell

// The root view: the sidebar column beside the grid column.
SplitView {
    id: root
    objectName: "contentView"
    orientation: Qt.Horizontal
    implicitWidth: 1200
    implicitHeight: 800

    property QtObject viewModel: null
    readonly property bool lightAppearance: palette.window.hslLightness >= 0.5

    // Sidebar column; stands empty until the sidebar view takes its place.
    Item {
        objectName: "sidebarColumn"
        SplitView.minimumWidth: 220
        SplitView.preferredWidth: 240
        SplitView.maximumWidth: 320

        VisualEffectView {
            anchors.fill: parent
            material: "sidebar"
        }
        Label {
            anchors.centerIn: parent
            text: qsTr("Sidebar")
            color: palette.placeholderText
        }
    }

    // Detail column; stands empty until the app grid takes its place.
    Item {
        objectName: "detailColumn"
        SplitView.fillWidth: true

        Column {
            anchors.centerIn: parent
            spacing: 12

            SymbolImage {
                anchors.horizontalCenter: parent.horizontalCenter
                name: "square.grid.2x2"
                size: 48
                color: palette.placeholderText
            }
            Label {
                anchors.horizontalCenter: parent.horizontalCenter
                text: qsTr("App Grid")
                color: palette.placeholderText
            }
        }
    }
}
