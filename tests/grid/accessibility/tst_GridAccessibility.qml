import QtQuick
import QtQuick.Controls
import QtTest
import Brimlark.Grid

// The grid as assistive technology and the keyboard meet it: each kind of
// node read through Qt's accessibility bridge on the real items, and the
// lock screens, the panel and the picker worked by keys alone.
TestCase {
    id: test
    name: "GridAccessibility"
    when: windowShown
    visible: true
    width: 1000
    height: 700

    property var fixture

    Component {
        id: loadingComponent
        ModernLoadingView {}
    }
    Component {
        id: tileComponent
        AppItemView {}
    }
    Component {
        id: gridComponent
        AppGridView {
            anchors.fill: parent
        }
    }

    function init() {
        failOnWarning(/.?/)
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
        return findChild(grid, "gridLayout").item
    }

    // The node as assistive technology has it: role, name and states.
    function checkNode(item, role, name, where) {
        verify(item, where)
        const node = GridTest.node(item)
        compare(node.role, role, where + ": role")
        compare(node.name, name, where + ": name")
        verify(!node.invisible, where + ": showing")
        return node
    }

    function collect(item, name, out) {
        if (item.objectName === name && item.visible)
            out.push(item)
        for (let i = 0; i < item.children.length; ++i)
            collect(item.children[i], name, out)
        return out
    }

    // Tab until the item has the keyboard (once round the toolbar at most);
    // with `ring`, it shows the focus ring too.
    function tabTo(item, ring) {
        for (let i = 0; i < 16 && !item.activeFocus; ++i)
            keyClick(Qt.Key_Tab)
        verify(item.activeFocus, item.objectName)
        verify(!ring || item.visualFocus, item.objectName + " shows no focus ring")
    }

    function typeText(text) {
        for (const c of text)
            keyClick(c)
    }

    function test_lockScreensReadTheirHeadingsFieldsAndErrors() {
        fixture.publish(["Alpha"])
        const grid = makeGrid()
        fixture.selectSection("hidden")
        let screen = grid.pane.item
        checkNode(findChild(screen, "setupHeading"), Accessible.StaticText, "Secure Hidden Items", "heading")
        checkNode(findChild(screen, "setupExplanation"), Accessible.StaticText,
                  "Set a password to protect your hidden apps and folders.", "message")
        checkNode(findChild(screen, "setupPasswordField"), Accessible.EditableText, "Enter Password", "field")
        checkNode(findChild(screen, "setupConfirmField"), Accessible.EditableText, "Confirm Password", "field")
        // Typed in, a mismatch is an alert named by its text.
        tryVerify(() => findChild(screen, "setupPasswordField").activeFocus)
        typeText("ab")
        // A reader hears the mask the screen shows, never the password.
        const typed = GridTest.node(findChild(screen, "setupPasswordField"))
        verify(typed.passwordEdit)
        compare(typed.text, findChild(screen, "setupPasswordField").displayText)
        verify(typed.text.length > 0 && !/[ab]/.test(typed.text), typed.text)
        tabTo(findChild(screen, "setupConfirmField"))
        typeText("ba")
        tabTo(findChild(screen, "setPasswordButton"), true)
        keyClick(Qt.Key_Return)
        checkNode(findChild(screen, "setupErrorMessage"), Accessible.AlertMessage, "Passwords do not match", "error")

        verify(fixture.setPassword("pw"))
        fixture.viewModel.hiddenItemsLock.lock()
        screen = grid.pane.item
        compare(screen.objectName, "unlockHiddenView")
        checkNode(findChild(screen, "unlockHeading"), Accessible.StaticText, "Hidden Items Locked", "heading")
        checkNode(findChild(screen, "unlockPasswordField"), Accessible.EditableText, "Enter Password", "field")
        // The Unlock button by Tab and Space, with the wrong password.
        tryVerify(() => findChild(screen, "unlockPasswordField").activeFocus)
        typeText("px")
        tabTo(findChild(screen, "unlockButton"), true)
        keyClick(Qt.Key_Space)
        const error = findChild(screen, "unlockErrorMessage")
        tryVerify(() => error.visible)
        checkNode(error, Accessible.AlertMessage, "Incorrect Password", "error")
        verify(!fixture.viewModel.hiddenItemsLock.isUnlocked)
        // Back in the field, the right one and Return.
        keyClick(Qt.Key_Tab, Qt.ShiftModifier)
        keyClick(Qt.Key_A, Qt.ControlModifier)
        typeText("pw")
        keyClick(Qt.Key_Return)
        tryVerify(() => fixture.viewModel.hiddenItemsLock.isUnlocked)
    }

    function test_onlyTilesOnScreenAreInTheAccessibilityTree() {
        const names = fixture.manyNames(40)
        fixture.publish(names)
        const grid = makeGrid()
        const tiles = layoutItem(grid)
        waitForItemPolished(tiles)
        const onScreen = GridTest.shownButtons(tiles)
        verify(onScreen.length > 3)
        // Tiles kept beyond the window's edge are not on screen.
        const inWindow = collect(tiles, "appTile", []).filter(t => {
            const p = t.mapToItem(test, 0, 0)
            return p.y + t.height > 0 && p.y < test.height
        })
        compare(onScreen.length, inWindow.length)
        // Narrowed to three: the tiles put aside are not reported.
        fixture.viewModel.searchQuery = "App 000"
        waitForItemPolished(tiles)
        compare(GridTest.shownButtons(tiles), ["App 0001", "App 0002", "App 0003", "App 0004", "App 0005",
                                               "App 0006", "App 0007", "App 0008", "App 0009"])
        // Nor are they the list's children, hidden; nothing hidden is.
        compare(GridTest.children(tiles, Accessible.Button), GridTest.shownButtons(tiles))
        compare(GridTest.children(tiles, 0, true), [])
        // An application that left the grid leaves the tree with it.
        fixture.publish(names.filter(n => n !== "App 0002"))
        waitForItemPolished(tiles)
        compare(GridTest.shownButtons(tiles), ["App 0001", "App 0003", "App 0004", "App 0005", "App 0006",
                                               "App 0007", "App 0008", "App 0009"])
    }

    function test_loadingScreenAndMenuRowsSayWhatTheyAre() {
        const loading = createTemporaryObject(loadingComponent, test)
        checkNode(loading.productName, Accessible.StaticText, "Brimlark", "loading name")
        // No folder yet: "Add to Folder" is shown disabled and says so.
        fixture.publish(["Alpha"])
        const tile = createTemporaryObject(tileComponent, test, { "app": fixture.appNamed("Alpha"),
                                                                  "viewModel": fixture.viewModel })
        const menu = tile.openMenu()
        tryCompare(menu, "opened", true)
        waitForItemPolished(menu.contentItem)
        verify(checkNode(menu.itemAt(6), Accessible.MenuItem, "Add to Folder", "submenu row").disabled)
        verify(!checkNode(menu.itemAt(0), Accessible.MenuItem, "Launch", "menu row").disabled)
        menu.close()
    }

    // The current order's tick is told as the row's checked state.
    function test_theSortMenuTicksTheCurrentOrder() {
        fixture.publish(["Alpha"])
        const grid = makeGrid()
        const menu = findChild(grid, "sortMenu")
        for (const chosen of [2, 1]) {
            menu.open()
            tryCompare(menu, "opened", true)
            waitForItemPolished(menu.contentItem)
            if (chosen === 1) {
                const ticked = []
                for (let i = 0; i < menu.count; ++i) {
                    const node = checkNode(menu.itemAt(i), Accessible.MenuItem, menu.itemAt(i).text, "sort option")
                    if (node.checked)
                        ticked.push(i)
                }
                compare(ticked, [2])
            }
            menu.itemAt(chosen).triggered()
            tryCompare(menu, "opened", false)
        }
    }

    function test_emptyStatesAreReadByTheirText() {
        fixture.publish(["Alpha"])
        const grid = makeGrid()
        fixture.selectSection("hidden")
        verify(fixture.setPassword("pw"))
        checkNode(findChild(layoutItem(grid), "noHiddenItemsText"), Accessible.StaticText, "No Hidden Items",
                  "hidden section")
        fixture.makeFolder("Work", [])
        fixture.selectFolder("Work")
        checkNode(findChild(layoutItem(grid), "emptyFolderTitle"), Accessible.StaticText, "No apps in this folder",
                  "empty folder")
    }

    function test_pickerCellsReportTheirMarkAndOnlyThoseInViewAreShown() {
        fixture.publish(fixture.manyNames(120))
        const grid = makeGrid()
        const field = grid.toolbar.searchField
        tryVerify(() => field.activeFocus)
        fixture.setAppPicker(fixture.makeFolder("Work", []))
        const sheet = findChild(grid, "appPickerSheet")
        tryCompare(sheet, "opened", true)
        const picker = sheet.contentItem.item
        const pickerGrid = findChild(picker, "pickerGrid")
        waitForItemPolished(pickerGrid)
        const shown = GridTest.shown(pickerGrid, Accessible.Button)
        verify(shown.length > 0 && shown.length < 60, "cells shown: " + shown.length)
        compare(shown[0], "App 0001")

        // From the search field, Tab reaches the first cell; Space marks it.
        tryVerify(() => findChild(picker, "pickerSearchField").activeFocus)
        keyClick(Qt.Key_Tab)
        const cell = collect(picker, "pickerCell", []).find(c => c.activeFocus)
        verify(cell && cell.visualFocus)
        keyClick(Qt.Key_Space)
        const node = checkNode(cell, Accessible.Button, "App 0001", "marked cell")
        verify(node.checked && node.selected)
        const other = collect(picker, "pickerCell", []).find(c => !c.activeFocus)
        verify(!GridTest.node(other).checked)

        // Done is the accent-filled button; Return presses it, and the
        // keyboard goes back to the search field.
        const done = findChild(picker, "pickerDoneFill")
        const at = done.mapToItem(test, done.width / 2, 3)
        const fill = grabImage(test).pixel(Math.round(at.x), Math.round(at.y))
        verify(fill.b > 0.8 && fill.r < 0.3, "Done's fill: " + fill)
        keyClick(Qt.Key_Return)
        tryVerify(() => fixture.appPickerFolderName() === "")
        compare(fixture.folderMembers("Work").length, 1)
        tryVerify(() => field.activeFocus)
    }

    function test_cardsOutOfViewAreNotShown() {
        const names = fixture.manyNames(24)
        fixture.publishIn(names, names.map(n => "Category " + n))
        fixture.setSortOption("Category")
        const grid = makeGrid()
        const unified = layoutItem(grid)
        waitForItemPolished(unified)
        const shown = GridTest.shownButtons(unified).filter(n => n.startsWith("Category"))
        verify(shown.length > 0 && shown.length < 24, "cards shown: " + shown.length)
        // The lazy grid learns its full height as it goes.
        tryVerify(() => {
            unified.positionViewAtIndex(unified.count - 1, GridView.End)
            waitForItemPolished(unified)
            return unified.atYEnd
        })
        const scrolled = GridTest.shownButtons(unified).filter(n => n.startsWith("Category"))
        verify(scrolled.indexOf("Category App 0024") >= 0)
        verify(scrolled.indexOf(shown[0]) < 0)
        // Nor the "Add Folder" card under the toolbar, and no card keeps a
        // hidden node: every child of the list is one shown.
        compare(GridTest.children(unified, Accessible.Button), GridTest.shownButtons(unified))
        compare(GridTest.children(unified, 0, true), [])
        const card = collect(unified, "categoryCard", [])[0]
        compare(GridTest.children(card, 0, true), [])
    }

    // The toolbar's own buttons by Tab: "Clear Search" hands the keyboard
    // back to the field, "Sort" opens its menu, where Down and Return choose.
    function test_theToolbarsButtonsByTab() {
        fixture.publish(["Alpha", "Beta"])
        const grid = makeGrid()
        const field = grid.toolbar.searchField
        tryVerify(() => field.activeFocus)
        keyClick("a")
        tabTo(findChild(grid, "clearSearchButton"))
        verify(test.Window.activeFocusItem.visualFocus)
        keyClick(Qt.Key_Space)
        compare(fixture.viewModel.searchQuery, "")
        verify(field.activeFocus)
        const sort = findChild(grid, "sortButton")
        tabTo(sort, true)
        keyClick(Qt.Key_Space)
        const menu = findChild(grid, "sortMenu")
        tryCompare(menu, "opened", true)
        keyClick(Qt.Key_Down)
        keyClick(Qt.Key_Down)
        keyClick(Qt.Key_Return)
        tryCompare(menu, "visible", false)
        compare(GridTest.shownButtons(layoutItem(grid)), ["Beta", "Alpha"])
    }

    // One Tab stop for the tiles and one for the cards; the arrows move
    // by column and row, Return opens, the Menu key opens the menu.
    function test_tilesAndCardsByArrows() {
        const names = fixture.manyNames(12)
        fixture.publishIn(names, names.map(n => n === "App 0001" ? "Games" : "Utilities"))
        const grid = makeGrid()
        tryVerify(() => grid.toolbar.searchField.activeFocus)
        const tiles = layoutItem(grid)
        tabTo(tiles)
        const columns = tiles.columns.count
        verify(columns > 1 && columns < 12, "columns: " + columns)
        const nameOf = () => test.Window.activeFocusItem.name
        compare(nameOf(), "App 0001")
        keyClick(Qt.Key_Right)
        compare(nameOf(), "App 0002")
        keyClick(Qt.Key_Down)
        compare(nameOf(), names[1 + columns])
        keyClick(Qt.Key_Return)
        compare(fixture.launched.length, 1)

        fixture.setSortOption("Category")
        const unified = layoutItem(grid)
        waitForItemPolished(unified)
        for (let i = 0; i < 16 && GridTest.node(test.Window.activeFocusItem).name !== "Add Folder"; ++i)
            keyClick(Qt.Key_Tab)
        compare(GridTest.node(test.Window.activeFocusItem).name, "Add Folder")
        keyClick(Qt.Key_Right)
        const card = test.Window.activeFocusItem
        verify(card.visible && card.objectName === "categoryCard", card)
        keyClick(Qt.Key_Menu)
        tryVerify(() => card.openedMenu && card.openedMenu.opened)
        keyClick(Qt.Key_Escape)
        tryVerify(() => card.activeFocus)
        keyClick(Qt.Key_Space)
        tryVerify(() => grid.controller.overlayKind !== AppGridController.OverlayKind.none)
    }

    function test_thePanelByKeyboardAndTheFocusComesBack() {
        fixture.publishIn(["Alpha", "Bravo"], ["Utilities", "Utilities"])
        const grid = makeGrid()
        const field = grid.toolbar.searchField
        tryVerify(() => field.activeFocus)
        grid.controller.expandedCategoryName = "Utilities"
        const panel = findChild(grid, "categoryPanel")
        tryVerify(() => panel.activeFocus)
        checkNode(findChild(panel, "panelTitle"), Accessible.StaticText, "Utilities", "panel title")
        // Escape closes it, and the search field has the keyboard again.
        keyClick(Qt.Key_Escape)
        fixture.advance(200)
        compare(grid.controller.expandedCategoryName, undefined)
        tryVerify(() => field.activeFocus)

        grid.controller.expandedCategoryName = "Utilities"
        const again = findChild(grid, "categoryPanel")
        tryVerify(() => again.activeFocus)
        const close = findChild(again, "panelCloseButton")
        tabTo(close, true)
        waitForItemPolished(findChild(again, "panelApps"))
        // One "Close": the backdrop is no button.
        compare(GridTest.shownButtons(findChild(grid, "categoryModalView")).filter(n => n === "Close").length, 1)
        // The keyboard on an application is on its node, the tile.
        const item = collect(again, "panelItem", [])[0]
        tabTo(item)
        const node = GridTest.node(test.Window.activeFocusItem)
        compare(node.name, "Alpha")
        verify(node.focused)
        keyClick(Qt.Key_Return)
        compare(fixture.launched.length, 1)
        fixture.advance(200)
        compare(grid.controller.expandedCategoryName, undefined)
        tryVerify(() => field.activeFocus)
    }
}
