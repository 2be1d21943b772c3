#include "model/RecentsAndFavorites.h"

#include "model/StoredStrings.h"
#include "model/WorkspaceManager.h"

namespace brimlark {

RecentsAndFavorites::RecentsAndFavorites(Defaults &defaults, const WorkspaceManager &workspaces)
    : m_defaults(defaults)
    , m_workspaces(workspaces)
{
}

QString RecentsAndFavorites::key(const QString &base) const
{
    return m_workspaces.perWorkspaceKey(base);
}

QStringList RecentsAndFavorites::recents() const
{
    return StoredStrings::read(m_defaults, key(recentAppsBase));
}

QStringList RecentsAndFavorites::favorites() const
{
    return StoredStrings::read(m_defaults, key(favoriteAppsBase));
}

void RecentsAndFavorites::addToRecents(const QString &urlText)
{
    QStringList list = recents();
    list.removeOne(urlText);
    list.prepend(urlText);
    if (list.size() > maxRecentApps) {
        list = list.mid(0, maxRecentApps);
    }
    StoredStrings::write(m_defaults, key(recentAppsBase), list);
}

void RecentsAndFavorites::toggleFavorite(const QString &urlText)
{
    QStringList list = favorites();
    if (!list.removeOne(urlText)) {
        list.append(urlText);
    }
    StoredStrings::write(m_defaults, key(favoriteAppsBase), list);
}

bool RecentsAndFavorites::isFavorite(const QString &urlText) const
{
    return favorites().contains(urlText);
}

} // namespace brimlark
