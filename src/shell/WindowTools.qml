import QtQuick
import Brimlark.Tools
import Brimlark.Uninstaller

// The desk tools' popover contents and the uninstall sheet's view, as the
// grid's toolbar and sheet make them. ContentView loads this apart from the
// window, in the background: none of them shows in the first frame.
Item {
    // The desk tools' controllers (DeskTools), or null: the tools over a
    // store then open empty.
    property QtObject deskTools: null

    readonly property Component colorPicker: Component {
        ColorPickerPopoverView {}
    }
    readonly property Component measure: Component {
        MeasurePopoverView {}
    }
    readonly property Component qr: deskTools ? qrContent : null
    readonly property Component notes: deskTools ? notesContent : null
    readonly property Component snippets: deskTools ? snippetsContent : null
    readonly property Component uninstaller: Component {
        AppUninstallerView {}
    }

    Component {
        id: qrContent
        QRGeneratorPopoverView {
            controller: deskTools.qrGenerator
        }
    }
    Component {
        id: notesContent
        StickyNotesPopoverView {
            controller: deskTools.stickyNotes
        }
    }
    Component {
        id: snippetsContent
        CodeSnippetsPopoverView {
            controller: deskTools.codeSnippets
        }
    }
}
