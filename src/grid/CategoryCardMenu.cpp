#include "grid/CategoryCardMenu.h"

namespace brimlark {

namespace {

using Action = CategoryCardMenu::Action;

MenuEntry action(Action a, const QString &title, const QString &symbol, bool destructive = false)
{
    MenuEntry e = MenuEntry::of(a, title);
    e.symbol = symbol;
    e.destructive = destructive;
    return e;
}

} // namespace

QList<MenuEntry> CategoryCardMenu::entries(const std::optional<SidebarSelection> &selection,
    const std::optional<AppFolder> &folder, const QList<AppFolder> &folders,
    const QSet<QUuid> &hiddenFolderIDs)
{
    QList<MenuEntry> out;
    if (folder) {
        if (selection && selection->is(SidebarSelection::Kind::hidden)) {
            out << action(Action::unhideFolderGlobally, QStringLiteral("Unhide Folder Globally"),
                QStringLiteral("eye"));
            return out;
        }
        out << action(Action::renameFolder, QStringLiteral("Rename Folder"), QStringLiteral("pencil"));
        out << action(Action::deleteFolder, QStringLiteral("Delete Folder"), QStringLiteral("trash"), true);
        out << action(Action::hideFolderGlobally, QStringLiteral("Hide Folder Globally"),
            QStringLiteral("eye.slash"), true);
        out << MenuEntry::divider();
        out << action(
            Action::addApps, QStringLiteral("Add Apps to this folder"), QStringLiteral("plus.circle"));
        return out;
    }
    out << action(Action::createFolderFromCategory, QStringLiteral("Create Folder from Category"),
        QStringLiteral("folder.badge.plus"));
    out << MenuEntry::divider();
    QList<MenuEntry> children;
    for (const auto &f : folders) {
        // A hidden folder shows nowhere outside the hidden section.
        if (hiddenFolderIDs.contains(f.id)) {
            continue;
        }
        MenuEntry entry = action(Action::addAllToFolder, f.name, QString());
        entry.localized = false;
        entry.folderID = f.id;
        children << entry;
    }
    out << MenuEntry::submenu(QStringLiteral("Add All to Existing Folder"), children);
    return out;
}

} // namespace brimlark
