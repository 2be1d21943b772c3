import QtQuick
import QtQuick.Controls
import Brimlark.Shell
import Brimlark.Grid

// The launcher window's detail column: the loading screen, a lock screen of
// the hidden section, or the scrolling content in the layout the selection
// calls for; over it the panel of an opened folder or category, and the
// app picker and uninstaller sheets.
Item {
    id: root
    objectName: "appGridView"

    // The central view model (BrimlarkViewModel).
    required property QtObject viewModel
    readonly property bool lightAppearance: palette.window.hslLightness >= 0.5
    readonly property alias controller: gridController
    readonly property string navigationTitle: gridController.navigationTitle
    readonly property alias pane: pane

    AppGridController {
        id: gridController
        viewModel: root.viewModel
        lightAppearance: root.lightAppearance
    }

    // Behind every state, and again behind the scrolling content.
    component PaneBackground: Item {
        Rectangle {
            anchors.fill: parent
            visible: !gridController.translucentBackground
            color: palette.window
        }
        VisualEffectView {
            anchors.fill: parent
            visible: gridController.translucentBackground
            material: "sidebar"
            blendingMode: "behindWindow"
        }
    }

    PaneBackground {
        anchors.fill: parent
    }

    Loader {
        id: pane
        objectName: "gridPane"
        anchors.fill: parent
        sourceComponent: {
            switch (gridController.paneState) {
            case "loading":
                return loadingComponent
            case "setupHiddenLock":
                return setupComponent
            case "unlockHidden":
                return unlockComponent
            default:
                return contentComponent
            }
        }
    }

    Component {
        id: loadingComponent
        ModernLoadingView {}
    }
    Component {
        id: setupComponent
        SetupHiddenLockView {
            viewModel: root.viewModel
        }
    }
    Component {
        id: unlockComponent
        UnlockHiddenView {
            viewModel: root.viewModel
        }
    }

    Component {
        id: contentComponent

        Item {
            id: content
            objectName: "gridContent"

            PaneBackground {
                anchors.fill: parent
            }

            // The layout is built anew whenever the identity key (section,
            // selected folder or category, sort option) or the layout itself
            // changes, so the state of the views inside starts afresh.
            Loader {
                id: layout
                objectName: "gridLayout"
                anchors.fill: parent

                property string builtKey
                property string builtLayout

                function rebuild() {
                    if (builtKey === gridController.identityKey && builtLayout === gridController.contentLayout
                            && sourceComponent !== null)
                        return
                    builtKey = gridController.identityKey
                    builtLayout = gridController.contentLayout
                    sourceComponent = null
                    sourceComponent = componentFor(builtLayout)
                }
                function componentFor(name) {
                    switch (name) {
                    case "unifiedGrid":
                        return unifiedComponent
                    case "hiddenSection":
                        return hiddenComponent
                    case "emptyFolder":
                        return emptyFolderComponent
                    default:
                        return tilesComponent
                    }
                }

                Component.onCompleted: rebuild()

                Connections {
                    target: gridController
                    function onPaneChanged() { layout.rebuild() }
                }
            }

            onWidthChanged: gridController.updateColumns(width)
            Component.onCompleted: gridController.updateColumns(width)
        }
    }

    Component {
        id: tilesComponent
        AppTileGrid {
            gridController: gridController
            viewModel: root.viewModel
            Component.onCompleted: folderFlag = gridController.folderSelected
        }
    }
    Component {
        id: emptyFolderComponent
        EmptyFolderView {
            gridController: gridController
            viewModel: root.viewModel
            Component.onCompleted: folder = gridController.selectedFolder
        }
    }
    Component {
        id: unifiedComponent
        UnifiedGridView {
            gridController: gridController
            viewModel: root.viewModel
        }
    }
    Component {
        id: hiddenComponent
        HiddenSectionView {
            gridController: gridController
            viewModel: root.viewModel
        }
    }

    // The opened folder's or category's panel.
    Loader {
        id: overlay
        objectName: "gridOverlay"
        anchors.fill: parent
        active: gridController.overlayKind !== "none"
        sourceComponent: CategoryModalView {
            categoryName: gridController.overlayTitle
            apps: gridController.overlayApps
            folder: gridController.overlayFolder
            viewModel: root.viewModel
            onDismiss: {
                if (gridController.overlayKind === "folder")
                    gridController.dismissFolderPanel()
                else
                    gridController.dismissCategoryPanel()
            }
        }
    }

    GridSheet {
        id: appPickerSheet
        objectName: "appPickerSheet"
        shown: gridController.appPickerShown
        onDismissed: gridController.dismissAppPicker()

        contentItem: Loader {
            active: appPickerSheet.shown && gridController.appPickerFolder !== undefined
            sourceComponent: AppPickerView {
                viewModel: root.viewModel
                folder: gridController.appPickerFolder
                dismiss: function() { gridController.dismissAppPicker() }
            }
        }
    }

    GridSheet {
        id: uninstallerSheet
        objectName: "uninstallerSheet"
        shown: gridController.appToUninstall !== undefined
        onDismissed: gridController.dismissUninstaller()

        contentItem: Loader {
            id: uninstallerLoader
            readonly property var app: gridController.appToUninstall
            onAppChanged: {
                if (app === undefined)
                    setSource("")
                else
                    setSource(gridController.uninstallerViewUrl, {
                        "app": app,
                        "dismiss": function() { gridController.dismissUninstaller() }
                    })
            }
        }
    }
}
