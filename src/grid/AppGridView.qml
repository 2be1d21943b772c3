import QtQuick
import QtQuick.Controls
import Brimlark.Views
import Brimlark.Grid

// The launcher window's detail column: the toolbar over the loading screen, a lock screen of
// the hidden section, or the scrolling content in the layout the selection
// calls for; over it the panel of an opened folder or category, and the
// app picker and uninstaller sheets.
Item {
    id: root
    objectName: "appGridView"

    required property BrimlarkViewModel viewModel
    // What the window around the grid supplies: whether the screen ruler
    // shows, the toolbar's desk-tool popovers (see GridToolbar) and the uninstall
    // sheet's view, made with `app` each time an application is chosen and
    // closed by its dismiss(). Without one, that popover or sheet stays empty.
    property bool isRulerShowing: false
    property Component colorPickerPopover: null
    property Component measurePopover: null
    property Component qrPopover: null
    property Component notesPopover: null
    property Component snippetsPopover: null
    property Component uninstallerSheet: null
    readonly property bool lightAppearance: Style.isLight(palette)
    readonly property alias controller: paneController
    readonly property string navigationTitle: paneController.navigationTitle
    readonly property alias pane: pane
    readonly property alias toolbar: toolbar

    AppGridController {
        id: paneController
        viewModel: root.viewModel
        hiddenItemsLock: root.viewModel.hiddenItemsLock
        lightAppearance: root.lightAppearance
    }

    // Behind every state, and again behind the scrolling content.
    component PaneBackground: Item {
        // The opaque colour under it: the window's own unless told.
        property color backdrop: root.Window.window ? root.Window.window.color : "transparent"
        readonly property color surface: effect.color
        // A window clears to its own colour before each frame: this colour
        // again would cost every frame a fill of the pane and show nothing.
        Rectangle {
            anchors.fill: parent
            visible: !paneController.translucentBackground
                     && !(root.Window.window && Qt.colorEqual(root.Window.window.color, color))
            color: palette.window
        }
        VisualEffectView {
            id: effect
            anchors.fill: parent
            visible: paneController.translucentBackground
            material: "sidebar"
            blendingMode: "behindWindow"
            backdrop: parent.backdrop
        }
    }

    PaneBackground {
        id: paneBackground
        anchors.fill: parent
    }

    GridToolbar {
        id: toolbar
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.top: parent.top
        viewModel: root.viewModel
        isRulerShowing: root.isRulerShowing
        colorPickerPopover: root.colorPickerPopover
        measurePopover: root.measurePopover
        qrPopover: root.qrPopover
        notesPopover: root.notesPopover
        snippetsPopover: root.snippetsPopover
        content: pane
    }

    // Views a start does not show are loaded by name when first needed, so
    // the window's first frame does not wait for their files.
    Loader {
        id: pane
        objectName: "gridPane"
        anchors.fill: parent
        anchors.topMargin: toolbar.height

        readonly property int paneState: paneController.paneState
        onPaneStateChanged: show()
        Component.onCompleted: show()

        // The loading screen fades in from nothing, so the window's first
        // frame would show none of it: it is made once that frame is out,
        // and not at all when the scan has ended by then.
        property bool framed: false
        Connections {
            target: root.Window.window
            enabled: !pane.framed
            function onFrameSwapped() {
                pane.framed = true
                if (pane.paneState === GridPane.State.loading)
                    pane.show()
            }
        }

        function show() {
            // A view loaded by name stays this loader's source until cleared,
            // and the same name again would then load nothing.
            sourceComponent = null
            source = ""
            switch (paneState) {
            case GridPane.State.loading:
                sourceComponent = framed ? loadingComponent : null
                break
            case GridPane.State.setupHiddenLock:
                setSource(Qt.resolvedUrl("SetupHiddenLockView.qml"), { "lock": root.viewModel.hiddenItemsLock })
                break
            case GridPane.State.unlockHidden:
                setSource(Qt.resolvedUrl("UnlockHiddenView.qml"), { "lock": root.viewModel.hiddenItemsLock })
                break
            default:
                sourceComponent = contentComponent
            }
        }
    }

    Component {
        id: loadingComponent
        ModernLoadingView {}
    }

    Component {
        id: contentComponent

        Item {
            id: content
            objectName: "gridContent"
            readonly property alias layoutItem: layout.item

            // The pane's own opaque background already lies under this one:
            // drawing it twice costs every frame and shows nothing more.
            PaneBackground {
                anchors.fill: parent
                visible: paneController.translucentBackground
                backdrop: paneBackground.surface
            }

            // The layout is built anew whenever the identity key (section,
            // selected folder or category, sort option) or the layout itself
            // changes, so the state of the views inside starts afresh.
            Loader {
                id: layout
                objectName: "gridLayout"
                anchors.fill: parent

                property string builtKey
                property int builtLayout: -1

                function rebuild() {
                    if (builtKey === paneController.identityKey && builtLayout === paneController.contentLayout
                            && sourceComponent !== null)
                        return
                    builtKey = paneController.identityKey
                    builtLayout = paneController.contentLayout
                    sourceComponent = null
                    source = ""
                    const context = { "gridController": paneController, "viewModel": root.viewModel }
                    switch (builtLayout) {
                    case GridPane.Layout.unifiedGrid:
                        setSource(Qt.resolvedUrl("UnifiedGridView.qml"), context)
                        break
                    case GridPane.Layout.hiddenSection:
                        setSource(Qt.resolvedUrl("HiddenSectionView.qml"), context)
                        break
                    case GridPane.Layout.emptyFolder:
                        context.folder = paneController.selectedFolder
                        setSource(Qt.resolvedUrl("EmptyFolderView.qml"), context)
                        break
                    default:
                        sourceComponent = tilesComponent
                    }
                }

                Component.onCompleted: rebuild()

                Connections {
                    target: paneController
                    function onPaneChanged() { layout.rebuild() }
                }
            }

            onWidthChanged: paneController.updateColumns(width)
            Component.onCompleted: paneController.updateColumns(width)
        }
    }

    Component {
        id: tilesComponent
        AppTileGrid {
            gridController: paneController
            viewModel: root.viewModel
            Component.onCompleted: folderFlag = paneController.folderSelected
        }
    }

    // The opened folder's or category's panel.
    Loader {
        id: overlay
        objectName: "gridOverlay"
        anchors.fill: parent
        anchors.topMargin: toolbar.height
        readonly property bool wanted: paneController.overlayKind !== AppGridController.OverlayKind.none
        active: wanted
        onWantedChanged: {
            if (wanted)
                setSource(Qt.resolvedUrl("CategoryModalView.qml"), { "viewModel": root.viewModel })
            else
                source = ""
        }
        onLoaded: {
            item.categoryName = Qt.binding(() => paneController.overlayTitle)
            item.apps = Qt.binding(() => paneController.overlayApps)
            item.folder = Qt.binding(() => paneController.overlayFolder)
            item.dismiss.connect(() => {
                if (paneController.overlayKind === AppGridController.OverlayKind.folder)
                    paneController.dismissFolderPanel()
                else
                    paneController.dismissCategoryPanel()
            })
        }
    }

    // The keyboard goes to what the pane shows when what had it is gone
    // (the empty folder's button once apps were added): the tiles if they
    // take it, else the search field.
    function focusContent() {
        const shown = pane.item && pane.item.layoutItem ? pane.item.layoutItem : null
        if (shown && shown.activeFocusOnTab)
            shown.forceActiveFocus(Qt.TabFocusReason)
        else if (toolbar.searchField.visible)
            toolbar.searchField.forceActiveFocus(Qt.TabFocusReason)
    }

    GridSheet {
        id: appPickerSheet
        objectName: "appPickerSheet"
        shown: paneController.appPickerShown
        onDismissed: paneController.dismissAppPicker()
        onFocusLeftBehind: root.focusContent()

        contentItem: Loader {
            readonly property bool wanted: appPickerSheet.shown && !paneController.appPickerFolder.isNull
            active: wanted
            onWantedChanged: {
                if (wanted)
                    setSource(Qt.resolvedUrl("AppPickerView.qml"), { "viewModel": root.viewModel })
                else
                    source = ""
            }
            onLoaded: {
                item.folder = Qt.binding(() => paneController.appPickerFolder)
                item.dismiss.connect(paneController.dismissAppPicker)
            }
        }
    }

    GridSheet {
        id: uninstallSheet
        objectName: "uninstallerSheet"
        shown: paneController.appToUninstall.id !== ""
        onDismissed: paneController.dismissUninstaller()
        onFocusLeftBehind: root.focusContent()
        // The uninstall sheet draws its own rounded surface.
        background: null

        // A fresh view for each application, sized as a Loader would size it.
        contentItem: Item {
            id: uninstallerHost
            property Item item: null
            // Keyed by the id: the sheet's other changes leave the view alone.
            readonly property string appID: paneController.appToUninstall.id
            implicitWidth: item ? item.implicitWidth : 0
            implicitHeight: item ? item.implicitHeight : 0
            onAppIDChanged: {
                if (item) {
                    item.visible = false
                    item.destroy()
                    item = null
                }
                if (appID !== "" && root.uninstallerSheet) {
                    item = root.uninstallerSheet.createObject(uninstallerHost, {
                        "width": Qt.binding(function() { return uninstallerHost.width }),
                        "height": Qt.binding(function() { return uninstallerHost.height }),
                        "app": paneController.appToUninstall
                    })
                    item.dismiss.connect(() => paneController.dismissUninstaller())
                }
            }
        }
    }
}
