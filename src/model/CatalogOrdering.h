#pragma once

#include "model/AppItem.h"
#include "model/AppSortOption.h"

#include <QHash>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

#include <vector>

namespace brimlark {

class NameComparison;

// The catalog's ordering and search as pure functions over application
// lists. Orders are stable sorts by integer keys built from collation ranks,
// so a publish collates each name once and no sort compares text.
namespace CatalogOrdering {

// Ranks of distinct texts under the collation: texts that compare equal
// share a rank, so ordering by rank is ordering by collation.
QHash<QString, int> collationRanks(const QStringList &texts, const NameComparison &collation);
// The same for texts already in collation order (a scan's names): only
// neighbours are compared. Empty when the texts turn out not to be in order.
QHash<QString, int> orderedCollationRanks(const QStringList &texts, const NameComparison &collation);

// The name and category ranks of one application list.
struct Ranks
{
    QHash<QString, int> names;
    QHash<QString, int> categories;

    // Whether every application's name and category has a rank.
    bool covers(const QList<AppItem> &apps) const;
    static Ranks of(const QList<AppItem> &apps, const NameComparison &collation);
};

// The ranks of the list's names (categories); a list with a text the table
// lacks is ranked on its own.
std::vector<int> nameRanks(const QList<AppItem> &apps, const Ranks &ranks, const NameComparison &collation);
std::vector<int> categoryRanks(
    const QList<AppItem> &apps, const Ranks &ranks, const NameComparison &collation);

// The applications in the option's order; `recentUrlTexts` go first for
// "recently used".
QList<AppItem> sorted(const QList<AppItem> &apps, AppSortOption option, const QSet<QString> &recentUrlTexts,
    const Ranks &ranks, const NameComparison &collation);

// The same order as indexes into `apps`: the first application's index first.
std::vector<quint32> order(const QList<AppItem> &apps, AppSortOption option,
    const QSet<QString> &recentUrlTexts, const Ranks &ranks, const NameComparison &collation);

// A subset of a list in an order of the whole list worked out once, with no
// sort: marking where each member stands in that order and reading the marks
// back costs a pass over the members and a word per 64 applications.
class Positions
{
public:
    Positions() = default;
    explicit Positions(std::vector<quint32> order);

    qsizetype size() const { return qsizetype(m_order.size()); }
    // The whole list's indexes in order.
    const std::vector<quint32> &order() const { return m_order; }
    // `indexes` (distinct, each below size()) in order.
    std::vector<quint32> arrange(const std::vector<quint32> &indexes) const;

private:
    std::vector<quint32> m_order;
    // m_position[index] is where the index stands in m_order.
    std::vector<quint32> m_position;
};

// Visible applications whose name or category holds the query (ignoring
// case), one per path: exact names, then names starting with the query,
// then the rest, each group by name.
QList<AppItem> search(const QList<AppItem> &apps, const QSet<QString> &hiddenPaths, const QString &query,
    const Ranks &ranks, const NameComparison &collation);

} // namespace CatalogOrdering

} // namespace brimlark
