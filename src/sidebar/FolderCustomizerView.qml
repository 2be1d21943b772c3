import QtQuick
import Brimlark.Sidebar

// The folder sheets' customiser: the folder icons, no padding inside the grid.
CustomizerView {
    icons: SidebarPresets.folderIcons
    placeholder: qsTr("Folder Name")
    gridPadding: 0
}
