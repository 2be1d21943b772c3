#include "grid/CategoryCardMenu.h"

#include <QVariantMap>

namespace brimlark {

namespace {

using Entry = CategoryCardMenu::Entry;
using Action = CategoryCardMenu::Action;
using Kind = CategoryCardMenu::Kind;

Entry action(Action a, const QString &title, const QString &symbol, bool destructive = false)
{
    Entry e;
    e.kind = Kind::action;
    e.action = a;
    e.title = title;
    e.symbol = symbol;
    e.destructive = destructive;
    return e;
}

} // namespace

QList<Entry> CategoryCardMenu::entries(const std::optional<SidebarSelection> &selection,
    const std::optional<AppFolder> &folder, const QList<AppFolder> &folders,
    const QSet<QUuid> &hiddenFolderIDs)
{
    QList<Entry> out;
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
        out << Entry {};
        out << action(
            Action::addApps, QStringLiteral("Add Apps to this folder"), QStringLiteral("plus.circle"));
        return out;
    }
    out << action(Action::createFolderFromCategory, QStringLiteral("Create Folder from Category"),
        QStringLiteral("folder.badge.plus"));
    out << Entry {};
    Entry sub;
    sub.kind = Kind::submenu;
    sub.title = QStringLiteral("Add All to Existing Folder");
    for (const auto &f : folders) {
        // A hidden folder shows nowhere outside the hidden section.
        if (hiddenFolderIDs.contains(f.id)) {
            continue;
        }
        Entry entry = action(Action::addAllToFolder, f.name, QString());
        entry.localized = false;
        entry.folderID = f.id;
        sub.children << entry;
    }
    // An empty submenu would open as a blank strip.
    sub.enabled = !sub.children.isEmpty();
    out << sub;
    return out;
}

QVariantList CategoryCardMenu::toVariantList(const QList<Entry> &entries)
{
    // The tile menu's view builds both menus and compares kinds as enum values.
    return AppTileMenu::entryList(entries);
}

} // namespace brimlark
