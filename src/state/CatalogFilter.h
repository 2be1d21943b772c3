#pragma once

#include "model/AppFolder.h"
#include "model/AppItem.h"
#include "model/AppSortOption.h"
#include "model/CatalogOrdering.h"
#include "model/GridItemIdentifier.h"
#include "state/SidebarSelection.h"

#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace brimlark {

class AppFinder;

// What the launcher shows of the catalog: the applications a selection and
// a search leave, the unified grid's cards in order, and what a folder can
// still take. It only reads; the catalog must outlive it.
class CatalogFilter
{
public:
    explicit CatalogFilter(const AppFinder &catalog)
        : m_catalog(catalog)
    {
    }

    // A search looks through every visible application (every hidden one in
    // the hidden section), whatever the selection; hidden applications show
    // in the hidden section only.
    QList<AppItem> apps(const std::optional<SidebarSelection> &selection, const QString &query) const;
    // The stored order without the cards that are gone, folders without a
    // place first and new categories last, by name.
    QList<GridItemIdentifier> unifiedGridItems() const;
    // Hidden applications included: the picker offers them too.
    QList<AppItem> appsNotInFolder(const AppFolder &folder) const;

private:
    // The indexes of the catalog's applications whose names hold the query,
    // ascending.
    std::vector<quint32> nameMatches(const QString &query) const;
    // The catalog's sort order, worked out once per publish, sort option and
    // (for the recently used order) recent applications.
    const CatalogOrdering::Positions &sortPositions() const;
    // Whether each of the catalog's applications is hidden, worked out once
    // per publish and change of what is hidden.
    const std::vector<bool> &hiddenMarks() const;

    const AppFinder &m_catalog;
    // The searches that led to the last query, each query extending the one
    // before: a query typed further looks only through what the shorter one
    // found, and one erased back to a shorter one finds its answer here.
    struct Step
    {
        QString folded;
        std::vector<quint32> matches;
    };
    mutable std::vector<Step> m_steps;
    // The catalog names the steps were searched in.
    mutable quint64 m_stepsNames = 0;
    struct Order
    {
        quint64 names;
        AppSortOption option;
        QStringList recents;
        CatalogOrdering::Positions positions;
    };
    mutable std::optional<Order> m_order;
    struct Hidden
    {
        quint64 names = 0;
        QSet<QString> paths;
        std::vector<bool> marks;
    };
    mutable Hidden m_hidden;
};

} // namespace brimlark
