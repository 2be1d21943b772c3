import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Brimlark.Uninstaller
import Brimlark.Views

// One finding: its checkbox (a lock for what needs an administrator), kind,
// name, path and size. A click anywhere on the row toggles it.
Rectangle {
    id: fileRow
    property AppUninstallerFlow flow
    required property string fileId
    required property string displayName
    required property string path
    required property string sizeText
    required property string icon
    required property bool isSelected
    required property bool isUserDeletable
    required property int index
    readonly property bool locked: !isUserDeletable
    readonly property bool enabledRow: flow && flow.canChangeSelection

    // Only a row on screen is in the accessibility tree: not one kept
    // beyond the list's edges, pooled, or on its way out.
    property bool leaving: false
    readonly property ListView listView: ListView.view
    readonly property bool onScreen: visible && !leaving && listView !== null
                                     && y + height > listView.contentY
                                     && y < listView.contentY + listView.height
    ListView.onReused: leaving = false

    function toggle() {
        if (!locked && enabledRow)
            flow.toggleSelection(fileId)
    }

    implicitHeight: content.implicitHeight + 14
    color: hover.hovered && !locked ? Style.withAlpha(Style.primary(palette), 0.04)
                                    : "transparent"

    HoverHandler { id: hover }
    // An exclusive grab: the press is the row's, never the view's below.
    TapHandler {
        gesturePolicy: TapHandler.ReleaseWithinBounds
        onTapped: fileRow.toggle()
    }

    RowLayout {
        id: content
        anchors.fill: parent
        anchors.leftMargin: 20
        anchors.rightMargin: 20
        anchors.topMargin: 7
        anchors.bottomMargin: 7
        spacing: 12

        // A check box, so that assistive technology hears a check box and
        // its state; a locked entry cannot be checked from its row (its lock
        // mark is a button that does nothing).
        CheckBox {
            id: checkbox
            objectName: "rowCheckbox"
            implicitWidth: 18
            implicitHeight: 18
            padding: 0
            spacing: 0
            checkable: !fileRow.locked
            checked: fileRow.isSelected
            background: null
            enabled: fileRow.enabledRow
            opacity: enabled ? 1 : 0.5
            // Says disabled while a removal runs (see EnabledStateAccessibility).
            readonly property bool reportsEnabledState: true
            Keys.onReturnPressed: fileRow.toggle()
            Keys.onEnterPressed: fileRow.toggle()
            // The keyboard brings a row it reaches into view.
            onActiveFocusChanged: {
                if (activeFocus && fileRow.listView)
                    fileRow.listView.positionViewAtIndex(fileRow.index, ListView.Contain)
            }
            FocusRing {
                targetRadius: 4
            }
            contentItem: null
            indicator: SymbolImage {
                anchors.centerIn: parent
                name: fileRow.locked ? "lock.fill" : (fileRow.isSelected ? "checkmark.square.fill" : "square")
                size: fileRow.locked ? 13 : 16
                color: fileRow.locked ? Style.withAlpha(Style.orange(Style.isLight(palette)), 0.7)
                                      : fileRow.isSelected ? Style.blue(Style.isLight(palette))
                                                           : Style.withAlpha(Style.secondary(palette), 0.5)
            }
            onClicked: fileRow.toggle()
            ToolTip.visible: fileRow.locked && hovered
            ToolTip.text: "Requires administrator access — cannot be deleted"
            Accessible.ignored: !fileRow.onScreen
            // The control keeps these only from the moment a reader asks.
            // As the control itself says: a lock mark is a plain button.
            Accessible.role: checkable ? Accessible.CheckBox : Accessible.Button
            Accessible.checkable: checkable
            Accessible.checked: checked
            Accessible.name: fileRow.displayName
            Accessible.description: (fileRow.locked ? ToolTip.text + ". " : "") + fileRow.path + ", "
                                    + fileRow.sizeText
            Accessible.onPressAction: fileRow.toggle()
            Accessible.onToggleAction: fileRow.toggle()
            // The entry's state, not the press, says whether it is checked.
            onCheckedChanged: {
                if (checked !== fileRow.isSelected)
                    checked = Qt.binding(() => fileRow.isSelected)
            }
        }
        SymbolImage {
            Layout.preferredWidth: 18
            name: fileRow.icon
            size: 14
            color: Style.withAlpha(Style.secondary(palette), fileRow.locked ? 0.4 : 1)
        }
        ColumnLayout {
            Layout.fillWidth: true
            spacing: 1
            RowLayout {
                Layout.fillWidth: true
                spacing: 5
                Text {
                    Layout.fillWidth: !fileRow.locked
                    Layout.maximumWidth: 360
                    text: fileRow.displayName
                    textFormat: Text.PlainText
                    elide: Text.ElideRight
                    maximumLineCount: 1
                    font.pixelSize: 12
                    font.weight: Font.Medium
                    color: Style.withAlpha(Style.primary(palette), fileRow.locked ? 0.4 : 1)
                }
                Rectangle {
                    visible: fileRow.locked
                    implicitWidth: badge.implicitWidth + 10
                    implicitHeight: badge.implicitHeight + 4
                    radius: height / 2
                    color: Style.withAlpha(Style.orange(Style.isLight(palette)), 0.12)
                    Text {
                        id: badge
                        anchors.centerIn: parent
                        text: "System"
                        textFormat: Text.PlainText
                        font.pixelSize: 9
                        font.bold: true
                        color: Style.orange(Style.isLight(palette))
                    }
                }
                Item { Layout.fillWidth: fileRow.locked }
            }
            Text {
                Layout.fillWidth: true
                text: fileRow.path
                textFormat: Text.PlainText
                elide: Text.ElideMiddle
                maximumLineCount: 1
                font.pixelSize: 10
                color: Style.withAlpha(Style.secondary(palette), fileRow.locked ? 0.5 : 1)
            }
        }
        Text {
            Layout.preferredWidth: 62
            horizontalAlignment: Text.AlignRight
            text: fileRow.sizeText
            textFormat: Text.PlainText
            font.pixelSize: 11
            font.weight: Font.Medium
            color: Style.withAlpha(Style.secondary(palette), fileRow.locked ? 0.4 : 1)
        }
    }
}
