#pragma once

#include "grid/AppTileMenu.h"
#include "grid/GridPane.h"

#include <QtQml/qqmlregistration.h>

// The grid's value types carry enums that QML compares against by name
// (GridPane.State.loading, AppTileMenu.Action.launch); these register the
// enums alone, the types themselves stay plain C++.
namespace brimlark {
namespace GridPaneEnums {
Q_NAMESPACE
QML_FOREIGN_NAMESPACE(brimlark::GridPane)
QML_NAMED_ELEMENT(GridPane)
} // namespace GridPaneEnums

namespace AppTileMenuEnums {
Q_NAMESPACE
QML_FOREIGN_NAMESPACE(brimlark::AppTileMenu)
QML_NAMED_ELEMENT(AppTileMenu)
} // namespace AppTileMenuEnums
} // namespace brimlark
