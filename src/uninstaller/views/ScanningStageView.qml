import QtQuick
import QtQuick.Layouts
import Brimlark.Uninstaller
import Brimlark.Views

// The scan under way: the application's icon in pulsing rings, the step
// being read and how far the scan has come.
FocusScope {
    id: scanView
    objectName: "scanningStageView"
    // The stage takes the keyboard as it comes: a reader hears what it is.
    Accessible.role: Accessible.Pane
    Accessible.name: status.text
    property AppUninstallerFlow flow

    ColumnLayout {
        anchors.fill: parent
        spacing: 32

        Item { Layout.fillHeight: true }

        Item {
            Layout.alignment: Qt.AlignHCenter
            implicitWidth: 140
            implicitHeight: 140
            Repeater {
                model: 3
                PulseRing {
                    anchors.centerIn: parent
                    delay: index * 0.35
                }
            }
            Image {
                anchors.centerIn: parent
                width: 80
                height: 80
                source: scanView.flow ? scanView.flow.appIconSource : ""
                sourceSize: Qt.size(160, 160)
                fillMode: Image.PreserveAspectFit
                asynchronous: true
            }
        }

        ColumnLayout {
            Layout.fillWidth: true
            spacing: 10
            Text {
                id: status
                objectName: "scanStatus"
                Layout.alignment: Qt.AlignHCenter
                text: scanView.flow ? scanView.flow.scanStage : ""
                textFormat: Text.PlainText
                font.pixelSize: 15
                font.weight: Font.Medium
                color: Style.primary(palette)
                Accessible.role: Accessible.StaticText
                Accessible.name: text
            }
            Rectangle {
                id: track
                objectName: "scanProgress"
                Layout.fillWidth: true
                Layout.leftMargin: 40
                Layout.rightMargin: 40
                implicitHeight: 6
                radius: 4
                color: Style.withAlpha(Style.primary(palette), 0.1)
                Accessible.role: Accessible.ProgressBar
                Accessible.name: status.text
                // Read by assistive technology as the bar's value (see
                // EnabledStateAccessibility).
                readonly property bool reportsProgress: true
                readonly property real value: scanView.flow ? scanView.flow.scanProgress : 0
                readonly property real from: 0
                readonly property real to: 1
                Rectangle {
                    height: 6
                    radius: 4
                    width: track.width * (scanView.flow ? scanView.flow.scanProgress : 0)
                    Behavior on width {
                        NumberAnimation { duration: 300; easing.type: Easing.InOutQuad }
                    }
                    gradient: Gradient {
                        orientation: Gradient.Horizontal
                        GradientStop { position: 0; color: Style.indigo }
                        GradientStop { position: 1; color: Style.violet }
                    }
                }
            }
        }

        Item { Layout.fillHeight: true }
    }
}
