#pragma once

#include "grid/AppTileMenu.h"
#include "model/AppFolder.h"
#include "state/SidebarSelection.h"

#include <QList>
#include <QObject>
#include <QSet>
#include <QString>
#include <QUuid>
#include <QVariantList>

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

    using Kind = AppTileMenu::Kind;
    struct Entry
    {
        Kind kind = Kind::divider;
        Action action = Action::none;
        QString title;
        QString symbol;
        bool localized = true;
        bool destructive = false;
        bool enabled = true;
        // The folder an "Add All to Existing Folder" entry fills.
        QUuid folderID;
        QList<Entry> children;

        bool operator==(const Entry &other) const = default;
    };

    // `folder` is the card's folder (none for a category card); `folders`
    // every folder of the workspace, for the submenu, which leaves out the
    // folders hidden globally.
    static QList<Entry> entries(const std::optional<SidebarSelection> &selection,
        const std::optional<AppFolder> &folder, const QList<AppFolder> &folders,
        const QSet<QUuid> &hiddenFolderIDs = {});

    // The same shape of maps as the tile menu's, so one menu view shows both.
    static QVariantList toVariantList(const QList<Entry> &entries);
};

} // namespace brimlark
