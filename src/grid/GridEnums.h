#pragma once

#include "grid/GridPane.h"

#include <QtQml/qqmlregistration.h>

// The grid's value types carry enums that QML compares against by name
// (GridPane.State.loading); these register the
// enums alone, the types themselves stay plain C++.
namespace brimlark {
namespace GridPaneEnums {
Q_NAMESPACE
QML_FOREIGN_NAMESPACE(brimlark::GridPane)
QML_NAMED_ELEMENT(GridPane)
} // namespace GridPaneEnums

} // namespace brimlark
