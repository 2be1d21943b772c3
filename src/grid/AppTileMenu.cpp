#include "grid/AppTileMenu.h"

namespace brimlark {

namespace {

using Action = AppTileMenu::Action;

MenuEntry action(Action a, const QString &title, bool destructive = false, const QUuid &folder = {})
{
    MenuEntry e = MenuEntry::of(a, title);
    e.destructive = destructive;
    e.folderID = folder;
    return e;
}

} // namespace

QList<MenuEntry> AppTileMenu::entries(const std::optional<SidebarSelection> &selection, bool isFavorite,
    const QList<AppFolder> &folders, const QSet<QUuid> &hiddenFolderIDs)
{
    const bool inHidden = selection && selection->is(SidebarSelection::Kind::hidden);
    const bool inFolder = selection && selection->is(SidebarSelection::Kind::folder);

    QList<MenuEntry> out;
    out << action(Action::launch, QStringLiteral("Launch"));
    out << MenuEntry::divider();
    out << action(Action::toggleFavorite,
        isFavorite ? QStringLiteral("Remove from Favorites") : QStringLiteral("Add to Favorites"));
    out << MenuEntry::divider();
    if (inHidden) {
        out << action(Action::unhideGlobally, QStringLiteral("Unhide App Globally"));
    } else {
        out << action(Action::hideGlobally, QStringLiteral("Hide App Globally"), true);
    }
    out << MenuEntry::divider();
    if (inFolder) {
        out << action(
            Action::removeFromFolder, QStringLiteral("Remove from Folder"), true, selection->folder().id);
    } else if (!inHidden) {
        QList<MenuEntry> children;
        for (const auto &folder : folders) {
            // A hidden folder shows nowhere outside the hidden section.
            if (hiddenFolderIDs.contains(folder.id)) {
                continue;
            }
            MenuEntry entry = action(Action::addToFolder, folder.name, false, folder.id);
            entry.localized = false;
            children << entry;
        }
        out << MenuEntry::submenu(QStringLiteral("Add to Folder"), children);
    }
    out << MenuEntry::divider();
    out << action(Action::uninstall, QStringLiteral("Uninstall App\u2026"), true);
    return out;
}

} // namespace brimlark
