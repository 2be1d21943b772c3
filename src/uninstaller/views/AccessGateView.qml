import QtQuick
import QtQuick.Layouts
import Brimlark.Uninstaller
import Brimlark.Views

// Shown until the folders the scan reads can be read: what to do, and the
// button that shows where and starts testing again every two seconds.
Item {
    id: gateView
    objectName: "accessGateView"

    property AppUninstallerFlow flow
    property string appName
    signal cancel()

    ColumnLayout {
        anchors.fill: parent
        spacing: 28

        Item { Layout.fillHeight: true }

        Item {
            Layout.alignment: Qt.AlignHCenter
            implicitWidth: 160
            implicitHeight: 160
            Rectangle {
                anchors.fill: parent
                radius: 80
                gradient: null
                color: "transparent"
                Canvas {
                    anchors.fill: parent
                    onPaint: {
                        const ctx = getContext("2d")
                        const g = ctx.createRadialGradient(80, 80, 0, 80, 80, 80)
                        g.addColorStop(0, "rgba(94,92,230,0.3)")
                        g.addColorStop(1, "rgba(94,92,230,0)")
                        ctx.fillStyle = g
                        ctx.fillRect(0, 0, 160, 160)
                    }
                }
            }
            SymbolImage {
                anchors.centerIn: parent
                name: "lock.shield.fill"
                size: 64
                color: Style.indigo
            }
        }

        ColumnLayout {
            Layout.fillWidth: true
            spacing: 10
            Text {
                Layout.fillWidth: true
                horizontalAlignment: Text.AlignHCenter
                text: "Full Disk Access Required"
                textFormat: Text.PlainText
                font.pixelSize: 20
                font.bold: true
                color: Style.primary(palette)
            }
            Text {
                Layout.fillWidth: true
                Layout.leftMargin: 40
                Layout.rightMargin: 40
                text: "To scan and remove all residual files for " + gateView.appName
                      + ", Brimlark needs Full Disk Access.\nThis is required to find files in protected Library folders."
                textFormat: Text.PlainText
                font.pixelSize: 13
                horizontalAlignment: Text.AlignHCenter
                wrapMode: Text.Wrap
                lineHeight: 1.2
                color: Style.secondary(palette)
            }
        }

        Rectangle {
            Layout.fillWidth: true
            Layout.leftMargin: 40
            Layout.rightMargin: 40
            implicitHeight: steps.implicitHeight + 32
            radius: 14
            color: Style.ultraThin(Style.isLight(palette))
            ColumnLayout {
                id: steps
                anchors.fill: parent
                anchors.margins: 16
                spacing: 10
                AccessStep { number: "1"; text: "Click \"Open System Settings\" below" }
                AccessStep { number: "2"; text: "Find Brimlark in the list and toggle it ON" }
                AccessStep { number: "3"; text: "Return here — scanning will start automatically" }
            }
        }

        RowLayout {
            Layout.alignment: Qt.AlignHCenter
            spacing: 12
            GhostButtonStyle {
                objectName: "gateCancelButton"
                text: "Cancel"
                onClicked: gateView.cancel()
            }
            PrimaryButtonStyle {
                objectName: "openSystemSettingsButton"
                text: "Open System Settings"
                symbol: "gear"
                onClicked: gateView.flow.openSystemSettings()
            }
        }

        Item { Layout.fillHeight: true }
    }
}
