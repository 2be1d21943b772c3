#pragma once

#include "model/AppFolder.h"

#include <QList>

#include <optional>
#include <set>

namespace brimlark {

class AppFinder;

// The rules of the "Folders" section: which rows it shows, in what order,
// and how a drag of one root row becomes a catalog reorder.
class SidebarFolderTree
{
public:
    struct Row
    {
        AppFolder folder;
        // 0 for a root folder, 1 for its children, and so on.
        int depth = 0;
        // The place among the root rows of the root this row belongs under
        // (its own for a root row).
        int rootIndex = 0;
    };

    // Root folders in catalog order, each followed depth-first by its
    // non-hidden children. A folder is shown once even if the stored
    // parents form a loop.
    static QList<Row> flatten(const AppFinder &catalog);

    // Leading indent of a row in points.
    static constexpr double indentPerLevel = 12;
    static double indent(int depth) { return depth * indentPerLevel; }

    // A root row dropped where another root row stands takes that row's
    // place: the index set and destination offset for reorderFolders;
    // nothing when the row stays where it is or an index is out of range.
    struct Reorder
    {
        std::set<int> source;
        int destination = 0;
        bool operator==(const Reorder &other) const = default;
    };
    static std::optional<Reorder> rootMove(int fromRoot, int toRoot, int rootCount);
};

} // namespace brimlark
