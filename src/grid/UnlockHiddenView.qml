import QtQuick
import Brimlark.Grid

// The hidden section's unlock form; stands empty until built.
Item {
    objectName: "unlockHiddenView"
    required property QtObject viewModel
}
