import QtQuick
import Brimlark.Views
import QtQuick.Controls
import Brimlark.Shell
import Brimlark.Tools
import Brimlark.Uninstaller

// The launcher's one window: the menus and the root split view. Its size
// limits and first-launch size are set by the application delegate.
ApplicationWindow {
    id: window
    objectName: "brimlarkWindow"
    width: 1200
    height: 800
    visible: true
    // The selected section's title, as a window's navigation title.
    // No selection shows every application.
    title: viewModel ? (viewModel.selectionTitle || qsTr("All Apps")) : Qt.application.displayName || "Brimlark"

    // The launcher's view model, handed in by the application at load time.
    property BrimlarkViewModel viewModel: null
    // The desk tools the grid's toolbar opens, handed in by the application.
    property DeskTools deskTools: null
    // What the uninstall sheet works with, handed in by the application.
    property UninstallerServices uninstallerServices: null
    // The workspaces the sidebar's switcher shows, handed in by the application.
    property WorkspaceManager workspaceManager: null

    // F10 opens the menu bar at its first menu; the arrows go on from there.
    Shortcut {
        sequence: "F10"
        onActivated: {
            const first = window.menuBar.itemAt(0)
            if (first && !window.menuBar.menuAt(0).visible)
                first.triggered()
        }
    }

    // The menus' commands, on the window so that their shortcuts work
    // while the menus are closed.
    Action {
        id: searchAppsAction
        objectName: "searchAppsAction"
        text: qsTr("Search Apps")
        shortcut: "Ctrl+K"
        onTriggered: MenuCommands.searchApps()
    }
    Action {
        id: quitAction
        objectName: "quitAction"
        text: qsTr("Quit")
        shortcut: "Ctrl+Q"
        onTriggered: MenuCommands.quit()
    }
    LibraryAction { id: allAppsAction; section: SidebarSelection.Kind.allApps }
    LibraryAction { id: newlyAddedAction; section: SidebarSelection.Kind.newlyAdded }
    LibraryAction { id: recentsAction; section: SidebarSelection.Kind.recents }
    LibraryAction { id: favoritesAction; section: SidebarSelection.Kind.favorites }

    menuBar: MenuBar {
        objectName: "menuBar"

        CommandMenu {
            objectName: "fileMenu"
            title: qsTr("File")
            commands: [searchAppsAction, null, quitAction]
        }

        CommandMenu {
            objectName: "libraryMenu"
            title: qsTr("Library")
            commands: [allAppsAction, newlyAddedAction, recentsAction, favoritesAction]
        }
    }

    ContentView {
        anchors.fill: parent
        viewModel: window.viewModel
        deskTools: window.deskTools
        uninstallerServices: window.uninstallerServices
        workspaceManager: window.workspaceManager
    }
}
