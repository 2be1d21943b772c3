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

// The context menu of an application tile, computed from the state of the
// moment it opens.
class AppTileMenu
{
    Q_GADGET

public:
    enum class Action {
        none,
        launch,
        toggleFavorite,
        hideGlobally,
        unhideGlobally,
        removeFromFolder,
        addToFolder,
        uninstall
    };
    Q_ENUM(Action)

    // The "Add to Folder" submenu lists `folders` but those hidden globally.
    static QList<MenuEntry> entries(const std::optional<SidebarSelection> &selection, bool isFavorite,
        const QList<AppFolder> &folders, const QSet<QUuid> &hiddenFolderIDs = {});
};

} // namespace brimlark
