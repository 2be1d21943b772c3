import QtQuick
import Brimlark.Sidebar

// The workspace sheets' customiser: the workspace icons, the grid 10 points
// inside its background.
CustomizerView {
    icons: SidebarPresets.workspaceIcons
    placeholder: qsTr("Workspace Name")
    gridPadding: 10
}
