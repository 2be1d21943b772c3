#pragma once

#include <QMetaType>
#include <QObject>
#include <QtQml/qqmlregistration.h>

namespace brimlark {

// One list of identical flexible grid columns: each column is given a width
// between its minimum and maximum, with `spacing` to the next one.
class GridColumnLayout
{
    Q_GADGET
    QML_VALUE_TYPE(gridColumnLayout)
    Q_PROPERTY(int count MEMBER count)
    Q_PROPERTY(double minimum MEMBER minimum)
    Q_PROPERTY(double maximum MEMBER maximum)
    Q_PROPERTY(double spacing MEMBER spacing)

public:
    int count = 1;
    double minimum = 0;
    double maximum = 0;
    double spacing = 0;

    // The width every column gets when the grid has `available` points: an
    // equal share, kept between the minimum and the maximum (the minimum wins
    // when the two cross).
    Q_INVOKABLE double columnWidth(double available) const;
    // Columns and the gaps between them, at that column width.
    Q_INVOKABLE double contentWidth(double available) const;

    bool operator==(const GridColumnLayout &other) const = default;
};

// The columns of the app tile grid and of the unified card grid for a pane
// width, and the lists a grid starts with before its pane is measured.
class GridColumns
{
    Q_GADGET
    Q_PROPERTY(brimlark::GridColumnLayout apps MEMBER apps)
    Q_PROPERTY(brimlark::GridColumnLayout categories MEMBER categories)

public:
    GridColumnLayout apps { 5, 110, 140, 24 };
    GridColumnLayout categories { 2, 260, 280, 24 };

    // Both lists for a pane `paneWidth` points wide (content padded 32 on
    // each side).
    static GridColumns forWidth(double paneWidth);

    // The padding of the grid's content on every edge.
    static constexpr double contentPadding = 32;
    // Rows of both grids stand this far apart.
    static constexpr double rowSpacing = 32;

    bool operator==(const GridColumns &other) const = default;
};

} // namespace brimlark

Q_DECLARE_METATYPE(brimlark::GridColumnLayout)
Q_DECLARE_METATYPE(brimlark::GridColumns)
