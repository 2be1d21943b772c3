import QtQuick
import QtQuick.Controls
import QtTest
import Brimlark.Shell

TestCase {
    id: test
    name: "DeskToolPopovers"
    when: windowShown
    visible: true
    width: 900
    height: 800

    readonly property string hostile: "<img src=\"x\"> <b>R&D</b> & Co"

    property var fixture: null
    property int pressesUnder: 0

    // What the window shows below a popover: it counts every press it gets.
    MouseArea {
        anchors.fill: parent
        onPressed: test.pressesUnder++
    }

    // The popover contents as the window makes them for the toolbar.
    WindowTools {
        id: tools
        deskTools: test.fixture ? test.fixture.deskTools : null
    }

    // Hosted as the toolbar hosts them: the content is made afresh each
    // time the popover shows.
    Popup {
        id: popover
        x: 40
        y: 40
        padding: 0
        focus: true
        closePolicy: Popup.CloseOnEscape | Popup.CloseOnPressOutside
        property Component content: null
        contentItem: Loader {
            active: popover.visible
            sourceComponent: popover.content
        }
    }

    // A window of its own shows the contents without a popup around them
    // (the tools' demo window does): they must keep their presses by themselves.
    Loader {
        id: bare
        x: 40
        y: 40
        active: false
        property Component content: null
        sourceComponent: content
    }

    function init() {
        fixture = ToolsTest.fixture()
        pressesUnder = 0
    }

    function cleanup() {
        bare.active = false
        closeTool()
        popover.content = null
        popover.palette.window = test.palette.window
        fixture = null
    }

    function openTool(name) {
        popover.content = tools[name]
        popover.open()
        tryCompare(popover, "opened", true)
        const view = popover.contentItem.item
        verify(view, name)
        waitForItemPolished(view)
        return view
    }

    function closeTool() {
        popover.close()
        tryCompare(popover, "visible", false)
    }

    function child(view, name) {
        const found = findChild(view, name)
        verify(found, name)
        return found
    }

    // One entry in each tool's stored list, so every control has a row to act on.
    function fillEveryList() {
        fixture.setNotes(["only"])
        fixture.setRecentColors(["#112233"])
        fixture.setRecentMeasurements(["400 \u00D7 300 px"])
        fixture.setSnippets([{ "title": "Alpha", "code": "a()", "language": "JS" }])
    }

    // Reads a picture a view hands out.
    Image {
        id: probe
        visible: false
        cache: false
    }

    function typeText(item, text) {
        mouseClick(item)
        for (const ch of text)
            keyClick(ch)
    }

    // A window colour of lightness exactly one half (pure red) is the light
    // appearance for every view, the desk tools included.
    function test_theToolsTakeTheViewsLightRule_data() {
        return [ { tag: "qr" }, { tag: "notes" }, { tag: "snippets" } ]
    }

    function test_theToolsTakeTheViewsLightRule(data) {
        popover.palette.window = "#ff0000"
        const view = openTool(data.tag)
        compare(view.palette.window.hslLightness, 0.5)
        compare(view.light, true)
        closeTool()
        popover.palette.window = "#1e1e1e"
        compare(openTool(data.tag).light, false)
    }

    // Each tool's view state, changed by the user, then looked at after the
    // popover was closed and opened again; the stored lists stay as they are.
    function test_aReopenedPopoverStartsFromItsInitialState_data() {
        return [ { tag: "qr" }, { tag: "notes" }, { tag: "snippets" } ]
    }

    function test_aReopenedPopoverStartsFromItsInitialState(data) {
        fixture.setNotes(["first", "second", "third"])
        fixture.setSnippets([{ "title": "Alpha", "code": "a()", "language": "JS" },
                             { "title": "Beta", "code": "b()", "language": "JS" }])
        let view = openTool(data.tag)
        if (data.tag === "qr") {
            typeText(child(view, "qrTextField"), "hello")
            tryCompare(child(view, "qrPreview"), "visible", true)
            mouseClick(child(view, "qrCopyButton"))
            compare(view.controller.copyMessage, "QR Copied!")
        } else if (data.tag === "notes") {
            mouseClick(child(view, "nextNoteButton"))
            mouseClick(child(view, "nextNoteButton"))
            compare(child(view, "notePosition").text, "3 / 3")
        } else {
            const list = child(view, "snippetList")
            mouseClick(list.itemAtIndex(0), 20, 12)
            compare(view.controller.expandedSnippetID !== "", true)
            mouseClick(findChild(list.itemAtIndex(0), "copySnippetButton"))
            compare(view.controller.copyMessage, "Snippet Copied!")
            typeText(child(view, "snippetSearchField"), "zz")
            compare(list.count, 0)
            mouseClick(child(view, "snippetFormToggle"))
            typeText(child(view, "newTitleField"), "Draft")
            compare(view.controller.newTitle, "Draft")
        }
        closeTool()

        view = openTool(data.tag)
        if (data.tag === "qr") {
            compare(child(view, "qrTextField").text, "")
            verify(child(view, "qrEmptyState").visible)
            compare(view.controller.copyMessage, "")
        } else if (data.tag === "notes") {
            compare(child(view, "notePosition").text, "1 / 3")
            compare(child(view, "noteEditor").text, "first")
        } else {
            verify(!child(view, "snippetForm").visible)
            compare(child(view, "snippetSearchField").text, "")
            const list = child(view, "snippetList")
            compare(list.count, 2)
            compare(view.controller.expandedSnippetID, "")
            verify(!child(view, "snippetCopyMessage").visible)
            mouseClick(child(view, "snippetFormToggle"))
            compare(child(view, "newTitleField").text, "")
            compare(child(view, "newLanguageField").text, "Swift")
        }
        compare(fixture.noteTexts(), ["first", "second", "third"])
        compare(fixture.snippetTitles(), ["Alpha", "Beta"])
    }

    // Every control of every tool, and the empty places between them: a
    // press there never reaches what lies below the popover.
    function test_aPressInsideAPopoverStaysThere_data() {
        return [
            { tag: "colorPicker", targets: ["pickButton", "recentColorChip", "clearButton", "@blank"] },
            { tag: "measure", targets: ["toggleButton", "measurementRow", "clearButton", "@blank"] },
            { tag: "qr", targets: ["qrTextField", "qrImage", "qrCopyButton", "@blank"] },
            { tag: "notes", targets: ["previousNoteButton", "swatch_#64D2FF", "noteEditor", "nextNoteButton",
                                      "deleteNoteButton", "deleteNoteButton", "addNoteButton", "@blank"] },
            { tag: "snippets", targets: ["snippetSearchField", "snippetHeader", "copySnippetButton",
                                         "deleteSnippetButton", "snippetFormToggle", "saveSnippetButton", "@blank"] },
        ]
    }

    function test_aPressInsideAPopoverStaysThere(data) {
        for (const inPopup of [true, false]) {
            fillEveryList()
            let view
            if (inPopup) {
                view = openTool(data.tag)
            } else {
                closeTool()
                bare.content = tools[data.tag]
                bare.active = true
                view = bare.item
                verify(view)
                waitForItemPolished(view)
            }
            if (data.tag === "qr")
                typeText(child(view, "qrTextField"), "x")
            pressEach(view, data.targets, inPopup)
            bare.active = false
        }
    }

    function pressEach(view, targets, inPopup) {
        for (const name of targets) {
            let target = view
            let x = 4, y = 4
            if (name !== "@blank") {
                target = findChild(view, name)
                verify(target, name)
                x = target.width / 2
                y = target.height / 2
            }
            mousePress(target, x, y)
            mouseRelease(target, x, y)
            compare(test.pressesUnder, 0, name + (inPopup ? " in the popup" : " on its own"))
            if (inPopup)
                verify(popover.visible, name)
        }
    }

    // Note texts, snippet titles and languages and measurement texts show as
    // typed: no markup, no picture, no mnemonic.
    Component {
        id: plainReference
        Text {
            textFormat: Text.PlainText
        }
    }

    function shownAsTyped(label) {
        const reference = createTemporaryObject(plainReference, test, { "text": label.text, "font": label.font })
        const shownWidth = label.implicitWidth - label.leftPadding - label.rightPadding
        return label.text === hostile && Math.abs(shownWidth - reference.implicitWidth) < 0.5
    }

    function test_storedTextsShowAsPlainText() {
        fixture.setNotes([hostile])
        fixture.setSnippets([{ "title": hostile, "code": hostile, "language": hostile }])
        fixture.setRecentMeasurements([hostile])

        let view = openTool("notes")
        const editor = child(view, "noteEditor")
        compare(editor.getText(0, editor.length), hostile)
        closeTool()

        view = openTool("snippets")
        const row = child(view, "snippetList").itemAtIndex(0)
        verify(shownAsTyped(child(row, "snippetTitle")), "title")
        verify(shownAsTyped(child(row, "snippetLanguage")), "language")
        mouseClick(child(row, "snippetHeader"))
        const code = child(row, "snippetCode")
        compare(code.getText(0, code.length), hostile)
        closeTool()

        view = openTool("measure")
        verify(shownAsTyped(child(view, "measurementText")), "measurement")
    }

    // The recent colours beyond the width scroll sideways under the
    // vertical wheel most mice have.
    function test_theRecentColoursScrollWithAVerticalWheel() {
        const colours = []
        for (let i = 0; i < 10; ++i)
            colours.push("#1122" + (10 + i))
        fixture.setRecentColors(colours)
        const chips = child(openTool("colorPicker"), "recentColors")
        verify(chips.contentWidth > chips.width)
        const start = chips.contentX
        mouseWheel(chips, chips.width / 2, chips.height / 2, 0, -120)
        tryVerify(() => chips.contentX > start)
        mouseWheel(chips, chips.width / 2, chips.height / 2, 0, 120)
        tryCompare(chips, "contentX", start)
    }

    // A dragged QR code shows a small picture of itself, not the whole file.
    function test_aDraggedQRCodeShowsASmallPicture() {
        const view = openTool("qr")
        view.controller.text = "https://example.com/an/address/long/enough/for/a/larger/code"
        verify(view.controller.canDrag)
        probe.source = child(view, "qrDragPayload").Drag.imageSource
        tryCompare(probe, "status", Image.Ready)
        verify(probe.implicitWidth > 0 && probe.implicitWidth <= 128, "preview width " + probe.implicitWidth)
        probe.source = ""
    }

    // The QR field, and a new sticky note, take the keyboard as they appear.
    function test_whatAppearsToTypeInTakesTheKeyboard_data() {
        return [ { tag: "qr", field: "qrTextField" }, { tag: "notes", field: "noteEditor" } ]
    }

    function test_whatAppearsToTypeInTakesTheKeyboard(data) {
        const view = openTool(data.tag)
        if (data.tag === "notes")
            mouseClick(child(view, "addNoteButton"))
        tryVerify(() => child(view, data.field).activeFocus)
        keyClick("x")
        compare(data.tag === "qr" ? view.controller.text : view.controller.noteText, "x")
    }

    // A bar of ours inside a scroll view runs along the view's edge, not in
    // its top-left corner.
    function test_theEditorsScrollBarsRunAlongTheirEdges_data() {
        return [
            { tag: "note", tool: "notes", scroll: "noteScroll" },
            { tag: "new snippet", tool: "snippets", scroll: "newCodeScroll", press: "snippetFormToggle" },
            { tag: "snippet code", tool: "snippets", scroll: "snippetCodeScroll", press: "snippetHeader" },
        ]
    }

    function test_theEditorsScrollBarsRunAlongTheirEdges(data) {
        const lines = Array(60).fill("a line wider than any of the editors the desk tools show").join("\n")
        fixture.setNotes([lines])
        fixture.setSnippets([{ "title": "Long", "code": lines, "language": "JS" }])
        const view = openTool(data.tool)
        if (data.press)
            mouseClick(child(view, data.press))
        const scroll = child(view, data.scroll)
        waitForItemPolished(scroll)
        const down = scroll.ScrollBar.vertical
        compare(down.parent, scroll)
        compare(down.x + down.width, scroll.width)
        compare(down.height, scroll.availableHeight)
        const across = scroll.ScrollBar.horizontal
        compare(across.y + across.height, scroll.height)
        compare(across.width, scroll.availableWidth)
    }

    // A change of the stored snippets keeps the list where the user scrolled it.
    function test_theSnippetListKeepsItsPlaceWhenTheSnippetsChange() {
        const many = []
        for (let i = 0; i < 20; ++i)
            many.push({ "title": "Snippet " + i, "code": "c" + i, "language": "JS" })
        fixture.setSnippets(many)
        const view = openTool("snippets")
        const list = child(view, "snippetList")
        list.positionViewAtIndex(10, ListView.Beginning)
        waitForItemPolished(list)
        const scrolled = list.contentY
        verify(scrolled > 0)
        fixture.appendSnippet("Newest")
        waitForItemPolished(list)
        compare(list.count, 21)
        compare(list.contentY, scrolled)
        // A copy shows its message above the list; the rows stay where they were.
        mouseClick(findChild(list.itemAtIndex(10), "copySnippetButton"))
        compare(list.contentY, scrolled)
    }

    // Tab (or Shift+Tab) until the keyboard is on the named control; every
    // stop shows the focus ring. A multi-line editor types Tab, so the
    // keyboard leaves it with Ctrl+Tab.
    function tabTo(name, backwards) {
        for (let i = 0; i < 30; ++i) {
            const from = test.Window.activeFocusItem
            const inEditor = from && (from.objectName === "noteEditor" || from.objectName === "newCodeEditor")
            keyClick(Qt.Key_Tab, backwards ? Qt.ShiftModifier : (inEditor ? Qt.ControlModifier : Qt.NoModifier))
            const item = test.Window.activeFocusItem
            verify(item, "nothing has the focus")
            verify(item.visualFocus === undefined ? item.activeFocus : item.visualFocus,
                   item.objectName + " shows no focus ring")
            if (item.objectName === name)
                return item
        }
        fail(name + " is out of the keyboard's reach")
    }

    function tabAndPress(key, name, backwards) {
        tabTo(name, backwards)
        keyClick(key)
    }

    // Every action of each popover by keyboard alone; Escape closes it.
    function test_eachPopoverWorksByKeyboardAlone_data() {
        return [ { tag: "colorPicker" }, { tag: "measure" }, { tag: "qr" }, { tag: "notes" }, { tag: "snippets" } ]
    }

    function test_eachPopoverWorksByKeyboardAlone(data) {
        fillEveryList()
        const view = openTool(data.tag)
        const c = view.controller
        if (data.tag === "colorPicker") {
            tabAndPress(Qt.Key_Space, "recentColorChip")
            compare(c.copyMessage, "HEX Copied!")
            compare(c.hexColor, "#112233")
            tabAndPress(Qt.Key_Return, "clearButton", true)
            compare(c.recentColors.length, 0)
            tabTo("pickButton")
        } else if (data.tag === "measure") {
            tabAndPress(Qt.Key_Space, "toggleButton")
            verify(c.isRulerShowing)
            tabAndPress(Qt.Key_Return, "measurementRow")
            compare(c.recentMeasurements[0], "400 \u00D7 300 px")
            tryCompare(test.Window.activeFocusItem, "objectName", "measurementRow")
            tabAndPress(Qt.Key_Return, "clearButton")
            compare(c.recentMeasurements.length, 0)
        } else if (data.tag === "qr") {
            tabAndPress("x", "qrTextField")
            tabAndPress(Qt.Key_Return, "qrCopyButton")
            compare(c.copyMessage, "QR Copied!")
        } else if (data.tag === "notes") {
            // Tab types in the note; Ctrl+Tab leaves it.
            tabTo("noteEditor")
            keyClick(Qt.Key_End, Qt.ControlModifier)
            keyClick(Qt.Key_Tab)
            compare(child(view, "noteEditor").text, "only\t")
            keyClick(Qt.Key_Tab, Qt.ControlModifier)
            verify(test.Window.activeFocusItem.objectName !== "noteEditor")
            tabAndPress(Qt.Key_Space, "swatch_#30D158")
            compare(c.noteColorHex, "#30D158")
            // Still on the swatch it chose, ring and all.
            compare(test.Window.activeFocusItem.objectName, "swatch_#30D158")
            verify(test.Window.activeFocusItem.visualFocus)
            tabAndPress(Qt.Key_Return, "addNoteButton")
            compare(c.count, 2)
            tabAndPress(Qt.Key_Space, "previousNoteButton")
            compare(c.activeIndex, 0)
        } else {
            tabAndPress(Qt.Key_Space, "snippetHeader")
            verify(c.expandedSnippetID !== "")
            tabAndPress(Qt.Key_Return, "copySnippetButton")
            compare(c.copyMessage, "Snippet Copied!")
            tabAndPress(Qt.Key_Space, "snippetFormToggle", true)
            verify(c.showCreateForm)
            tabAndPress("T", "newTitleField")
            tabAndPress("c", "newCodeEditor")
            keyClick(Qt.Key_Tab)
            compare(c.newCode, "c\t")
            keyClick(Qt.Key_Tab, Qt.ControlModifier)
            verify(test.Window.activeFocusItem.objectName !== "newCodeEditor")
            tabAndPress(Qt.Key_Return, "saveSnippetButton")
            compare(fixture.snippetTitles(), ["Alpha", "T"])
            // A deleted row hands the keyboard to the row in its place, the
            // last one to the search field.
            for (const left of [["T"], []]) {
                tabAndPress(Qt.Key_Return, "deleteSnippetButton")
                compare(fixture.snippetTitles(), left)
                const now = test.Window.activeFocusItem
                verify(now, "nothing has the keyboard")
                compare(now.objectName, left.length ? "snippetHeader" : "snippetSearchField")
            }
        }
        keyClick(Qt.Key_Escape)
        tryCompare(popover, "visible", false)
    }
}
