#pragma once

#include <QString>
#include <QStringList>

namespace brimlark {

class Defaults;
class WorkspaceManager;

// The active workspace's recently launched applications (newest first, at
// most seven) and favourites, stored as URL texts under "recentApps" and
// "favoriteApps" keyed by workspace. Read from the defaults at each call, so
// a workspace switch needs no reload here.
class RecentsAndFavorites
{
public:
    static inline const QString recentAppsBase = QStringLiteral("recentApps");
    static inline const QString favoriteAppsBase = QStringLiteral("favoriteApps");
    static constexpr int maxRecentApps = 7;

    RecentsAndFavorites(Defaults &defaults, const WorkspaceManager &workspaces);

    QStringList recents() const;
    QStringList favorites() const;

    // Moves the application to the front of the recents.
    void addToRecents(const QString &urlText);
    // Adds the application to the end of the favourites, or removes it.
    void toggleFavorite(const QString &urlText);
    bool isFavorite(const QString &urlText) const;

private:
    QString key(const QString &base) const;

    Defaults &m_defaults;
    const WorkspaceManager &m_workspaces;
};

} // namespace brimlark
