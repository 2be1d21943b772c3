import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import QtQml.Models
import Brimlark.Views
import Brimlark.Grid

// The grid's toolbar: the way back from a category, the search bar, the
// five desk-tool buttons with their popovers and the selection's own control
// ("Add Apps" in a folder, "Sort" in All Apps). Every rule is the
// controller's; this only lays out and forwards.
Item {
    id: root
    objectName: "gridToolbar"

    required property BrimlarkViewModel viewModel
    // Whether the screen ruler shows.
    property bool isRulerShowing: false
    // What each desk tool's popover shows, supplied by whoever composes the
    // window; a tool without one opens an empty popover.
    property Component colorPickerPopover: null
    property Component measurePopover: null
    property Component qrPopover: null
    property Component notesPopover: null
    property Component snippetsPopover: null
    // The grid's content below the toolbar (see the controller's `content`).
    property Item content: null
    readonly property alias controller: toolbar
    readonly property alias searchField: field
    readonly property bool light: Style.isLight(palette)
    readonly property color primary: palette.windowText

    implicitHeight: 56

    GridToolbarController {
        id: toolbar
        viewModel: root.viewModel
        catalog: root.viewModel.catalog
        hiddenItemsLock: root.viewModel.hiddenItemsLock
        isRulerShowing: root.isRulerShowing
        searchField: field
        content: root.content
        sortMenuOpen: sortMenu.visible
    }

    RowLayout {
        anchors.fill: parent
        anchors.leftMargin: 8
        anchors.rightMargin: 12
        spacing: 8

        // Back to All Apps while a single category is shown.
        ToolButton {
            id: backButton
            objectName: "allCategoriesButton"
            visible: toolbar.showsBackButton
            flat: true
            leftPadding: 8
            rightPadding: 0
            contentItem: Row {
                spacing: 4
                SymbolImage {
                    anchors.verticalCenter: parent.verticalCenter
                    name: "chevron.left"
                    size: 14
                    color: Style.blue(root.light)
                }
                Text {
                    anchors.verticalCenter: parent.verticalCenter
                    text: qsTr("All Categories")
                    font.pixelSize: 13
                    color: Style.blue(root.light)
                }
            }
            background: null
            Accessible.role: Accessible.Button
            Accessible.name: qsTr("All Categories")
            Accessible.onPressAction: toolbar.showAllApps()
            onClicked: toolbar.showAllApps()
        }

        Item {
            Layout.fillWidth: true
        }

        // The search bar.
        Rectangle {
            id: searchBar
            objectName: "searchBar"
            Layout.fillWidth: true
            Layout.minimumWidth: 240
            Layout.maximumWidth: 600 + 16 + 12 * 2 + 16 * 2 + 24
            implicitHeight: searchRow.implicitHeight
            radius: 12
            color: root.light ? Style.withAlpha(root.primary, 0.06) : Qt.rgba(0, 0, 0, 0.3)
            border.width: 1
            border.color: root.light ? Style.withAlpha(root.primary, 0.12) : Qt.rgba(1, 1, 1, 0.1)

            readonly property color hintColor: root.light ? Style.withAlpha(root.primary, 0.4)
                                                          : Qt.rgba(1, 1, 1, 0.4)

            RowLayout {
                id: searchRow
                anchors.fill: parent
                anchors.leftMargin: 16
                anchors.rightMargin: 16
                spacing: 12

                SymbolImage {
                    name: "magnifyingglass"
                    size: 16
                    color: root.light ? Style.withAlpha(root.primary, 0.6) : Qt.rgba(1, 1, 1, 0.6)
                }

                CustomTextField {
                    id: field
                    objectName: "searchField"
                    Layout.fillWidth: true
                    Layout.maximumWidth: 600
                    leftPadding: 8
                    rightPadding: 8
                    topPadding: 10
                    bottomPadding: 10
                    placeholder: qsTr("Search Apps...")
                    text: root.viewModel ? (root.viewModel.searchQuery || "") : ""
                    isFocused: toolbar.isSearchFocused
                    onTextEdited: {
                        if (root.viewModel)
                            root.viewModel.searchQuery = toolbar.queryFromField(text)
                    }
                    onFocusEnded: toolbar.isSearchFocused = false
                    // Clicking into the field focuses it as much as a request does.
                    onActiveFocusChanged: {
                        if (activeFocus)
                            toolbar.isSearchFocused = true
                    }
                }

                // The trailing slot.
                Rectangle {
                    objectName: "shortcutBadge"
                    visible: toolbar.searchAccessory === GridToolbarController.ShortcutBadge
                    implicitWidth: badgeText.implicitWidth + 12
                    implicitHeight: badgeText.implicitHeight + 4
                    radius: 4
                    color: root.light ? Style.withAlpha(root.primary, 0.08) : Qt.rgba(1, 1, 1, 0.1)
                    Text {
                        id: badgeText
                        anchors.centerIn: parent
                        text: "Ctrl+K"
                        font.pixelSize: 11
                        font.bold: true
                        color: searchBar.hintColor
                    }
                }
                ToolButton {
                    id: clearButton
                    objectName: "clearSearchButton"
                    visible: toolbar.searchAccessory === GridToolbarController.ClearButton
                    flat: true
                    padding: 0
                    implicitWidth: 20
                    implicitHeight: 20
                    focusPolicy: Qt.TabFocus
                    background: null
                    contentItem: SymbolImage {
                        name: "xmark.circle.fill"
                        size: 16
                        color: searchBar.hintColor
                    }
                    Accessible.role: Accessible.Button
                    Accessible.name: qsTr("Clear Search")
                    Accessible.onPressAction: toolbar.clearSearch()
                    Keys.onReturnPressed: clicked()
                    Keys.onEnterPressed: clicked()
                    // The button goes with the text: the keyboard goes on to the field.
                    onClicked: {
                        const fromKeyboard = activeFocus
                        toolbar.clearSearch()
                        if (fromKeyboard)
                            field.forceActiveFocus(Qt.TabFocusReason)
                    }
                    GridFocusRing { cornerRadius: 10 }
                }
            }

            // The search bar asks for the focus each time it comes into view.
            Component.onCompleted: toolbar.searchBarAppeared()
            onVisibleChanged: {
                if (visible)
                    toolbar.searchBarAppeared()
            }
        }

        Item {
            Layout.fillWidth: true
        }

        // The desk tools: a press only ever opens the tool's popover.
        Repeater {
            model: toolbar.deskTools
            delegate: ToolButton {
                id: toolButton
                required property var modelData
                required property int index
                objectName: "deskToolButton" + index
                implicitWidth: 32
                implicitHeight: 28
                focusPolicy: Qt.TabFocus
                Keys.onReturnPressed: clicked()
                Keys.onEnterPressed: clicked()
                GridFocusRing {}
                contentItem: Item {
                    SymbolImage {
                        anchors.centerIn: parent
                        name: toolButton.modelData.symbol
                        size: 17
                        color: root.primary
                    }
                }
                Accessible.role: Accessible.Button
                Accessible.name: modelData.name
                Accessible.onPressAction: toolbar.openDeskTool(index)
                onClicked: toolbar.openDeskTool(index)

                // The popover is made the first time its tool opens and kept
                // from then on; the window's start makes none of them.
                Loader {
                    id: popoverHolder
                    readonly property bool wanted: toolbar.openDeskTools[toolButton.index] === true
                    active: false
                    onWantedChanged: {
                        if (!wanted)
                            return
                        active = true
                        item.open()
                    }
                    sourceComponent: Popup {
                        id: popover
                        objectName: "deskToolPopover" + toolButton.index
                        parent: toolButton
                        x: Math.round((toolButton.width - width) / 2)
                        y: toolButton.height + 6
                        // Kept inside the window.
                        margins: 8
                        padding: 0
                        focus: true
                        closePolicy: Popup.CloseOnEscape | Popup.CloseOnPressOutsideParent
                        // What had the keyboard before (the search field, or
                        // the button when Tab took it there) gets it back.
                        property Item returnFocusTo: null
                        property bool returnFocusShown: false
                        onAboutToShow: {
                            returnFocusTo = toolButton.Window.activeFocusItem
                            returnFocusShown = returnFocusTo !== null && returnFocusTo.visualFocus === true
                        }
                        onClosed: {
                            if (returnFocusTo && returnFocusTo.visible)
                                returnFocusTo.forceActiveFocus(returnFocusShown ? Qt.TabFocusReason : Qt.OtherFocusReason)
                            returnFocusTo = null
                            toolbar.deskToolClosed(toolButton.index)
                        }
                        background: Rectangle {
                            radius: 10
                            color: popover.palette.window
                            border.width: 1
                            border.color: Style.withAlpha(popover.palette.windowText, 0.15)
                        }
                        // Sized by the Loader, which takes its content's implicit size;
                        // binding the popup to the content's size as well loops.
                        // Made afresh each time the popover opens.
                        contentItem: Loader {
                            id: popoverContent
                            active: popover.visible
                            sourceComponent: root.popoverContent(toolButton.index)
                        }
                    }
                }
            }
        }

        Button {
            id: addAppsButton
            objectName: "addAppsButton"
            visible: toolbar.trailingControl === GridToolbarController.AddApps
            text: qsTr("Add Apps")
            focusPolicy: Qt.TabFocus
            Keys.onReturnPressed: clicked()
            Keys.onEnterPressed: clicked()
            GridFocusRing {}
            contentItem: Row {
                spacing: 6
                SymbolImage {
                    anchors.verticalCenter: parent.verticalCenter
                    name: "plus.circle"
                    size: 14
                    color: root.primary
                }
                Text {
                    anchors.verticalCenter: parent.verticalCenter
                    text: addAppsButton.text
                    font: addAppsButton.font
                    color: root.primary
                }
            }
            Accessible.role: Accessible.Button
            Accessible.name: text
            Accessible.onPressAction: toolbar.addApps()
            onClicked: toolbar.addApps()
        }

        Button {
            id: sortButton
            objectName: "sortButton"
            visible: toolbar.trailingControl === GridToolbarController.SortMenu
            text: qsTr("Sort")
            focusPolicy: Qt.TabFocus
            Keys.onReturnPressed: clicked()
            Keys.onEnterPressed: clicked()
            GridFocusRing {}
            contentItem: Row {
                spacing: 6
                SymbolImage {
                    anchors.verticalCenter: parent.verticalCenter
                    name: "arrow.up.arrow.down"
                    size: 14
                    color: root.primary
                }
                Text {
                    anchors.verticalCenter: parent.verticalCenter
                    text: sortButton.text
                    font: sortButton.font
                    color: root.primary
                }
            }
            Accessible.role: Accessible.ButtonMenu
            Accessible.name: text
            Accessible.onPressAction: sortMenu.open()
            onClicked: sortMenu.open()

            Menu {
                id: sortMenu
                objectName: "sortMenu"
                y: sortButton.height + 4
                // The options are made when the menu first opens; the window's
                // start makes none of them.
                property bool wanted: false
                onAboutToShow: wanted = true

                Instantiator {
                    active: sortMenu.wanted
                    model: toolbar.sortOptions
                    delegate: MenuItem {
                        id: sortItem
                        required property var modelData
                        required property int index
                        objectName: "sortOption" + index
                        text: modelData.title
                        indicator: null
                        arrow: null
                        contentItem: Row {
                            spacing: 6
                            Item {
                                width: 14
                                height: 14
                                anchors.verticalCenter: parent.verticalCenter
                                SymbolImage {
                                    anchors.fill: parent
                                    visible: sortItem.modelData.symbol !== ""
                                    name: sortItem.modelData.symbol
                                    size: 14
                                    color: sortItem.highlighted ? sortItem.palette.highlightedText : sortItem.palette.text
                                }
                            }
                            Text {
                                anchors.verticalCenter: parent.verticalCenter
                                text: sortItem.text
                                textFormat: Text.PlainText
                                font: sortItem.font
                                color: sortItem.highlighted ? sortItem.palette.highlightedText : sortItem.palette.text
                            }
                        }
                        // The current order's tick is told, not only drawn
                        // (see EnabledStateAccessibility).
                        readonly property bool reportsEnabledState: true
                        checkable: true
                        checked: modelData.symbol !== ""
                        Accessible.role: Accessible.MenuItem
                        Accessible.name: text
                        Accessible.onPressAction: triggered()
                        // The choice remakes the options (the tick moves), this
                        // item included, before the menu could close itself.
                        onTriggered: {
                            const chosen = index
                            sortMenu.close()
                            toolbar.chooseSortOption(chosen)
                        }
                    }
                    onObjectAdded: (index, object) => sortMenu.insertItem(index, object)
                    onObjectRemoved: (index, object) => sortMenu.removeItem(object)
                }
            }
        }
    }

    // The content of each desk tool's popover, in toolbar order.
    function popoverContent(index) {
        const contents = [colorPickerPopover, measurePopover, qrPopover, notesPopover, snippetsPopover]
        return contents[index] || emptyContent
    }

    Component {
        id: emptyContent
        Item {
            implicitWidth: 240
            implicitHeight: 120
        }
    }
}
