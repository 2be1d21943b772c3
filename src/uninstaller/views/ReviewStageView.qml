import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Brimlark.Uninstaller
import Brimlark.Views

// The findings by category with their selection, and the way out: cancel,
// delete permanently (after confirming) or move to the Trash.
FocusScope {
    id: reviewView
    objectName: "reviewStageView"
    // The stage takes the keyboard as it comes: a reader hears what it found.
    Accessible.role: Accessible.Pane
    Accessible.name: flow ? "Items found: " + flow.totalCount + ", Selected: " + flow.selectedCount
                            + ", To free: " + flow.formattedTotalSize
                          : ""
    property AppUninstallerFlow flow
    signal cancel()

    ColumnLayout {
        anchors.fill: parent
        spacing: 0

        Rectangle {
            objectName: "systemAppWarningBanner"
            visible: reviewView.flow.isSystemApp
            Layout.fillWidth: true
            implicitHeight: banner.implicitHeight + 20
            color: Style.withAlpha(Style.yellow(Style.isLight(palette)), 0.12)
            RowLayout {
                id: banner
                anchors.fill: parent
                anchors.leftMargin: 20
                anchors.rightMargin: 20
                spacing: 10
                SymbolImage { name: "lock.shield.fill"; size: 14; color: Style.yellow(Style.isLight(palette)) }
                Text {
                    Layout.fillWidth: true
                    // Why nothing can be removed: said when it shows.
                    Accessible.role: Accessible.AlertMessage
                    Accessible.name: text
                    text: "System apps are protected by macOS SIP and cannot be deleted."
                    textFormat: Text.PlainText
                    font.pixelSize: 12
                    font.weight: Font.Medium
                    wrapMode: Text.Wrap
                    color: Style.withAlpha(Style.primary(palette), 0.8)
                }
            }
        }

        RowLayout {
            Layout.fillWidth: true
            Layout.leftMargin: 20
            Layout.rightMargin: 20
            Layout.topMargin: 12
            Layout.bottomMargin: 12
            spacing: 24
            StatPill {
                objectName: "itemsFound"
                label: "Items found"
                value: String(reviewView.flow.totalCount)
                color: Style.primary(palette)
            }
            StatPill {
                objectName: "selectedCount"
                label: "Selected"
                value: String(reviewView.flow.selectedCount)
                color: Style.blue(Style.isLight(palette))
            }
            StatPill {
                objectName: "toFree"
                label: "To free"
                value: reviewView.flow.formattedTotalSize
                color: Style.orange(Style.isLight(palette))
            }
            Item { Layout.fillWidth: true }
            GhostButtonStyle {
                objectName: "selectAllButton"
                text: "Select All"
                enabled: reviewView.flow.canChangeSelection
                onClicked: reviewView.flow.selectAll()
            }
            GhostButtonStyle {
                objectName: "deselectAllButton"
                text: "Deselect All"
                enabled: reviewView.flow.canChangeSelection
                onClicked: reviewView.flow.deselectAll()
            }
        }
        Rectangle {
            Layout.fillWidth: true
            implicitHeight: 1
            color: Style.withAlpha(Style.primary(palette), 0.2 * 0.25)
        }

        ListView {
            id: list
            objectName: "findingsList"
            Layout.fillWidth: true
            Layout.fillHeight: true
            clip: true
            bottomMargin: 8
            model: reviewView.flow.files
            reuseItems: true
            boundsBehavior: Flickable.StopAtBounds
            ScrollBar.vertical: ScrollBar { policy: ScrollBar.AsNeeded }
            Accessible.role: Accessible.List
            Accessible.name: "Findings"

            section.property: "categoryId"
            section.criteria: ViewSection.FullString
            section.labelPositioning: ViewSection.InlineLabels | ViewSection.CurrentLabelAtStart
            section.delegate: CategorySectionHeader {
                required property string section
                width: ListView.view.width
                flow: reviewView.flow
                entry: reviewView.flow.files.section(section)
            }

            delegate: ResidualFileRow {
                width: ListView.view.width
                flow: reviewView.flow
            }
            // A row comes in from the top edge and leaves to it, fading; the
            // rows around it close up.
            add: Transition {
                id: rowEnters
                NumberAnimation { property: "opacity"; from: 0; to: 1; duration: list.rowMotion; easing.type: Easing.InOutQuad }
                NumberAnimation { property: "y"; from: list.topEdge(rowEnters.ViewTransition.item); duration: list.rowMotion; easing.type: Easing.InOutQuad }
            }
            remove: Transition {
                id: rowLeaves
                PropertyAction { property: "leaving"; value: true }
                NumberAnimation { property: "opacity"; to: 0; duration: list.rowMotion; easing.type: Easing.InOutQuad }
                NumberAnimation { property: "y"; to: list.topEdge(rowLeaves.ViewTransition.item); duration: list.rowMotion; easing.type: Easing.InOutQuad }
            }
            displaced: Transition {
                NumberAnimation { property: "y"; duration: list.rowMotion; easing.type: Easing.InOutQuad }
            }
            readonly property int rowMotion: 250
            // Just above the visible part of the list: where a row goes to and
            // comes from.
            function topEdge(item) {
                return list.contentY - (item ? item.height : 0)
            }
        }

        Rectangle {
            Layout.fillWidth: true
            implicitHeight: 1
            color: Style.withAlpha(Style.primary(palette), 0.2 * 0.25)
        }
        RowLayout {
            Layout.fillWidth: true
            Layout.leftMargin: 20
            Layout.rightMargin: 20
            Layout.topMargin: 16
            Layout.bottomMargin: 16
            spacing: 12
            GhostButtonStyle {
                objectName: "reviewCancelButton"
                text: "Cancel"
                onClicked: reviewView.cancel()
            }
            Item { Layout.fillWidth: true }
            BusyIndicator {
                objectName: "removalBusy"
                Accessible.name: qsTr("Removing files")
                visible: reviewView.flow.isRemoving
                running: visible
                implicitWidth: 22
                implicitHeight: 22
            }
            DestructiveButtonStyle {
                objectName: "deletePermanentlyButton"
                text: "Delete Permanently"
                symbol: "trash"
                enabled: reviewView.flow.canRemove
                onClicked: reviewView.flow.showPermanentDeleteAlert = true
            }
            PrimaryButtonStyle {
                objectName: "moveToTrashButton"
                text: "Move to Trash"
                symbol: "trash.fill"
                enabled: reviewView.flow.canRemove
                onClicked: reviewView.flow.performDeletion(AppUninstallerFlow.Method.trash)
            }
        }
    }
}
