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

// Visible applications whose name or category holds the query (ignoring
// case), one per path: exact names, then names starting with the query,
// then the rest, each group by name.
QList<AppItem> search(const QList<AppItem> &apps, const QSet<QString> &hiddenPaths, const QString &query,
    const Ranks &ranks, const NameComparison &collation);

} // namespace CatalogOrdering

} // namespace brimlark
