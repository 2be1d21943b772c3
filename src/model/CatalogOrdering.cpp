#include "model/CatalogOrdering.h"

#include "platform/core/NameComparison.h"

#include <algorithm>
#include <bit>
#include <numeric>

namespace brimlark::CatalogOrdering {

namespace {

template <typename Text>
std::vector<int> ranksOf(
    const QList<AppItem> &apps, const QHash<QString, int> &table, Text text, const NameComparison &collation)
{
    std::vector<int> out;
    out.reserve(size_t(apps.size()));
    for (const auto &app : apps) {
        auto it = table.constFind(text(app));
        if (it == table.constEnd()) {
            // Not from the current scan: rank this list on its own.
            QStringList texts;
            texts.reserve(apps.size());
            for (const auto &a : apps) {
                texts << text(a);
            }
            const auto local = collationRanks(texts, collation);
            out.clear();
            for (const auto &a : apps) {
                out.push_back(local.value(text(a)));
            }
            return out;
        }
        out.push_back(*it);
    }
    return out;
}

std::vector<quint32> keyOrder(const std::vector<qint64> &keys)
{
    std::vector<quint32> order(keys.size());
    std::iota(order.begin(), order.end(), quint32(0));
    std::stable_sort(order.begin(), order.end(), [&keys](quint32 a, quint32 b) { return keys[a] < keys[b]; });
    return order;
}

QList<AppItem> inKeyOrder(const QList<AppItem> &apps, const std::vector<qint64> &keys)
{
    QList<AppItem> out;
    out.reserve(apps.size());
    for (const quint32 i : keyOrder(keys)) {
        out << apps[i];
    }
    return out;
}

const QString &nameOf(const AppItem &a)
{
    return a.name();
}

const QString &categoryOf(const AppItem &a)
{
    return a.category();
}

} // namespace

QHash<QString, int> collationRanks(const QStringList &texts, const NameComparison &collation)
{
    QStringList distinct;
    distinct.reserve(texts.size());
    QSet<QString> seen;
    seen.reserve(texts.size());
    for (const auto &t : texts) {
        if (!seen.contains(t)) {
            seen.insert(t);
            distinct << t;
        }
    }
    std::vector<QCollatorSortKey> keys;
    keys.reserve(size_t(distinct.size()));
    for (const auto &t : distinct) {
        keys.push_back(collation.sortKey(t));
    }
    std::vector<int> order(size_t(distinct.size()));
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(
        order.begin(), order.end(), [&keys](int a, int b) { return keys[a].compare(keys[b]) < 0; });

    QHash<QString, int> ranks;
    ranks.reserve(distinct.size());
    int rank = -1;
    for (size_t i = 0; i < order.size(); ++i) {
        if (i == 0 || keys[order[i]].compare(keys[order[i - 1]]) != 0) {
            ++rank;
        }
        ranks.insert(distinct[order[i]], rank);
    }
    return ranks;
}

QHash<QString, int> orderedCollationRanks(const QStringList &texts, const NameComparison &collation)
{
    QHash<QString, int> ranks;
    ranks.reserve(texts.size());
    int rank = 0;
    for (qsizetype i = 0; i < texts.size(); ++i) {
        if (i > 0) {
            const int order = collation.compare(texts[i - 1], texts[i]);
            if (order > 0) {
                return {};
            }
            rank += order < 0 ? 1 : 0;
        }
        ranks.insert(texts[i], rank);
    }
    return ranks;
}

bool Ranks::covers(const QList<AppItem> &apps) const
{
    return std::all_of(apps.begin(), apps.end(), [this](const AppItem &app) {
        return names.contains(app.name()) && categories.contains(app.category());
    });
}

Ranks Ranks::of(const QList<AppItem> &apps, const NameComparison &collation)
{
    QStringList names;
    QStringList categories;
    names.reserve(apps.size());
    categories.reserve(apps.size());
    for (const auto &app : apps) {
        names << app.name();
        categories << app.category();
    }
    Ranks ranks;
    ranks.names = orderedCollationRanks(names, collation);
    if (ranks.names.isEmpty()) {
        ranks.names = collationRanks(names, collation);
    }
    ranks.categories = collationRanks(categories, collation);
    return ranks;
}

std::vector<int> nameRanks(const QList<AppItem> &apps, const Ranks &ranks, const NameComparison &collation)
{
    return ranksOf(apps, ranks.names, nameOf, collation);
}

std::vector<int> categoryRanks(
    const QList<AppItem> &apps, const Ranks &ranks, const NameComparison &collation)
{
    return ranksOf(apps, ranks.categories, categoryOf, collation);
}

QList<AppItem> sorted(const QList<AppItem> &apps, AppSortOption option, const QSet<QString> &recentUrlTexts,
    const Ranks &ranks, const NameComparison &collation)
{
    QList<AppItem> out;
    out.reserve(apps.size());
    for (const quint32 i : order(apps, option, recentUrlTexts, ranks, collation)) {
        out << apps[i];
    }
    return out;
}

std::vector<quint32> order(const QList<AppItem> &apps, AppSortOption option,
    const QSet<QString> &recentUrlTexts, const Ranks &ranks, const NameComparison &collation)
{
    std::vector<qint64> keys;
    keys.reserve(size_t(apps.size()));
    switch (option) {
    case AppSortOption::nameAscending:
        for (int rank : nameRanks(apps, ranks, collation)) {
            keys.push_back(rank);
        }
        break;
    case AppSortOption::nameDescending:
        for (int rank : nameRanks(apps, ranks, collation)) {
            keys.push_back(-qint64(rank));
        }
        break;
    case AppSortOption::category:
        for (int rank : categoryRanks(apps, ranks, collation)) {
            keys.push_back(rank);
        }
        break;
    case AppSortOption::recentlyUsed: {
        const std::vector<int> names = nameRanks(apps, ranks, collation);
        for (qsizetype i = 0; i < apps.size(); ++i) {
            const qint64 group = recentUrlTexts.contains(apps[i].urlText()) ? 0 : 1;
            keys.push_back((group << 32) + names[size_t(i)]);
        }
        break;
    }
    }
    return keyOrder(keys);
}

Positions::Positions(std::vector<quint32> order)
    : m_order(std::move(order))
    , m_position(m_order.size())
{
    for (size_t k = 0; k < m_order.size(); ++k) {
        m_position[m_order[k]] = quint32(k);
    }
}

std::vector<quint32> Positions::arrange(const std::vector<quint32> &indexes) const
{
    std::vector<quint64> marks((m_order.size() + 63) / 64);
    for (const quint32 index : indexes) {
        const quint32 at = m_position[index];
        marks[at / 64] |= quint64(1) << (at % 64);
    }
    std::vector<quint32> out;
    out.reserve(indexes.size());
    for (size_t word = 0; word < marks.size(); ++word) {
        for (quint64 bits = marks[word]; bits != 0; bits &= bits - 1) {
            out.push_back(m_order[word * 64 + size_t(std::countr_zero(bits))]);
        }
    }
    return out;
}

QList<AppItem> search(const QList<AppItem> &apps, const QSet<QString> &hiddenPaths, const QString &query,
    const Ranks &ranks, const NameComparison &collation)
{
    if (query.isEmpty()) {
        return {};
    }
    QList<AppItem> matches;
    QSet<QString> seen;
    seen.reserve(apps.size());
    for (const auto &app : apps) {
        if (seen.contains(app.id())) {
            continue;
        }
        seen.insert(app.id());
        if (hiddenPaths.contains(app.id())) {
            continue;
        }
        if (app.name().contains(query, Qt::CaseInsensitive)
            || app.category().contains(query, Qt::CaseInsensitive)) {
            matches << app;
        }
    }

    const QString lowerQuery = query.toLower();
    const std::vector<int> names = nameRanks(matches, ranks, collation);
    std::vector<qint64> keys;
    keys.reserve(size_t(matches.size()));
    for (qsizetype i = 0; i < matches.size(); ++i) {
        const QString &name = matches[i].name();
        const bool exact = collation.compare(name, query) == 0;
        const bool prefix
            = name.contains(query, Qt::CaseInsensitive) && name.toLower().startsWith(lowerQuery);
        const qint64 group = exact ? 0 : (prefix ? 1 : 2);
        keys.push_back((group << 32) + names[size_t(i)]);
    }
    return inKeyOrder(matches, keys);
}

} // namespace brimlark::CatalogOrdering
