import QtQuick
import QtQuick.Controls
import QtTest
import Brimlark.Sidebar

// The sidebar's sheets, pickers, menus and alert in a window of the
// smallest size the launcher allows, over a stand-in for the app grid.
TestCase {
    id: testCase
    name: "SidebarSurfaces"
    when: windowShown
    visible: true
    width: 900
    height: 600

    readonly property string oddName: "<img src=\"x\"> <b>R&D</b> & Co"

    // Stands for the grid's tiles under every surface: a tap that reaches
    // it would launch an application.
    Rectangle {
        id: under
        anchors.fill: parent
        color: "white"
        property int taps: 0
        TapHandler { onTapped: under.taps += 1 }
    }

    Component {
        id: sidebarComponent
        SidebarView { width: 240; height: 600 }
    }

    // A surface is on screen and laid out (its layout settles on a frame).
    function settled(popup) {
        tryVerify(() => popup && popup.opened)
        tryVerify(() => !isPolishScheduled(popup.contentItem))
    }

    function init() {
        failOnWarning(/.?/)
        under.taps = 0
    }

    function makeSidebar() {
        const fixture = SidebarTest.fixture()
        const sidebar = createTemporaryObject(sidebarComponent, testCase, { viewModel: fixture.viewModel, workspaceManager: fixture.workspaceManager })
        return { fixture: fixture, sidebar: sidebar }
    }

    function descendants(root, accept, out) {
        const stack = [root]
        while (stack.length) {
            const item = stack.pop()
            if (!item || !item.visible)
                continue
            if (accept(item))
                out.push(item)
            for (let i = 0; i < item.children.length; ++i)
                stack.push(item.children[i])
        }
        return out
    }
    function named(root, prefix) {
        return descendants(root, i => i.objectName.startsWith(prefix), [])
    }
    function rowNamed(root, name) {
        // A folder row is one the list holds now: rows of a list made anew
        // linger until the event loop deletes them.
        const rows = findChild(root, "folderRows")
        if (rows) {
            wait(0)
            const list = findChild(root, "sidebarList")
            tryVerify(() => !isPolishScheduled(list))
        }
        for (let i = 0; rows && i < rows.count; ++i) {
            if (rows.itemAt(i).title === name)
                return rows.itemAt(i)
        }
        return descendants(root, i => i.title === name || i.objectName === name || (i.text === name && i.clicked !== undefined), [])[0] || null
    }
    // A menu row clicked right after the click that opened the menu would
    // arrive as a double click.
    function menuClick(item) {
        mouseClick(item, item.width / 2, item.height / 2, Qt.LeftButton, Qt.NoModifier, Qt.styleHints.mouseDoubleClickInterval + 50)
    }
    function openWorkspaceMenu(t) {
        const switcher = findChild(t.sidebar, "workspaceSwitcher")
        mouseClick(findChild(t.sidebar, "workspaceMenuButton"))
        tryVerify(() => switcher.menu && switcher.menu.opened)
        settled(switcher.menu)
        return switcher.menu
    }
    function openFolderMenu(t, name) {
        const row = rowNamed(t.sidebar, name)
        mouseClick(row, row.width / 2, row.height / 2, Qt.RightButton)
        const menu = findChild(t.sidebar, "folderMenu")
        settled(menu)
        return menu
    }

    // Every press inside a surface stays there: the swatches, the cells, the
    // wheel, the fields and the surface's own background.
    function test_pressInsideASurfaceStaysThere_data() {
        const sheetTargets = s => named(s.contentItem, "color:").concat(named(s.contentItem, "icon:"), [s.contentItem])
        return [
            { tag: "Create Folder", name: "createFolderSheet", open: t => mouseClick(rowNamed(t.sidebar, "New Folder")), targets: sheetTargets },
            { tag: "Edit Folder", name: "editFolderSheet", open: t => t.sidebar.controller.triggerMenu(SidebarController.FolderAction.rename, t.folder), targets: sheetTargets },
            { tag: "Create Workspace", name: "createWorkspaceSheet", open: t => t.sidebar.controller.beginCreateWorkspace(), targets: sheetTargets },
            { tag: "Edit Workspace", name: "editWorkspaceSheet", open: t => t.sidebar.controller.beginEditWorkspace(t.sidebar.controller.workspaceRows[0].idText), targets: sheetTargets },
            { tag: "colour picker", name: "colorPopover", open: t => t.sidebar.controller.triggerMenu(SidebarController.FolderAction.changeColor, t.folder),
              targets: s => named(s.contentItem, "preset:").concat(named(s.contentItem, "colorWheel"), named(s.contentItem, "hexField"), [s.contentItem]) },
            { tag: "icon picker", name: "iconPopover", open: t => t.sidebar.controller.triggerMenu(SidebarController.FolderAction.changeIcon, t.folder),
              targets: s => named(s.contentItem, "iconCell:").filter(c => c.mapToItem(s.contentItem, 16, 16).x < s.contentItem.width)
                                .concat(named(s.contentItem, "iconMode"), [s.contentItem]) },
            { tag: "delete confirmation", name: "deleteFolderAlert", open: t => t.sidebar.controller.triggerMenu(SidebarController.FolderAction.deleteFolder, t.folder),
              targets: s => [s.contentItem] },
        ]
    }
    function test_pressInsideASurfaceStaysThere(data) {
        const t = makeSidebar()
        t.folder = t.fixture.makeFolder("Work", "")
        data.open(t)
        const surface = findChild(t.sidebar, data.name)
        settled(surface)
        const targets = data.targets(surface)
        verify(targets.length > 0)
        for (const target of targets) {
            mouseClick(target)
            verify(surface.visible, target.objectName)
        }
        compare(under.taps, 0)
        compare(t.fixture.selectionKind(), 0)
        surface.close()
        tryVerify(() => !surface.visible)
    }

    // A menu's rows take their clicks too.
    function test_pressInAMenuStaysThere() {
        const t = makeSidebar()
        t.fixture.makeFolder("Work", "")
        t.fixture.makeFolder("Games", "")
        menuClick(rowNamed(openFolderMenu(t, "Work").contentItem, "Pin Folder"))
        tryVerify(() => !findChild(t.sidebar, "folderMenu").visible)
        const menu = openWorkspaceMenu(t)
        menuClick(findChild(menu.contentItem, "workspaceRow:Default"))
        compare(under.taps, 0)
    }

    // The pickers of the last folder row of a small window open whole,
    // inside the window, at their sizes.
    function test_pickersOnTheLastRowStayInsideTheWindow_data() {
        return [
            { tag: "colour", action: SidebarController.FolderAction.changeColor, name: "colorPopover", width: 200 + 2 * 12 },
            { tag: "icon", action: SidebarController.FolderAction.changeIcon, name: "iconPopover", width: 360 },
        ]
    }
    function test_pickersOnTheLastRowStayInsideTheWindow(data) {
        const t = makeSidebar()
        for (let i = 0; i < 12; ++i)
            t.fixture.makeFolder("F" + i, "")
        const last = rowNamed(t.sidebar, "F11")
        verify(last.mapToItem(null, 0, 0).y > testCase.height - 200)
        t.sidebar.controller.triggerMenu(data.action, last.folder)
        const popover = findChild(t.sidebar, data.name)
        settled(popover)
        compare(popover.width, data.width)
        const box = popover.contentItem.parent
        const p = box.mapToItem(null, 0, 0)
        verify(p.x >= 0 && p.y >= 0, "at " + p.x + "," + p.y)
        verify(p.x + box.width <= testCase.width, "right edge " + (p.x + box.width))
        verify(p.y + box.height <= testCase.height, "bottom edge " + (p.y + box.height))
    }

    // The icon picker's columns scroll sideways under a visible bar.
    function test_iconPickerScrollsSideways() {
        const t = makeSidebar()
        t.sidebar.controller.triggerMenu(SidebarController.FolderAction.changeIcon, t.fixture.makeFolder("Work", ""))
        const popover = findChild(t.sidebar, "iconPopover")
        settled(popover)
        const bar = findChild(popover.contentItem, "iconScrollBar")
        const area = bar.parent
        verify(area.contentWidth > area.width)
        verify(bar.width > area.width / 2, "bar width " + bar.width)
        compare(bar.y + bar.height, area.height)
        const lastCell = named(popover.contentItem, "iconCell:cube")[0]
        verify(lastCell.mapToItem(area, 0, 0).x > area.width)
    }

    function plainTexts(root, text) {
        return descendants(root, i => i.text === text && i.textFormat !== undefined && i.clicked === undefined && i.length === undefined, [])
    }
    function verifyPlain(root, text, what) {
        const texts = plainTexts(root, text)
        verify(texts.length > 0, what + ": not shown")
        for (const shown of texts)
            compare(shown.textFormat, Text.PlainText, what)
    }

    // A name a user gave shows as written, markup and "&" included, in
    // every place the sidebar shows one.
    function test_suppliedNamesShowAsWritten() {
        const t = makeSidebar()
        // A new workspace becomes the active one: the folder is made in it.
        t.fixture.workspaceManager.createWorkspace(oddName, "briefcase.fill", "#FF3B30")
        const folder = t.fixture.makeFolder(oddName, "")

        verifyPlain(rowNamed(t.sidebar, oddName), oddName, "folder row")
        verifyPlain(findChild(t.sidebar, "workspaceSwitcher"), oddName, "switcher")

        // The switcher's menu: the workspace rows, and "Manage" with one
        // submenu titled after each workspace.
        const menu = openWorkspaceMenu(t)
        compare(findChild(findChild(menu.contentItem, "workspaceRow:" + oddName), "plainMenuItemText").text, oddName)
        let manageRow = null
        for (let i = 0; i < menu.count; ++i) {
            if (menu.itemAt(i).subMenu)
                manageRow = menu.itemAt(i)
        }
        verify(manageRow !== null)
        compare(findChild(manageRow, "plainMenuItemText").text, "Manage")
        menuClick(manageRow)
        const manage = manageRow.subMenu
        settled(manage)
        const titles = []
        for (let i = 0; i < manage.count; ++i)
            titles.push(findChild(manage.itemAt(i), "plainMenuItemText").text)
        compare(titles, ["Default", oddName])
        menuClick(manage.itemAt(1))
        const sub = manage.itemAt(1).subMenu
        settled(sub)
        menuClick(findChild(sub.contentItem, "editWorkspaceItem"))
        const editWorkspace = findChild(t.sidebar, "editWorkspaceSheet")
        settled(editWorkspace)
        compare(findChild(editWorkspace.contentItem, "customizerNameField").text, oddName)
        mouseClick(rowNamed(editWorkspace.contentItem, "Cancel"))
        tryVerify(() => !editWorkspace.visible)

        // The folder's sheet and delete confirmation.
        t.sidebar.controller.triggerMenu(SidebarController.FolderAction.rename, folder)
        const editFolder = findChild(t.sidebar, "editFolderSheet")
        settled(editFolder)
        compare(findChild(editFolder.contentItem, "customizerNameField").text, oddName)
        mouseClick(rowNamed(editFolder.contentItem, "Cancel"))
        tryVerify(() => !editFolder.visible)
        t.sidebar.controller.triggerMenu(SidebarController.FolderAction.deleteFolder, folder)
        const alert = findChild(t.sidebar, "deleteFolderAlert")
        settled(alert)
        verifyPlain(alert.contentItem.parent, "Are you sure you want to delete '" + oddName + "'? This action cannot be undone.", "alert")
        mouseClick(findChild(alert, "deleteCancelButton"))
        tryVerify(() => !alert.visible)
    }
}
