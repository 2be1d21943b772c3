#pragma once

#include "model/AppFolder.h"
#include "state/SidebarSelection.h"
#include "views/MenuEntry.h"

#include <QList>
#include <QObject>
#include <QSet>
#include <QUuid>

#include <optional>

namespace brimlark {

// The context menu of a folder or category card, computed when it opens:
// a folder card in the hidden section can only be unhidden; elsewhere it is
// renamed, deleted, hidden or filled; a category card becomes a folder or
// joins an existing one.
class CategoryCardMenu
{
    Q_GADGET

public:
    enum class Action {
        none,
        renameFolder,
        deleteFolder,
        hideFolderGlobally,
        unhideFolderGlobally,
        addApps,
        createFolderFromCategory,
        addAllToFolder
    };
    Q_ENUM(Action)

    // `folder` is the card's folder (none for a category card); `folders`
    // every folder of the workspace, for the submenu, which leaves out the
    // folders hidden globally.
    static QList<MenuEntry> entries(const std::optional<SidebarSelection> &selection,
        const std::optional<AppFolder> &folder, const QList<AppFolder> &folders,
        const QSet<QUuid> &hiddenFolderIDs = {});
};

} // namespace brimlark
