import QtQuick
import Brimlark.Views
import QtQuick.Controls

// A menu whose rows, submenu rows included, show their titles as plain text.
// The style's own rows draw a submenu's title as rich text with mnemonics,
// and an image tag in such a title ends the program on this Qt.
Menu {
    delegate: PlainMenuItem {}
}
