#include "state/SidebarSelection.h"

namespace brimlark {

SidebarSelection SidebarSelection::ofFolder(const AppFolder &folder)
{
    SidebarSelection s(Kind::folder);
    s.m_folder = folder;
    return s;
}

SidebarSelection SidebarSelection::ofCategory(const QString &name)
{
    SidebarSelection s(Kind::category);
    s.m_category = name;
    return s;
}

QString SidebarSelection::title() const
{
    switch (m_kind) {
    case Kind::allApps:
        return QStringLiteral("All Apps");
    case Kind::recents:
        return QStringLiteral("Recent Apps");
    case Kind::favorites:
        return QStringLiteral("Favorites");
    case Kind::folder:
        return m_folder.name;
    case Kind::newlyAdded:
        return QStringLiteral("Newly Added");
    case Kind::category:
        return m_category;
    case Kind::hidden:
        return QStringLiteral("Hidden Apps");
    }
    return {};
}

bool SidebarSelection::operator==(const SidebarSelection &other) const
{
    if (m_kind != other.m_kind) {
        return false;
    }
    switch (m_kind) {
    case Kind::folder:
        return m_folder.id == other.m_folder.id;
    case Kind::category:
        return m_category == other.m_category;
    default:
        return true;
    }
}

size_t qHash(const SidebarSelection &selection, size_t seed)
{
    seed = ::qHash(static_cast<int>(selection.kind()), seed);
    switch (selection.kind()) {
    case SidebarSelection::Kind::folder:
        return ::qHash(selection.folder().id, seed);
    case SidebarSelection::Kind::category:
        return ::qHash(selection.category(), seed);
    default:
        return seed;
    }
}

} // namespace brimlark
