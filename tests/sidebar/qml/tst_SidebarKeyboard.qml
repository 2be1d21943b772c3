import QtQuick
import QtQuick.Controls
import QtTest
import Brimlark.Views
import Brimlark.Sidebar

// The sidebar's sheets, pickers and alert by keyboard alone, and the
// motions of the sheets and the switcher.
SidebarTestCase {
    id: testCase
    name: "SidebarKeyboard"

    // Tab (or Shift+Tab) until the keyboard is on the named control; every
    // stop shows where the keyboard is.
    function tabTo(name, backwards) {
        for (let i = 0; i < 80; ++i) {
            keyClick(Qt.Key_Tab, backwards ? Qt.ShiftModifier : Qt.NoModifier)
            const item = testCase.Window.activeFocusItem
            verify(item, "nothing has the focus")
            if (item.visualFocus !== undefined)
                verify(item.visualFocus, item.objectName + " shows no focus ring")
            if (item.objectName === name)
                return item
        }
        fail(name + " is out of the keyboard's reach")
    }
    // The keyboard on the "New Folder" button, as Tab from the window's
    // start puts it there.
    function focusNewFolder() {
        return tabTo("newFolderButton")
    }

    // A sheet by keyboard: the swatches and icons by Tab and Space, Return
    // on "Cancel" cancels (not the confirm button), Return elsewhere
    // confirms, and the keyboard goes back to "New Folder".
    function test_aSheetWorksByKeyboardAlone() {
        const t = makeSidebar()
        const newFolder = focusNewFolder()
        keyClick(Qt.Key_Space)
        const sheet = findChild(t.sidebar, "createFolderSheet")
        settled(sheet)
        const field = findChild(sheet.contentItem, "customizerNameField")
        tryVerify(() => field.activeFocus)
        keyClick("W")
        tabTo("color:Red")
        keyClick(Qt.Key_Space)
        compare(t.controller.selectedFolderColor, "#FF3B30")
        tabTo("icon:tag.fill")
        keyClick(Qt.Key_Return)
        compare(t.controller.selectedFolderIcon, "tag.fill")
        verify(sheet.visible)
        tabTo("sheetCancelButton")
        keyClick(Qt.Key_Return)
        tryVerify(() => !sheet.visible)
        compare(t.fixture.folderNames(), [])
        tryVerify(() => newFolder.activeFocus)
        verify(newFolder.visualFocus)

        keyClick(Qt.Key_Space)
        settled(sheet)
        keyClick("W")
        tabTo("sheetConfirmButton", true)
        keyClick(Qt.Key_Space)
        tryVerify(() => !sheet.visible)
        compare(t.fixture.folderNames(), ["W"])
        tryVerify(() => newFolder.activeFocus)
    }

    // The pickers and the alert by keyboard: Tab and Space or Return reach
    // every choice and field, Escape closes, and the keyboard goes back.
    function test_pickersAndAlertWorkByKeyboardAlone_data() {
        return [ { tag: "colour", action: SidebarController.FolderAction.changeColor, name: "colorPopover" },
                 { tag: "icon", action: SidebarController.FolderAction.changeIcon, name: "iconPopover" },
                 { tag: "alert", action: SidebarController.FolderAction.deleteFolder, name: "deleteFolderAlert" } ]
    }
    function test_pickersAndAlertWorkByKeyboardAlone(data) {
        const t = makeSidebar()
        const folder = t.fixture.makeFolder("Work", "")
        const newFolder = focusNewFolder()
        t.controller.triggerMenu(data.action, folder)
        const surface = findChild(t.sidebar, data.name)
        settled(surface)
        const row = () => { const rows = findChild(t.sidebar, "folderRows"); return rows.itemAt(0) }
        if (data.tag === "colour") {
            tabTo("preset:Green")
            keyClick(Qt.Key_Space)
            compare(row().tint, Colors.hex("#34C759"))
            tabTo("hexField", true)
            keyClick(Qt.Key_A, Qt.ControlModifier)
            for (const c of "FF9500")
                keyClick(c)
            keyClick(Qt.Key_Return)
            compare(row().folderColor, "#FF9500")
            tabTo("fieldR")
            keyClick(Qt.Key_A, Qt.ControlModifier)
            keyClick("0")
            keyClick(Qt.Key_Return)
            compare(row().folderColor, "#009500")
        } else if (data.tag === "icon") {
            tabTo("iconModeFilled")
            keyClick(Qt.Key_Space)
            tabTo("iconCell:cube.fill")
            keyClick(Qt.Key_Space)
            compare(row().icon, "cube.fill")
            const area = findChild(surface.contentItem, "iconScrollBar").parent
            verify(area.contentItem.contentX > 0, "the keyboard's cell is scrolled to")
            verify(surface.visible)
        } else {
            tabTo("deleteCancelButton")
            keyClick(Qt.Key_Return)
            tryVerify(() => !surface.visible)
            compare(t.fixture.folderNames(), ["Work"])
            tryVerify(() => newFolder.activeFocus)
            t.controller.triggerMenu(data.action, folder)
            settled(surface)
            tabTo("deleteConfirmButton")
            keyClick(Qt.Key_Return)
            tryVerify(() => !surface.visible)
            compare(t.fixture.folderNames(), [])
            tryVerify(() => newFolder.activeFocus)
            return
        }
        keyClick(Qt.Key_Escape)
        tryVerify(() => !surface.visible)
        tryVerify(() => newFolder.activeFocus)
    }

    // The switcher opens its menu from the keyboard.
    function test_switcherOpensFromTheKeyboard() {
        const t = makeSidebar()
        const switcher = findChild(t.sidebar, "workspaceSwitcher")
        const label = tabTo("workspaceMenuButton")
        keyClick(Qt.Key_Space)
        tryVerify(() => switcher.menu && switcher.menu.opened)
        keyClick(Qt.Key_Escape)
        tryVerify(() => switcher.menu === null)
        tryVerify(() => label.activeFocus)
    }

    // Each motion runs with its duration and curve: the swatch's and the
    // icon cells' spring (0.25 s, damping 0.75), the preview's spring on a
    // new icon (0.35 s, 0.7), and the workspace switch (0.2 s ease-in-out).
    function test_motionsHaveTheirDurationsAndCurves() {
        const t = makeSidebar()
        t.controller.beginCreateWorkspace()
        const sheet = findChild(t.sidebar, "createWorkspaceSheet")
        settled(sheet)
        const springs = [
            { name: "color:Red", response: 0.25, damping: 0.75 },
            { name: "icon:atom", response: 0.25, damping: 0.75 },
            { name: "iconChangeSpring", response: 0.35, damping: 0.7 },
        ]
        for (const s of springs) {
            const item = itemNamed(sheet.contentItem, s.name)
            const a = item ? item.selectionSpring : findChild(sheet.contentItem, s.name)
            verify(a, s.name)
            compare(a.duration, Style.springDuration(s.response), s.name)
            compare(a.easing.type, Easing.OutBack, s.name)
            compare(a.easing.overshoot, Style.springOvershoot(s.damping), s.name)
        }
        mouseClick(itemNamed(sheet.contentItem, "icon:atom"))
        verify(findChild(sheet.contentItem, "iconChangeAnimation").running, "a new icon springs in")
        keyClick(Qt.Key_Escape)
        tryVerify(() => !sheet.visible)

        for (const name of ["tintAnimation", "workspaceSwitchAnimation", "folderSwitchAnimation"]) {
            const a = findChild(t.sidebar, name) || findChild(t.sidebar, "workspaceSwitcher")[name]
            verify(a, name)
            compare(a.duration, 200, name)
            compare(a.easing.type, Easing.InOutQuad, name)
        }
        t.fixture.workspaceManager.createWorkspace("Play", "house.fill", "#FF3B30")
        verify(findChild(t.sidebar, "workspaceSwitchAnimation").running)
        verify(findChild(t.sidebar, "folderSwitchAnimation").running)
    }

    // The confirm button is filled with the accent colour; the chosen
    // swatch casts its soft shadow, the others their sharp one.
    function test_sheetLooks() {
        const t = makeSidebar()
        t.controller.newFolder()
        const sheet = findChild(t.sidebar, "createFolderSheet")
        settled(sheet)
        const fill = itemNamed(itemNamed(sheet.contentItem, "sheetConfirmButton"), "prominentFill")
        compare(fill.color, sheet.palette.highlight)
        const shadowOf = name => itemNamed(itemNamed(sheet.contentItem, name), "swatchShadow")
        tryCompare(shadowOf("color:Blue"), "opacity", 1)
        compare(shadowOf("color:Red").opacity, 0)
        compare(shadowOf("color:Blue").status, Image.Ready)
        keyClick(Qt.Key_Escape)
        tryVerify(() => !sheet.visible)
    }
}
