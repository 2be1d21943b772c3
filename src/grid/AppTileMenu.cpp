#include "grid/AppTileMenu.h"

#include <QMetaEnum>
#include <QVariantMap>

namespace brimlark {

namespace {

using Entry = AppTileMenu::Entry;
using Kind = AppTileMenu::Kind;
using Action = AppTileMenu::Action;

Entry action(Action a, const QString &title, bool destructive = false, const QUuid &folder = {})
{
    Entry e;
    e.kind = Kind::action;
    e.action = a;
    e.title = title;
    e.destructive = destructive;
    e.folderID = folder;
    return e;
}

Entry divider()
{
    return Entry {};
}

} // namespace

QList<Entry> AppTileMenu::entries(const std::optional<SidebarSelection> &selection, bool isFavorite,
    const QList<AppFolder> &folders, const QSet<QUuid> &hiddenFolderIDs)
{
    const bool inHidden = selection && selection->is(SidebarSelection::Kind::hidden);
    const bool inFolder = selection && selection->is(SidebarSelection::Kind::folder);

    QList<Entry> out;
    out << action(Action::launch, QStringLiteral("Launch"));
    out << divider();
    out << action(Action::toggleFavorite,
        isFavorite ? QStringLiteral("Remove from Favorites") : QStringLiteral("Add to Favorites"));
    out << divider();
    if (inHidden) {
        out << action(Action::unhideGlobally, QStringLiteral("Unhide App Globally"));
    } else {
        out << action(Action::hideGlobally, QStringLiteral("Hide App Globally"), true);
    }
    out << divider();
    if (inFolder) {
        out << action(
            Action::removeFromFolder, QStringLiteral("Remove from Folder"), true, selection->folder().id);
    } else if (!inHidden) {
        Entry sub;
        sub.kind = Kind::submenu;
        sub.title = QStringLiteral("Add to Folder");
        for (const auto &folder : folders) {
            // A hidden folder shows nowhere outside the hidden section.
            if (hiddenFolderIDs.contains(folder.id)) {
                continue;
            }
            Entry entry = action(Action::addToFolder, folder.name, false, folder.id);
            entry.localized = false;
            sub.children << entry;
        }
        sub.enabled = !sub.children.isEmpty();
        out << sub;
    }
    out << divider();
    out << action(Action::uninstall, QStringLiteral("Uninstall App\u2026"), true);
    return out;
}

QString AppTileMenu::menuText(const QString &name)
{
    QString text = name;
    return text.replace(u'&', QStringLiteral("&&"));
}

QVariantList AppTileMenu::toVariantList(const QList<Entry> &entries)
{
    return entryList(entries);
}

} // namespace brimlark
