#include "model/AppSortOption.h"

namespace brimlark {

QString AppSortOptions::text(AppSortOption option)
{
    switch (option) {
    case AppSortOption::nameAscending:
        return QStringLiteral("A to Z");
    case AppSortOption::nameDescending:
        return QStringLiteral("Z to A");
    case AppSortOption::category:
        return QStringLiteral("Category");
    case AppSortOption::recentlyUsed:
        return QStringLiteral("Recently Used");
    }
    return {};
}

std::optional<AppSortOption> AppSortOptions::fromText(const QString &text)
{
    for (AppSortOption option : allCases()) {
        if (AppSortOptions::text(option) == text) {
            return option;
        }
    }
    return std::nullopt;
}

QList<AppSortOption> AppSortOptions::allCases()
{
    return { AppSortOption::nameAscending, AppSortOption::nameDescending, AppSortOption::category,
        AppSortOption::recentlyUsed };
}

} // namespace brimlark
