import QtQuick
import QtQuick.Controls
import QtTest
import Brimlark.Grid
import Brimlark.Uninstaller

// What the grid lays over itself (menus, the panel, the app picker, the
// uninstall sheet, the lock screens): a press inside stays there, a name a
// user or bundle supplied shows as written, and the picker leaves the
// keyboard with its search field.
TestCase {
    id: test
    name: "GridSurfaces"
    when: windowShown
    visible: true
    width: 1200
    height: 800

    readonly property string oddName: "<img src=\"x\"> <b>R&D</b> & Co"
    property var fixture
    // Presses that got through to what lies under the grid's surfaces.
    property int tapsUnder: 0

    // Under everything: counts each press nothing above it took.
    TapHandler {
        acceptedButtons: Qt.LeftButton | Qt.RightButton
        onTapped: test.tapsUnder += 1
    }

    Component {
        id: gridComponent
        AppGridView {
            anchors.fill: parent
            uninstallerSheet: Component {
                AppUninstallerView {}
            }
        }
    }

    function init() {
        failOnWarning(/.?/)
        tapsUnder = 0
        fixture = GridTest.fixture()
    }

    function cleanup() {
        fixture = null
    }

    function makeGrid() {
        const grid = createTemporaryObject(gridComponent, test, { "viewModel": fixture.viewModel })
        verify(grid)
        return grid
    }

    function layoutItem(grid) {
        const loader = findChild(grid, "gridLayout")
        return loader ? loader.item : null
    }

    function collect(item, name, out) {
        if (item.objectName === name && item.visible)
            out.push(item)
        for (let i = 0; i < item.children.length; ++i)
            collect(item.children[i], name, out)
        return out
    }

    function cardTitled(grid, title) {
        for (const card of collect(grid, "categoryCard", [])) {
            if (card.controller.title === title)
                return card
        }
        return null
    }

    function menuRowTexts(menu) {
        return collect(menu.contentItem, "plainMenuItemText", [])
    }

    function checkPlain(texts, expected, where) {
        verify(texts.length > 0, where)
        for (const t of texts) {
            compare(t.text, expected)
            compare(t.textFormat, Text.PlainText)
        }
    }

    function pressEverywhere(surface, points) {
        for (const p of points) {
            mouseClick(surface, p.x, p.y, Qt.LeftButton)
            mouseClick(surface, p.x, p.y, Qt.RightButton)
        }
    }

    function test_namesShowAsWrittenInCardsMenusPanelAndPicker() {
        fixture.publishIn(["Alpha", test.oddName], [test.oddName, test.oddName])
        fixture.setSortOption("Category")
        fixture.makeFolder(test.oddName, [])
        const grid = makeGrid()

        // The folder card's title and its help text.
        const cards = collect(grid, "categoryCard", []).filter(c => c.controller.title === test.oddName)
        compare(cards.length, 2)
        for (const card of cards)
            checkPlain([findChild(card, "cardTitle")], test.oddName, "card title")

        // The category card's submenu of folders, its row and its entries.
        const category = cards.find(c => !c.controller.isFolder)
        mouseClick(category, category.width / 2, category.height - 24, Qt.RightButton)
        const menu = category.openedMenu
        tryCompare(menu, "opened", true)
        waitForItemPolished(menu.contentItem)
        const row = menu.itemAt(2)
        mouseClick(row)
        tryCompare(row.subMenu, "opened", true)
        checkPlain(menuRowTexts(row.subMenu), test.oddName, "card submenu")
        // "&" is no mnemonic: Alt with the letter after it chooses nothing.
        keyClick(Qt.Key_D, Qt.AltModifier)
        compare(fixture.folderMembers(test.oddName), [])
        menu.close()

        // The panel's title.
        grid.controller.expandedCategoryName = test.oddName
        const title = findChild(findChild(grid, "categoryPanel"), "panelTitle")
        checkPlain([title], test.oddName)
        grid.controller.expandedCategoryName = undefined

        // The picker's line naming the folder and its cells.
        fixture.setAppPicker(fixture.makeFolder(test.oddName, []))
        const sheet = findChild(grid, "appPickerSheet")
        tryCompare(sheet, "opened", true)
        const picker = sheet.contentItem.item
        waitForItemPolished(findChild(picker, "pickerGrid"))
        compare(findChild(picker, "pickerSubtitle").text, "Select apps to add to " + test.oddName)
        compare(findChild(picker, "pickerSubtitle").textFormat, Text.PlainText)
        const names = collect(picker, "pickerCellName", []).filter(t => t.text === test.oddName)
        checkPlain(names, test.oddName, "picker cells")
        keyClick(Qt.Key_Escape)
        tryVerify(() => fixture.appPickerFolderName() === "")
    }

    function test_aTileMenuShowsFolderNamesAsWritten() {
        fixture.publish(["Alpha"])
        fixture.makeFolder(test.oddName, [])
        const grid = makeGrid()
        const tile = collect(grid, "appTile", [])[0]
        mouseClick(tile, tile.width / 2, tile.height / 2, Qt.RightButton)
        const menu = tile.openedMenu
        tryCompare(menu, "opened", true)
        waitForItemPolished(menu.contentItem)
        const row = menu.itemAt(6)
        mouseClick(row)
        tryCompare(row.subMenu, "opened", true)
        checkPlain(menuRowTexts(row.subMenu), test.oddName)
        keyClick(Qt.Key_D, Qt.AltModifier)
        compare(fixture.folderMembers(test.oddName), [])
        menu.close()
    }

    function test_pressesInsideThePanelStayThere() {
        fixture.publishIn(["Alpha", "Bravo"], ["Utilities", "Games"])
        fixture.setSortOption("Category")
        const grid = makeGrid()
        const card = cardTitled(grid, "Games")
        verify(card)
        grid.controller.expandedCategoryName = "Utilities"
        const panel = findChild(grid, "categoryPanel")
        tryCompare(panel, "opacity", 1)
        pressEverywhere(panel, [Qt.point(40, 40), Qt.point(panel.width / 2, panel.height - 10),
                                Qt.point(panel.width - 10, panel.height / 2)])
        compare(tapsUnder, 0)
        compare(grid.controller.expandedCategoryName, "Utilities")
        // The backdrop closes on a click of its own, and passes nothing on.
        const backdrop = findChild(grid, "panelBackdrop")
        mouseClick(backdrop, 5, backdrop.height - 5, Qt.RightButton)
        compare(tapsUnder, 0)
        verify(card.openedMenu === null)
    }

    function test_pressesInsideMenusAndSheetsStayThere() {
        fixture.publish(["Alpha", "Bravo"])
        const folder = fixture.makeFolder("Work", [])
        const grid = makeGrid()
        const tile = collect(grid, "appTile", [])[0]
        mouseClick(tile, tile.width / 2, tile.height / 2, Qt.RightButton)
        const menu = tile.openedMenu
        tryCompare(menu, "opened", true)
        waitForItemPolished(menu.contentItem)
        // The tile's own click is no surface's: count from here.
        tapsUnder = 0
        // A divider of the menu.
        mouseClick(menu.itemAt(1))
        compare(tapsUnder, 0)
        compare(fixture.launched.length, 0)
        menu.close()
        tryCompare(menu, "visible", false)

        fixture.setAppPicker(folder)
        const sheet = findChild(grid, "appPickerSheet")
        tryCompare(sheet, "opened", true)
        const picker = sheet.contentItem.item
        pressEverywhere(picker, [Qt.point(10, 10), Qt.point(picker.width / 2, picker.height - 5)])
        compare(tapsUnder, 0)
        compare(fixture.launched.length, 0)
        keyClick(Qt.Key_Escape)
        tryVerify(() => fixture.appPickerFolderName() === "")

        fixture.askToUninstall("Alpha")
        const uninstall = findChild(grid, "uninstallerSheet")
        tryCompare(uninstall, "opened", true)
        const view = uninstall.contentItem.item
        pressEverywhere(view, [Qt.point(view.width / 2, 6)])
        compare(tapsUnder, 0)
        view.dismiss()
    }

    function test_pressesOnTheLockScreensStayThere() {
        fixture.publish(["Alpha"])
        const grid = makeGrid()
        fixture.selectSection("hidden")
        compare(grid.pane.item.objectName, "setupHiddenLockView")
        pressEverywhere(grid.pane.item, [Qt.point(10, 10), Qt.point(grid.pane.width - 10, grid.pane.height - 10)])
        compare(tapsUnder, 0)
        verify(fixture.setPassword("pw"))
        compare(layoutItem(grid).objectName, "hiddenSectionView")
        fixture.viewModel.hiddenItemsLock.lock()
        compare(grid.pane.item.objectName, "unlockHiddenView")
        pressEverywhere(grid.pane.item, [Qt.point(10, 10), Qt.point(grid.pane.width - 10, grid.pane.height - 10)])
        compare(tapsUnder, 0)
    }

    function test_markingInThePickerLeavesTheTypingInItsSearchField() {
        fixture.publish(["Alpha", "Bravo", "Charlie"])
        const grid = makeGrid()
        fixture.setAppPicker(fixture.makeFolder("Work", []))
        const sheet = findChild(grid, "appPickerSheet")
        tryCompare(sheet, "opened", true)
        const picker = sheet.contentItem.item
        const field = findChild(picker, "pickerSearchField")
        tryVerify(() => field.activeFocus)
        const cells = collect(picker, "pickerCell", [])
        compare(cells.length, 3)
        mouseClick(cells[1])
        compare(picker.controller.markedPaths.length, 1)
        verify(field.activeFocus)
        // A marked cell shows its glow.
        verify(findChild(cells[1], "pickerCellGlow").visible)
        keyClick(Qt.Key_C)
        compare(picker.controller.searchQuery, "c")
        keyClick(Qt.Key_Escape)
        tryVerify(() => fixture.appPickerFolderName() === "")
    }
}
