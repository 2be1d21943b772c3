import QtQuick
import Brimlark.Grid

// The app picker for a folder; stands empty until built.
Item {
    objectName: "appPickerView"
    required property QtObject viewModel
    property var folder
    property var dismiss

    implicitWidth: 600
    implicitHeight: 500
}
