import QtQuick
import QtTest
import Brimlark.Sidebar

// What the sidebar's view tests share: a sidebar over a fresh catalog, and
// ways to find its rows and wait for its surfaces.
TestCase {
    id: testCase
    when: windowShown
    visible: true
    width: 900
    height: 600

    Component {
        id: sidebarComponent
        SidebarView { width: 240; height: testCase.height }
    }

    function init() {
        failOnWarning(/.?/)
    }

    function makeSidebar() {
        const fixture = SidebarTest.fixture()
        const sidebar = createTemporaryObject(sidebarComponent, testCase, { viewModel: fixture.viewModel, workspaceManager: fixture.workspaceManager })
        return { fixture: fixture, sidebar: sidebar, controller: sidebar.controller }
    }

    // A surface is on screen and laid out (its layout settles on a frame).
    function settled(popup) {
        tryVerify(() => popup && popup.opened)
        tryVerify(() => !isPolishScheduled(popup.contentItem))
    }

    // The visible items under root that accept() takes, delegates included;
    // with `opaque`, only those not faded out either.
    function descendants(root, accept, opaque) {
        const out = []
        const stack = [root]
        while (stack.length) {
            const item = stack.pop()
            if (!item || !item.visible || (opaque && item.opacity === 0))
                continue
            if (accept(item))
                out.push(item)
            for (let i = 0; i < item.children.length; ++i)
                stack.push(item.children[i])
        }
        return out
    }
    function itemNamed(root, name) {
        return descendants(root, i => i.objectName === name)[0] || null
    }

    // A row or button by its title, text or name.
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
        return descendants(root, i => i.title === name || i.objectName === name || (i.text === name && i.clicked !== undefined))[0] || null
    }

    // A menu row clicked right after the click that opened the menu would
    // arrive as a double click.
    function menuClick(item) {
        mouseClick(item, item.width / 2, item.height / 2, Qt.LeftButton, Qt.NoModifier, Qt.styleHints.mouseDoubleClickInterval + 50)
    }

    function openFolderMenu(t, name) {
        const row = rowNamed(t.sidebar, name)
        mouseClick(row, row.width / 2, row.height / 2, Qt.RightButton)
        const menu = findChild(t.sidebar, "folderMenu")
        settled(menu)
        return menu
    }
    function openWorkspaceMenu(t) {
        const switcher = findChild(t.sidebar, "workspaceSwitcher")
        mouseClick(findChild(t.sidebar, "workspaceMenuButton"))
        tryVerify(() => switcher.menu && switcher.menu.opened)
        settled(switcher.menu)
        return switcher.menu
    }
}
