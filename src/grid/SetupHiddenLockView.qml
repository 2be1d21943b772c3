import QtQuick
import Brimlark.Grid

// The hidden section's form for a new password; stands empty until built.
Item {
    objectName: "setupHiddenLockView"
    required property QtObject viewModel
}
