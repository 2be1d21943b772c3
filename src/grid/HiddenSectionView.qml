import QtQuick
import Brimlark.Grid

// The unlocked hidden section; stands empty until built.
Item {
    objectName: "hiddenSectionView"
    required property QtObject gridController
    required property QtObject viewModel
}
