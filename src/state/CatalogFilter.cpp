#include "state/CatalogFilter.h"

#include "model/AppFinder.h"
#include "platform/core/NameComparison.h"

#include <QSet>
#include <QStringList>

#include <algorithm>

namespace brimlark {

QList<AppItem> CatalogFilter::apps(
    const std::optional<SidebarSelection> &selection, const QString &query) const
{
    using Kind = SidebarSelection::Kind;
    const QSet<QString> &hidden = m_catalog.hiddenAppPaths();
    const bool inHidden = selection && selection->is(Kind::hidden);
    const QList<AppItem> &catalog = m_catalog.apps();
    // The applications at `indexes` that belong in the section: the hidden
    // ones in the hidden section, every other one elsewhere.
    const auto inSection = [&](const std::vector<quint32> &indexes) {
        QList<AppItem> out;
        out.reserve(qsizetype(indexes.size()));
        if (!inHidden && hidden.isEmpty()) {
            for (const quint32 index : indexes) {
                out << catalog[index];
            }
            return out;
        }
        const std::vector<bool> &hiddenAt = hiddenMarks();
        for (const quint32 index : indexes) {
            if (hiddenAt[index] == inHidden) {
                out << catalog[index];
            }
        }
        return out;
    };

    if (!query.isEmpty()) {
        // A search looks through every visible application (or every hidden
        // one in the hidden section), whatever section is selected. The
        // catalog's sort is stable, so its matches taken in the order of the
        // whole catalog are the sorted matches.
        return inSection(sortPositions().arrange(nameMatches(query)));
    }
    m_steps.clear();

    QList<AppItem> result;
    switch (selection ? selection->kind() : Kind::allApps) {
    case Kind::allApps:
        return inSection(sortPositions().order());
    case Kind::folder:
        // The selection's copy may be stale: the catalog's folder holds the
        // contents.
        if (const auto folder = m_catalog.folder(selection->folder().id)) {
            result = m_catalog.getAppsInFolder(*folder);
        }
        break;
    case Kind::category: {
        const QString &name = selection->category();
        const std::vector<bool> &hiddenAt = hiddenMarks();
        for (qsizetype i = 0; i < catalog.size(); ++i) {
            if (catalog[i].category() == name && !hiddenAt[size_t(i)]) {
                result << catalog[i];
            }
        }
        return result;
    }
    case Kind::recents:
        result = m_catalog.recentApps();
        break;
    case Kind::favorites:
        result = m_catalog.favoriteApps();
        break;
    case Kind::newlyAdded:
        result = m_catalog.newlyAddedApps();
        break;
    case Kind::hidden: {
        const std::vector<bool> &hiddenAt = hiddenMarks();
        for (qsizetype i = 0; i < catalog.size(); ++i) {
            if (hiddenAt[size_t(i)]) {
                result << catalog[i];
            }
        }
        return result;
    }
    }
    // Hidden applications show in the hidden section only, not even in the
    // folder that holds them.
    if (!hidden.isEmpty()) {
        result.removeIf([&hidden](const AppItem &app) { return hidden.contains(app.id()); });
    }
    return result;
}

const CatalogOrdering::Positions &CatalogFilter::sortPositions() const
{
    // The folded names are made anew at each publish, so their stamp tells
    // one catalog from the next; the size is checked too, as indexes into
    // the catalog are only good for the list they were taken from.
    const quint64 names = m_catalog.foldedNames().stamp();
    const AppSortOption option = m_catalog.allAppsSortOption();
    // Only the recently used order depends on the recent applications.
    QStringList recents;
    if (option == AppSortOption::recentlyUsed) {
        for (const auto &app : m_catalog.recentApps()) {
            recents << app.urlText();
        }
    }
    if (!m_order || m_order->names != names || m_order->positions.size() != m_catalog.apps().size()
        || m_order->option != option || m_order->recents != recents) {
        m_order
            = Order { names, option, std::move(recents), CatalogOrdering::Positions(m_catalog.sortOrder()) };
    }
    return m_order->positions;
}

const std::vector<bool> &CatalogFilter::hiddenMarks() const
{
    const quint64 names = m_catalog.foldedNames().stamp();
    const QSet<QString> &hidden = m_catalog.hiddenAppPaths();
    // The set kept is a copy of the catalog's, so while neither changes the
    // comparison is one of pointers.
    if (m_hidden.names != names || m_hidden.marks.size() != size_t(m_catalog.apps().size())
        || m_hidden.paths != hidden) {
        const QList<AppItem> &catalog = m_catalog.apps();
        m_hidden.names = names;
        m_hidden.paths = hidden;
        m_hidden.marks.assign(size_t(catalog.size()), false);
        for (qsizetype i = 0; i < catalog.size(); ++i) {
            m_hidden.marks[size_t(i)] = hidden.contains(catalog[i].id());
        }
    }
    return m_hidden.marks;
}

std::vector<quint32> CatalogFilter::nameMatches(const QString &query) const
{
    const QList<AppItem> &apps = m_catalog.apps();
    const FoldedNames &names = m_catalog.foldedNames();
    QString folded = query.toCaseFolded();
    if (names.size() != apps.size() || !names.handles(folded)) {
        m_steps.clear();
        std::vector<quint32> out;
        for (qsizetype i = 0; i < apps.size(); ++i) {
            if (apps[i].name().contains(query, Qt::CaseInsensitive)) {
                out.push_back(quint32(i));
            }
        }
        return out;
    }
    if (m_stepsNames != names.stamp()) {
        m_steps.clear();
        m_stepsNames = names.stamp();
    }
    while (!m_steps.empty() && !folded.startsWith(m_steps.back().folded)) {
        m_steps.pop_back();
    }
    if (m_steps.empty() || m_steps.back().folded != folded) {
        // Every name that holds the longer query holds the shorter one too.
        std::vector<quint32> matches
            = m_steps.empty() ? names.matching(folded) : names.matching(folded, m_steps.back().matches);
        m_steps.push_back({ std::move(folded), std::move(matches) });
    }
    return m_steps.back().matches;
}

QList<GridItemIdentifier> CatalogFilter::unifiedGridItems() const
{
    const QList<AppFolder> roots = m_catalog.getRootFolders();
    QSet<QUuid> rootIds;
    for (const auto &folder : roots) {
        rootIds.insert(folder.id);
    }
    QSet<QString> categorySet;
    for (const auto &app : m_catalog.apps()) {
        categorySet.insert(app.category());
    }

    QList<GridItemIdentifier> stored = m_catalog.getUnifiedGridOrder();
    stored.removeIf([&](const GridItemIdentifier &item) {
        return item.isFolder() ? !rootIds.contains(item.folderId())
                               : !categorySet.contains(item.categoryName());
    });

    QSet<QUuid> placedFolders;
    QSet<QString> placedCategories;
    for (const auto &item : std::as_const(stored)) {
        if (item.isFolder()) {
            placedFolders.insert(item.folderId());
        } else {
            placedCategories.insert(item.categoryName());
        }
    }

    QList<GridItemIdentifier> items;
    items.reserve(stored.size() + roots.size() + categorySet.size());
    // Folders without a stored place come first, in folder order.
    for (const auto &folder : roots) {
        if (!placedFolders.contains(folder.id)) {
            items << GridItemIdentifier::folder(folder.id);
        }
    }
    items << stored;

    // Categories without a stored place go last, by name, so the order is
    // the same from one launch to the next.
    QStringList newCategories;
    for (const auto &name : std::as_const(categorySet)) {
        if (!placedCategories.contains(name)) {
            newCategories << name;
        }
    }
    const NameComparison &names = m_catalog.collation();
    std::sort(newCategories.begin(), newCategories.end(), [&names](const QString &a, const QString &b) {
        const int c = names.compare(a, b);
        return c != 0 ? c < 0 : a < b;
    });
    for (const auto &name : std::as_const(newCategories)) {
        items << GridItemIdentifier::category(name);
    }
    return items;
}

QList<AppItem> CatalogFilter::appsNotInFolder(const AppFolder &folder) const
{
    const QSet<QString> members(folder.appURLs.begin(), folder.appURLs.end());
    QList<AppItem> out;
    for (const auto &app : m_catalog.apps()) {
        if (!members.contains(app.urlText())) {
            out << app;
        }
    }
    return out;
}

} // namespace brimlark
