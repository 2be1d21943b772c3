#pragma once

#include <QHash>
#include <QList>
#include <QString>

#include <optional>

namespace brimlark {

// The order of the all-applications list; the text is its stored form.
enum class AppSortOption { nameAscending, nameDescending, category, recentlyUsed };

class AppSortOptions
{
public:
    static QString text(AppSortOption option);
    // Exactly one of the four texts (case-sensitive); anything else gives nothing.
    static std::optional<AppSortOption> fromText(const QString &text);
    static QList<AppSortOption> allCases();
};

inline size_t qHash(AppSortOption option, size_t seed = 0)
{
    return qHash(AppSortOptions::text(option), seed);
}

} // namespace brimlark
