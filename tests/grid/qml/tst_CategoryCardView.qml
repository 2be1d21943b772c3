import QtQuick
import QtQuick.Controls
import QtTest
import Brimlark.Grid
import Brimlark.Views

// Folder and category cards as the user meets them in the unified grid and
// the hidden section: every menu entry acts, a renamed folder's card shows
// its new name, and hidden folders are offered nowhere as targets.
TestCase {
    id: test
    name: "CategoryCardView"
    when: windowShown
    visible: true
    width: 1200
    height: 800

    property var fixture

    Component {
        id: gridComponent
        AppGridView {
            anchors.fill: parent
        }
    }

    function init() {
        // A menu entry that cannot hand over its action warns
        // "Could not set initial property": that fails the test too.
        failOnWarning(/.?/)
        fixture = GridTest.fixture()
        fixture.publishIn(["Alpha", "Bravo", "Chess"], ["Utilities", "Utilities", "Games"])
        fixture.setSortOption("Category")
    }

    function cleanup() {
        fixture = null
    }

    function makeGrid() {
        const grid = createTemporaryObject(gridComponent, test, { "viewModel": fixture.viewModel })
        verify(grid)
        return grid
    }

    function cards(item, out) {
        if (item.objectName === "categoryCard" && item.visible)
            out.push(item)
        for (let i = 0; i < item.children.length; ++i)
            cards(item.children[i], out)
        return out
    }

    function cardTitled(root, title) {
        return cards(root, []).find(card => card.controller.title === title) || null
    }

    // A folder "Work" and its card in a fresh grid.
    function workCard(members) {
        const folder = fixture.makeFolder("Work", members)
        const grid = makeGrid()
        return { folder: folder, grid: grid, card: cardTitled(grid, "Work") }
    }

    function openMenuOf(card) {
        mouseClick(card, card.width / 2, card.height - 24, Qt.RightButton)
        const menu = card.openedMenu
        verify(menu)
        tryCompare(menu, "opened", true)
        waitForItemPolished(menu.contentItem)
        return menu
    }

    // The menu's rows, separators left out unless asked for.
    function rows(menu, separators) {
        const out = []
        for (let i = 0; i < menu.count; ++i) {
            if (separators || !(menu.itemAt(i) instanceof MenuSeparator))
                out.push(menu.itemAt(i))
        }
        return out
    }

    function entries(menu) {
        return rows(menu, true).map(item => item instanceof MenuSeparator ? "-" : item.text)
    }

    function entryNamed(menu, text) {
        return rows(menu).find(item => item.text === text) || null
    }

    // The symbol each row shows before its text ("" for none).
    function symbols(menu) {
        return rows(menu).map(item => {
            const image = item.contentItem.children[0]
            return image.visible && image.available ? image.name : ""
        })
    }

    // Clicks an entry as the user does; a path through a submenu opens it first.
    function choose(menu, path) {
        let current = menu
        for (let i = 0; i < path.length; ++i) {
            const item = entryNamed(current, path[i])
            verify(item, path[i])
            verify(item.enabled, path[i])
            mouseClick(item)
            if (i < path.length - 1) {
                current = item.subMenu
                tryCompare(current, "opened", true)
                waitForItemPolished(current.contentItem)
            }
        }
        tryCompare(menu, "visible", false)
    }

    function test_folderCardEntries_data() {
        return [
            { tag: "delete", entry: "Delete Folder",
              check: () => compare(fixture.folderNames().indexOf("Work"), -1) },
            { tag: "hide", entry: "Hide Folder Globally",
              check: () => verify(fixture.isFolderHidden("Work")) },
            { tag: "add apps", entry: "Add Apps to this folder",
              check: () => compare(fixture.appPickerFolderName(), "Work") },
        ]
    }

    function test_folderCardEntries(data) {
        const menu = openMenuOf(workCard(["Alpha"]).card)
        compare(entries(menu), ["Rename Folder", "Delete Folder", "Hide Folder Globally", "-",
                                "Add Apps to this folder"])
        compare(symbols(menu), ["pencil", "trash", "eye.slash", "plus.circle"])
        choose(menu, [data.entry])
        data.check()
        fixture.setAppPicker(null)
    }

    // Each way a folder gets a new name: the card it has, not a rebuilt
    // one, shows it in its title, help text and accessible name.
    function test_aRenamedFolderRenamesItsCard_data() {
        return [
            { tag: "from the menu", name: "Play", rename: (grid, card, folder) => {
                  choose(openMenuOf(card), ["Rename Folder"])
                  // The field starts with the whole name selected: typing replaces it.
                  typeInField(card, "Play")
              } },
            { tag: "by double click", name: "X", rename: (grid, card, folder) => {
                  // As in the window: the search field has taken the focus it asks for.
                  tryVerify(() => grid.toolbar.searchField.activeFocus)
                  mouseDoubleClickSequence(findChild(card, "cardTitle"))
                  typeInField(card, "X")
              } },
            { tag: "elsewhere", name: "Office", rename: (grid, card, folder) => {
                  fixture.renameFolder(folder, "Office")
              } },
        ]
    }

    function typeInField(card, text) {
        const field = findChild(card, "folderNameField")
        tryVerify(() => field.visible && field.activeFocus)
        for (const c of text)
            keyClick(c)
        compare(field.text, text)
        keyClick(Qt.Key_Return)
        verify(!field.visible)
    }

    function test_aRenamedFolderRenamesItsCard(data) {
        const { folder, grid, card } = workCard(["Alpha"])
        data.rename(grid, card, folder)
        compare(fixture.folderNames(), [data.name])
        compare(findChild(card, "cardTitle").text, data.name)
        compare(card.controller.helpText, "Folder: " + data.name)
        compare(card.Accessible.name, data.name)
    }

    // Once a rename ends, the hidden name field has let the keyboard go:
    // keys typed later, also after a picker opened from the card has closed,
    // go to the search field and rename nothing.
    function test_keysAfterARenameGoToTheSearchField_data() {
        return [
            { tag: "after Return", then: (grid, card) => {} },
            { tag: "after the picker", then: (grid, card) => {
                  choose(openMenuOf(card), ["Add Apps to this folder"])
                  tryCompare(findChild(grid, "appPickerSheet"), "opened", true)
                  keyClick(Qt.Key_Escape)
                  tryVerify(() => fixture.appPickerFolderName() === "")
                  fixture.advance(0)
              } },
        ]
    }

    function test_keysAfterARenameGoToTheSearchField(data) {
        const { folder, grid, card } = workCard(["Alpha"])
        choose(openMenuOf(card), ["Rename Folder"])
        typeInField(card, "Play")
        // A Return the hidden field still receives renames nothing.
        fixture.renameFolder(folder, "Office")
        findChild(card, "folderNameField").accepted()
        compare(fixture.folderNames(), ["Office"])
        data.then(grid, card)
        tryVerify(() => grid.toolbar.searchField.activeFocus)
        keyClick(Qt.Key_Q)
        keyClick(Qt.Key_Return)
        compare(fixture.viewModel.searchQuery, "q")
        compare(fixture.folderNames(), ["Office"])
    }

    // The picker opened from a card is for the folder as it is now, though
    // the card was made before it was renamed and filled elsewhere.
    function test_thePickerFromACardIsForTheCurrentFolder_data() {
        return [
            { tag: "menu", members: ["Alpha"],
              open: (card) => choose(openMenuOf(card), ["Add Apps to this folder"]) },
            { tag: "empty card", members: [],
              open: (card) => {
                  waitForRendering(card)
                  mouseClick(card, card.width / 2, card.height - 40)
              } },
        ]
    }

    function test_thePickerFromACardIsForTheCurrentFolder(data) {
        const work = workCard(data.members)
        fixture.renameFolder(work.folder, "Office")
        data.open(work.card)
        compare(fixture.appPickerFolderName(), "Office")
        fixture.setAppPicker(null)
    }

    // A hidden folder "Secret"; hiding without a lock went to the hidden
    // section, so back to the cards.
    function hideSecret() {
        fixture.makeFolder("Secret", [])
        fixture.hideFolder("Secret")
        fixture.selectSection("allApps")
    }

    function test_categoryCardEntries() {
        fixture.makeFolder("Work", [])
        hideSecret()
        const grid = makeGrid()
        let menu = openMenuOf(cardTitled(grid, "Utilities"))
        compare(entries(menu), ["Create Folder from Category", "-", "Add All to Existing Folder"])
        // Every row fits the menu: none is cut short.
        for (const text of rows(menu).map(item => findChild(item, "plainMenuItemText")).filter(t => t))
            verify(!text.truncated, text.text)
        // A hidden folder is no target.
        const sub = entryNamed(menu, "Add All to Existing Folder").subMenu
        compare(entries(sub), ["Work"])
        choose(menu, ["Add All to Existing Folder", "Work"])
        compare(fixture.folderMembers("Work"), ["Alpha", "Bravo"])

        menu = openMenuOf(cardTitled(grid, "Games"))
        compare(symbols(menu), ["folder.badge.plus", ""])
        choose(menu, ["Create Folder from Category"])
        compare(fixture.folderMembers("Games"), ["Chess"])
    }

    function test_anEmptyAddAllSubmenuIsDisabled() {
        hideSecret()
        const menu = openMenuOf(cardTitled(makeGrid(), "Utilities"))
        const row = entryNamed(menu, "Add All to Existing Folder")
        verify(!row.enabled)
        compare(row.subMenu.count, 0)
        mouseClick(row)
        verify(!row.subMenu.visible)
        menu.close()
    }

    function test_aHiddenFolderIsUnhiddenFromItsCard() {
        fixture.makeFolder("Secret", ["Alpha"])
        fixture.hideFolder("Secret")
        fixture.selectSection("hidden")
        verify(fixture.setPassword("pw"))
        const grid = makeGrid()
        const section = findChild(grid, "hiddenSectionView")
        verify(section)
        const card = cardTitled(section, "Secret")
        verify(card)
        const menu = openMenuOf(card)
        compare(entries(menu), ["Unhide Folder Globally"])
        choose(menu, ["Unhide Folder Globally"])
        verify(!fixture.isFolderHidden("Secret"))
        tryVerify(() => cardTitled(section, "Secret") === null)
    }

    function unifiedCell(grid, title) {
        let item = cardTitled(grid, title)
        while (item && item.objectName !== "unifiedGridCell")
            item = item.parent
        return item
    }

    function test_aCardUnderADragGrowsAndGlowsBlueWithItsSpring() {
        const grid = makeGrid()
        const cell = unifiedCell(grid, "Games")
        compare(cell.dropShadow.opacity, 0)
        verify(!cell.dropShadow.visible)
        // The spring of response 0.3 and damping fraction 0.825.
        compare(cell.glowSpring.duration, Style.springDuration(0.3))
        compare(cell.glowSpring.easing.type, Easing.OutBack)
        compare(cell.glowSpring.easing.overshoot, Style.springOvershoot(0.825))
        const unified = findChild(grid, "gridLayout").item
        unified.controller.setTargeted(cell.item, true)
        // It glides in, not in one step.
        verify(cell.dropShadow.visible)
        tryVerify(() => cell.dropShadow.opacity > 0.05 && cell.dropShadow.opacity < 0.95)
        tryCompare(cell.card, "scale", 1.05)
        tryCompare(cell.dropShadow, "opacity", 1)
        // A blue shadow around the card, none inside its frame's edge.
        const frame = grabImage(test)
        const p = cell.card.mapToItem(test, cell.card.width / 2, -6)
        const glow = frame.pixel(Math.round(p.x), Math.round(p.y))
        verify(glow.b > glow.r + 0.1, "glow: " + glow)
        unified.controller.setTargeted(cell.item, false)
        tryCompare(cell.dropShadow, "opacity", 0)
        verify(!cell.dropShadow.visible)
    }

    function test_aNewCardEntersScaledFromAndFadedIn() {
        const grid = makeGrid()
        const before = unifiedCell(grid, "Games")
        verify(!before.entrance.running)
        fixture.makeFolder("Fresh", [])
        const cell = unifiedCell(grid, "Fresh")
        verify(cell.entrance.running)
        compare(cell.entrance.animations[0].duration, 350)
        compare(cell.entrance.animations[1].from, 0.95)
        compare(cell.entrance.animations[1].easing.type, Easing.InOutQuad)
        verify(cell.scale < 1 && cell.opacity < 1)
        tryCompare(cell, "scale", 1)
        tryCompare(cell, "opacity", 1)
        // The cards that were there stand still.
        verify(!unifiedCell(grid, "Games").entrance.running)
    }
}
