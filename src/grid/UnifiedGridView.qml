import QtQuick
import Brimlark.Grid

// The unified grid of folder and category cards; stands empty until built.
Item {
    objectName: "unifiedGridView"
    required property QtObject gridController
    required property QtObject viewModel
}
