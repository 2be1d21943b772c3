#pragma once

#include "model/AppFolder.h"
#include "model/GridItemIdentifier.h"

#include <QDateTime>
#include <QHash>
#include <QList>
#include <QSet>
#include <QString>
#include <QUuid>

#include <functional>
#include <optional>
#include <set>
#include <string>

namespace brimlark {

class Defaults;
class WorkspaceManager;

// The active workspace's folders ("AppFolders") and the unified grid's order
// ("unifiedGridOrder"). Folders are kept pinned first, then by sort order,
// then newest first. Edits of one folder name it by id; an unknown id changes
// nothing and the edit answers false.
class CatalogFolders
{
public:
    static inline const QString foldersBase = QStringLiteral("AppFolders");
    static inline const QString unifiedGridOrderBase = QStringLiteral("unifiedGridOrder");
    using Clock = std::function<QDateTime()>;

    CatalogFolders(Defaults &defaults, const WorkspaceManager &workspaces, Clock clock);

    const QList<AppFolder> &folders() const { return m_folders; }
    // The one look-up of a folder by id.
    const AppFolder *find(const QUuid &id) const;

    // Reads the workspace's folders (none when unreadable) and sorts them.
    void load();
    void save();
    // Replaces the list as it stands; nothing is saved.
    void set(QList<AppFolder> folders);

    // Saves, then sorts; returns the new folder's id.
    QUuid create(const QString &name, const QString &icon, const QString &color,
        const std::optional<QUuid> &parentFolderID);
    bool remove(const QUuid &id);
    bool rename(const QUuid &id, const QString &name);
    bool togglePin(const QUuid &id);
    bool setColor(const QUuid &id, const QString &color);
    bool setIcon(const QUuid &id, const QString &icon);
    // An edit sheet's whole change, saved once; false when the folder is
    // unknown or already reads so (nothing is saved then).
    bool update(const QUuid &id, const QString &name, const QString &icon, const QString &color);
    // Adding a member the folder already holds changes nothing.
    bool addApp(const QUuid &id, const QString &urlText);
    bool removeApp(const QUuid &id, const QString &urlText);
    bool reorderApps(const QUuid &id, const std::set<int> &source, int destination);

    // Visible folders without a parent / with that parent, in list order.
    // A folder whose parent is not stored, and the folder listed first in a
    // loop of parents, count as roots, so every stored folder can be reached.
    QList<AppFolder> roots(const QSet<QUuid> &hidden) const;
    QList<AppFolder> children(const QUuid &parentID, const QSet<QUuid> &hidden) const;
    // Moves visible root folders and numbers them by their new places.
    void reorderRoots(const std::set<int> &source, int destination, const QSet<QUuid> &hidden);

    // The stored grid order; unreadable entries are skipped.
    QList<GridItemIdentifier> gridOrder() const;
    // Stores the moved order and numbers its folders by grid position; does
    // not sort.
    void reorderGrid(
        const std::set<int> &source, int destination, const QList<GridItemIdentifier> &currentItems);

private:
    AppFolder *findMutable(const QUuid &id);
    // Saves after the change to the folder with the id; false, and nothing
    // saved, for an unknown id or a change that answers false.
    bool edit(const QUuid &id, const std::function<bool(AppFolder &)> &change);
    // Folders with a stored parent that stand among the roots (see roots()).
    QSet<QUuid> detachedFolders() const;
    void sort();

    Defaults &m_defaults;
    const WorkspaceManager &m_workspaces;
    Clock m_clock;
    QList<AppFolder> m_folders;
    // Each folder's stored form as last saved, with the folder it was made
    // from: a save encodes again only the folders that changed.
    struct Encoded
    {
        AppFolder folder;
        std::string json;
    };
    QHash<QUuid, Encoded> m_encoded;
};

} // namespace brimlark
