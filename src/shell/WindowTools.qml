import QtQuick
import Brimlark.Tools
import Brimlark.Uninstaller

// The desk tools' popover contents and the uninstall sheet's view, as the
// grid's toolbar and sheet make them. ContentView loads this apart from the
// window, in the background: none of them shows in the first frame.
Item {
    id: tools

    // What the desk tools' popovers are made with, or null; every opening
    // gets controllers of its own.
    property DeskTools deskTools: null
    // What each uninstall sheet works with, or null.
    property UninstallerServices uninstallerServices: null

    // The tools open empty without their controllers.
    readonly property Component colorPicker: deskTools ? colorPickerContent : null
    readonly property Component measure: deskTools ? measureContent : null
    readonly property Component qr: deskTools ? qrContent : null
    readonly property Component notes: deskTools ? notesContent : null
    readonly property Component snippets: deskTools ? snippetsContent : null
    readonly property Component uninstaller: Component {
        AppUninstallerView {
            services: tools.uninstallerServices
        }
    }

    Component {
        id: colorPickerContent
        ColorPickerPopoverView {
            id: colorPicker
            controller: deskTools.makeColorPicker(colorPicker)
        }
    }
    Component {
        id: measureContent
        MeasurePopoverView {
            id: measure
            controller: deskTools.makeMeasurePopover(measure)
        }
    }
    Component {
        id: qrContent
        QRGeneratorPopoverView {
            id: qr
            controller: deskTools.makeQRGenerator(qr)
        }
    }
    Component {
        id: notesContent
        StickyNotesPopoverView {
            id: notes
            controller: deskTools.makeStickyNotes(notes)
        }
    }
    Component {
        id: snippetsContent
        CodeSnippetsPopoverView {
            id: snippets
            controller: deskTools.makeCodeSnippets(snippets)
        }
    }
}
