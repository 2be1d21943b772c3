#include "sidebar/SidebarFolderTree.h"

#include "model/AppFinder.h"

#include <QSet>

namespace brimlark {

namespace {

void appendSubtree(const AppFinder &finder, const AppFolder &folder, int depth, int rootIndex,
    QSet<QUuid> &seen, QList<SidebarFolderTree::Row> &out)
{
    if (seen.contains(folder.id)) {
        return;
    }
    seen.insert(folder.id);
    out.append({ folder, depth, rootIndex });
    for (const auto &child : finder.getChildFolders(folder.id)) {
        appendSubtree(finder, child, depth + 1, rootIndex, seen, out);
    }
}

} // namespace

QList<SidebarFolderTree::Row> SidebarFolderTree::flatten(const AppFinder &finder)
{
    QList<Row> out;
    QSet<QUuid> seen;
    const QList<AppFolder> roots = finder.getRootFolders();
    for (qsizetype i = 0; i < roots.size(); ++i) {
        appendSubtree(finder, roots[i], 0, int(i), seen, out);
    }
    return out;
}

std::optional<SidebarFolderTree::Reorder> SidebarFolderTree::rootMove(int fromRoot, int toRoot, int rootCount)
{
    if (fromRoot < 0 || toRoot < 0 || fromRoot >= rootCount || toRoot >= rootCount || fromRoot == toRoot) {
        return std::nullopt;
    }
    // The offset counts places before the moved row leaves.
    return Reorder { { fromRoot }, fromRoot < toRoot ? toRoot + 1 : toRoot };
}

} // namespace brimlark
